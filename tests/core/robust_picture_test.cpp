// SPDX-License-Identifier: GPL-3.0-or-later
#include "core_fakes.h"
#include "picture_kind.h"
#include "protected_picture.h"
#include "robust_picture.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <random>

namespace veltrin::testing {
namespace {

using namespace robustPicture;

TEST(RobustPicture, TextsComeBackExactly)
{
    const std::u16string texts[] = {
        u"",
        u"a",
        u"加密解密，你好",
        u"😀 and ☃ and 𠀀",
        u"line\r\n\r\nbreaks\r\n",
        std::u16string(12000, u'齄'),
        hanText(3000, 1),
        hanText(12000, 2),
    };
    for (const int formatVersion : {1, 2})
        for (const std::u16string &text : texts) {
            const Encoded encoded = encode(text, formatVersion);
            ASSERT_EQ(encoded.failure, Failure::None) << text.size();
            EXPECT_LE(std::max(encoded.image.width, encoded.image.height), longestSide);
            const Decoded decoded = decode(encoded.image);
            EXPECT_EQ(decoded.failure, Failure::None) << text.size() << " v" << formatVersion;
            EXPECT_TRUE(decoded.text == text) << text.size();
            EXPECT_EQ(detect(encoded.image).grid->version, formatVersion);
        }
}

// Flips whole modules at random, or greys them to about the threshold, the
// timing edges spared; the grid is found from the picture as a reader would.
Picture damaged(const Picture &image, double share, unsigned seed, bool grey = false)
{
    const Detected detected = detect(image);
    EXPECT_TRUE(detected.grid);
    const int grid = detected.grid->modules, left = int(std::lround(detected.grid->left));
    const int module = int(std::lround((detected.grid->right - detected.grid->left) / grid));
    const int first = detected.grid->version == 1 ? 1 : 2;
    Picture copy = image;
    std::mt19937 random(seed);
    std::bernoulli_distribution flip(share);
    for (int row = first; row < grid - 1; ++row)
        for (int column = first; column < grid - 1; ++column)
            if (flip(random))
                for (int y = left + row * module; y < left + (row + 1) * module; ++y)
                    for (int x = left + column * module; x < left + (column + 1) * module; ++x)
                        for (int c = 0; c < 3; ++c) {
                            std::uint8_t &v = copy.rgb[(std::size_t(y) * copy.width + x) * 3 + c];
                            v = grey ? static_cast<std::uint8_t>(120 + (row * 7 + column) % 15)
                                     : v ^ 0xFF;
                        }
    return copy;
}

struct Damage
{
    std::size_t length;
    double share; // of the data modules flipped
    bool decodes;
    bool grey = false; // greyed rather than flipped: the reader's doubt names them
};

class RobustPictureDamage : public ::testing::TestWithParam<Damage>
{};

TEST_P(RobustPictureDamage, MendsWhatTheParityCovers)
{
    const Damage damage = GetParam();
    const std::u16string text = hanText(damage.length, 7);
    const Encoded encoded = encode(text);
    ASSERT_EQ(encoded.failure, Failure::None);
    for (unsigned seed = 0; seed < 3; ++seed) {
        const Decoded decoded = decode(damaged(encoded.image, damage.share, seed, damage.grey));
        EXPECT_EQ(decoded.failure == Failure::None, damage.decodes) << seed;
        if (damage.decodes)
            EXPECT_TRUE(decoded.text == text);
        else
            EXPECT_TRUE(decoded.text.empty());
    }
}

// A module flip spoils its byte, so a byte share of about 8 times the
// module share; the budget is half the parity of each block.
INSTANTIATE_TEST_SUITE_P(Shares, RobustPictureDamage,
                         ::testing::Values(Damage{500, 0.01, true}, Damage{12000, 0.005, true},
                                           Damage{12000, 0.10, false}, Damage{500, 0.30, false},
                                           Damage{500, 0.08, true, true}));

TEST(RobustPicture, CarriesAProtectedPictureThatOpensOnlyWithItsPassword)
{
    constexpr protectedPicture::KdfCost cheap{1, 8 * 1024};
    SequenceRandomBytes random;
    for (const std::u16string &text : {std::u16string(u"短"), hanText(12000, 3)}) {
        const Picture sealed = protectedPicture::seal(text, u"pw1", random, cheap).image;
        const Encoded encoded = encodeSealed(sealed);
        ASSERT_EQ(encoded.failure, Failure::None) << text.size();
        const Recognition kind = recognise(encoded.image);
        ASSERT_TRUE(kind.sealed());
        EXPECT_EQ(kind.refusal(u""), protectedPicture::Failure::NeedsPassword);
        EXPECT_EQ(kind.refusal(u"any"), protectedPicture::Failure::None);
        // Damage within the parity gives back the very seal.
        const Decoded decoded = decode(damaged(encoded.image, 0.004, 1));
        ASSERT_EQ(decoded.failure, Failure::None) << text.size();
        EXPECT_TRUE(decoded.text.empty());
        EXPECT_EQ(decoded.sealed.rgb, sealed.rgb);
        EXPECT_TRUE(protectedPicture::open(decoded.sealed, u"pw1", cheap).text == text);
        EXPECT_EQ(protectedPicture::open(decoded.sealed, u"pw2", cheap).failure,
                  protectedPicture::Failure::NotAuthentic);
    }
    // Only what seal() made: a classic or cut picture is not carried.
    EXPECT_EQ(encodeSealed(Picture(3, 1)).failure, Failure::TextTooLong);
}

// Each pixel the mean of a 2 x 2 block, the last column and row of an odd
// picture from what is left, as PIL's reduce(2) does: 1275 pixels give 638,
// of which the grid fills 637.5.
Picture halved(const Picture &image)
{
    Picture half((image.width + 1) / 2, (image.height + 1) / 2);
    for (int y = 0; y < half.height; ++y)
        for (int x = 0; x < half.width; ++x)
            for (int c = 0; c < 3; ++c) {
                int sum = 0, count = 0;
                for (int dy = 0; dy < 2 && 2 * y + dy < image.height; ++dy)
                    for (int dx = 0; dx < 2 && 2 * x + dx < image.width; ++dx, ++count)
                        sum +=
                            image.rgb[(std::size_t(2 * y + dy) * image.width + 2 * x + dx) * 3 + c];
                half.rgb[(std::size_t(y) * half.width + x) * 3 + c] =
                    static_cast<std::uint8_t>(sum / count);
            }
    return half;
}

TEST(RobustPicture, ReadsAPictureHalvedToAnOddGrid)
{
    const std::u16string text = hanText(5000, 11);
    const Encoded encoded = encode(text);
    ASSERT_EQ(encoded.image.width % 2, 1) << "3-pixel modules on an odd side";
    const Decoded decoded = decode(halved(encoded.image));
    EXPECT_EQ(decoded.failure, Failure::None);
    EXPECT_TRUE(decoded.text == text);
}

TEST(RobustPicture, RefusesTooLongWithTheMostThatFits)
{
    struct Case
    {
        std::u16string text;
        std::size_t fits;
    };
    const Case cases[] = {
        {std::u16string(12001, u'a'), 12000},
        {hanText(20000, 3), 12000},
        // A pair of surrogates is never split.
        {std::u16string(11999, u'a') + u"😀", 11999},
    };
    for (const Case &c : cases) {
        const Encoded encoded = encode(c.text);
        EXPECT_EQ(encoded.failure, Failure::TextTooLong);
        EXPECT_TRUE(encoded.image.isNull());
        EXPECT_EQ(encoded.fits, c.fits);
        EXPECT_EQ(encode(c.text.substr(0, c.fits)).failure, Failure::None);
    }
}

Picture filled(int width, int height, unsigned seed, int levels)
{
    Picture image(width, height);
    std::mt19937 random(seed);
    for (auto &byte : image.rgb)
        byte = static_cast<std::uint8_t>(
            levels == 1 ? seed : random() % levels * (255 / std::max(1, levels - 1)));
    return image;
}

// The time limits hold for an optimised build; the sanitizers' unoptimised
// one and a module run by node do the same work many times slower.
#if defined(VELTRIN_SLOW_BUILD)
constexpr int slowdown = 20;
#elif defined(__EMSCRIPTEN__)
constexpr int slowdown = 4;
#else
constexpr int slowdown = 1;
#endif

TEST(RobustPicture, DetectorRejectsOtherPicturesFast)
{
    Picture cut = encode(u"abc").image;
    cut.rgb.resize(cut.rgb.size() / 2);
    Picture shifted = encode(u"abc").image;
    shifted.rgb.erase(shifted.rgb.begin(), shifted.rgb.begin() + 3 * 40 * shifted.width);
    shifted.height -= 40;
    shifted.rgb.resize(shifted.pixelCount() * 3);
    const Picture pictures[] = {
        Picture(),
        filled(20, 20, 0, 1),
        filled(1280, 1280, 0, 1),
        filled(1280, 1280, 255, 1),
        filled(1280, 1280, 5, 256),
        filled(1280, 1280, 6, 2), // black and white noise
        filled(4000, 30, 7, 2),
        cut,
        shifted,
    };
    for (const Picture &picture : pictures) {
        const auto start = std::chrono::steady_clock::now();
        const Detected detected = detect(picture);
        const auto spent = std::chrono::steady_clock::now() - start;
        EXPECT_FALSE(detected.grid) << picture.width << "x" << picture.height;
        EXPECT_NE(decode(picture).failure, Failure::None);
        EXPECT_LT(spent, std::chrono::milliseconds(20 * slowdown))
            << picture.width << "x" << picture.height;
    }
}

TEST(RobustPicture, LargePicturesCostNoMoreThanSmallOnes)
{
    const Picture small = encode(u"加密").image;
    const int factor = 3;
    Picture large(small.width * factor, small.height * factor);
    for (int y = 0; y < large.height; ++y)
        for (int x = 0; x < large.width; ++x)
            large.setColour(x, y, small.colour(x / factor, y / factor));
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(decode(large).text == u"加密");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(200 * slowdown));
}

TEST(RobustPicture, DecoderHoldsAGridToThePicture)
{
    const Picture image = encode(u"abc").image;
    const Grid grid = *detect(image).grid;
    Grid tooLarge = grid, oddParity = grid, moreThanFits = grid;
    tooLarge.modules = image.width + 2;
    oddParity.parity = 47;
    moreThanFits.payload = 1 << 23;
    for (const Grid &g : {tooLarge, oddParity, moreThanFits})
        EXPECT_EQ(decode(image, g).failure, Failure::Damaged);
}

TEST(RobustPicture, RecognisedBetweenTheProtectedAndTheClassicKinds)
{
    SequenceRandomBytes random;
    const Picture sealed = protectedPicture::seal(u"x", u"pw1", random, {1, 8 * 1024}).image;
    const Picture robust = encode(u"x").image;
    const struct
    {
        const Picture &picture;
        PictureKind kind;
    } cases[] = {
        {sealed, PictureKind::Protected},
        {robust, PictureKind::Robust},
        {Picture(3, 1), PictureKind::Classic},
        {filled(1280, 1280, 0, 1), PictureKind::Classic},
    };
    for (const auto &c : cases) {
        const Recognition recognition = recognise(c.picture);
        EXPECT_EQ(recognition.kind, c.kind);
        EXPECT_EQ(recognition.grid.has_value(), c.kind == PictureKind::Robust);
    }
}

} // namespace
} // namespace veltrin::testing
