// SPDX-License-Identifier: GPL-3.0-or-later
#include "cipher_members.h"
#include "code_page.h"
#include "core_fakes.h"
#include "decryptor.h"
#include "memory_surface.h"
#include "picture_kind.h"
#include "protected_picture.h"
#include "runtime_error.h"
#include "window_start.h"

#include <gtest/gtest.h>

#include <chrono>

namespace veltrin::testing {
namespace {

using namespace protectedPicture;

// Cheap enough for many cases; the format is the same at every cost.
constexpr KdfCost cheap{1, 8 * 1024};

Picture sealed(std::u16string_view text, std::u16string_view password = u"pw1")
{
    SequenceRandomBytes random;
    const Sealed result = seal(text, password, random, cheap);
    EXPECT_EQ(result.failure, Failure::None);
    return result.image;
}

Picture cropped(const Picture &picture, int width, int height)
{
    Picture part(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (x < picture.width && y < picture.height)
                part.setColour(x, y, picture.colour(x, y));
    return part;
}

TEST(ProtectedPicture, TextsComeBackExactly)
{
    const std::u16string texts[] = {
        u"a",
        u"abc",
        std::u16string(12000, u'齄'),
        u"加密解密，你好",
        u"😀 and ☃ and 𠀀", // code page 936 has none of these
        u"line\r\n\r\nbreaks\r\n",
        u"\uFEFFstarts with a BOM",
    };
    for (const std::u16string &text : texts) {
        const Picture image = sealed(text);
        EXPECT_EQ(recognise(image).kind, PictureKind::Protected);
        const Opened opened = open(image, u"pw1", cheap);
        EXPECT_EQ(opened.failure, Failure::None) << text.size();
        EXPECT_TRUE(opened.text == text) << text.size();
    }
}

TEST(ProtectedPicture, SizeGivesOnlyTheSizeClass)
{
    // 1 and 255 bytes pad to the same 256; 256 bytes need the next class.
    EXPECT_EQ(sealed(u"a").rgb.size(), sealed(std::u16string(255, u'a')).rgb.size());
    EXPECT_NE(sealed(std::u16string(255, u'a')).rgb.size(),
              sealed(std::u16string(256, u'a')).rgb.size());
}

TEST(ProtectedPicture, EveryChangedRegionIsRefused)
{
    const Picture original = sealed(u"secret 秘密"); // 69 + 272 bytes in 11 x 11 pixels
    struct Change
    {
        const char *region;
        int at;
        Failure failure;
    };
    const Change changes[] = {
        {"signature", 4, Failure::NotProtected},
        {"version", 11, Failure::Damaged}, // 1 becomes 0
        {"algorithm", 12, Failure::Damaged},
        {"passes", 13, Failure::Damaged},      // 1 pass becomes none
        {"memory", 18, Failure::NotAuthentic}, // the same key, but the header is bound
        {"sealed size", 26, Failure::Damaged},
        {"salt", 29 + 5, Failure::NotAuthentic},
        {"nonce", 45 + 23, Failure::NotAuthentic},
        {"ciphertext", 69 + 3, Failure::NotAuthentic},
        {"padding", 69 + 200, Failure::NotAuthentic},
        {"tag", 69 + 256 + 15, Failure::NotAuthentic},
        {"fill", 341, Failure::Changed},
    };
    for (const Change &change : changes) {
        Picture image = original;
        image.rgb[std::size_t(change.at)] ^= 1;
        const Opened opened = open(image, u"pw1");
        EXPECT_EQ(opened.failure, change.failure) << change.region;
        EXPECT_TRUE(opened.text.empty()) << change.region;
    }
    Picture newer = original;
    newer.rgb[11] = 2;
    EXPECT_EQ(open(newer, u"pw1").failure, Failure::NewerVersion);
    EXPECT_EQ(open(original, u"pw2", cheap).failure, Failure::NotAuthentic);
    EXPECT_EQ(open(original, u"", cheap).failure, Failure::NeedsPassword);
    for (const auto &[width, height] : {std::pair{11, 10}, {12, 11}, {11, 1}})
        EXPECT_EQ(open(cropped(original, width, height), u"pw1", cheap).failure, Failure::Damaged)
            << width << " x " << height;
}

TEST(ProtectedPicture, AnotherWritersSealIsToldApartFromAWrongPassword)
{
    struct Written
    {
        const char *name;
        std::vector<unsigned char> padded;
        Failure failure;
    };
    auto block = [](std::initializer_list<unsigned char> start) {
        std::vector<unsigned char> bytes(padBlock);
        std::copy(start.begin(), start.end(), bytes.begin());
        return bytes;
    };
    const Written written[] = {
        {"empty text", block({0x80}), Failure::None},
        {"no padding mark", block({'a'}), Failure::NotConforming},
        {"bad UTF-8", block({0xFF, 0xFE, 0x80}), Failure::NotConforming},
        {"half a character", block({0xE4, 0xB8, 0x80}), Failure::NotConforming},
    };
    for (const Written &w : written) {
        SequenceRandomBytes random;
        const Sealed made = sealPadded(w.padded, u"pw1", random, cheap);
        ASSERT_EQ(made.failure, Failure::None) << w.name;
        const Opened opened = open(made.image, u"pw1");
        EXPECT_EQ(opened.failure, w.failure) << w.name;
        EXPECT_TRUE(opened.text.empty()) << w.name;
        EXPECT_EQ(open(made.image, u"pw2").failure, Failure::NotAuthentic) << w.name;
    }
}

TEST(ProtectedPicture, RefusalsComeBeforeAnyHashing)
{
    Picture fill = sealed(u"x");
    fill.rgb.back() = 1;
    Picture costly = sealed(u"x", u"pw");
    costly.rgb[13] = 0xE8; // 1000 passes
    costly.rgb[14] = 0x03;
    struct Case
    {
        const char *name;
        Picture picture;
        std::u16string password;
        Failure refusal;
    };
    const Case cases[] = {
        {"sound", sealed(u"x"), u"pw1", Failure::None},
        {"no password", sealed(u"x"), u"", Failure::NeedsPassword},
        {"changed fill", fill, u"pw1", Failure::Changed},
        {"too costly", costly, u"pw", Failure::TooCostly},
        {"classic", Picture(3, 1), u"", Failure::None},
    };
    for (const Case &c : cases) {
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(recognise(c.picture).refusal(c.password), c.refusal) << c.name;
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(100))
            << c.name;
    }
    EXPECT_EQ(recognise(Picture(3, 1)).kind, PictureKind::Classic);
    EXPECT_EQ(readHeader(costly).header.cost.opsLimit, 1000u);
}

TEST(ProtectedPicture, CostAboveTheBoundIsRefused)
{
    const Picture image = sealed(u"x", u"pw");
    struct Claim
    {
        std::uint32_t ops;
        std::uint64_t mem;
    };
    for (const Claim claim : {Claim{1000, 256ull << 20}, Claim{3, 4ull << 30},
                              Claim{4, 256ull << 20}, Claim{3, (256ull << 20) + 1024}}) {
        Picture hostile = image;
        for (int i = 0; i < 4; ++i)
            hostile.rgb[std::size_t(13 + i)] = static_cast<std::uint8_t>(claim.ops >> (8 * i));
        for (int i = 0; i < 8; ++i)
            hostile.rgb[std::size_t(17 + i)] = static_cast<std::uint8_t>(claim.mem >> (8 * i));
        EXPECT_EQ(open(hostile, u"pw").failure, Failure::TooCostly) << claim.ops;
        EXPECT_EQ(open(hostile, u"pw", {claim.ops, claim.mem - 1}).failure, Failure::TooCostly);
        EXPECT_EQ(readHeader(hostile).header.cost, (KdfCost{claim.ops, claim.mem}));
    }
}

TEST(ProtectedPicture, NeedsAPasswordAndAText)
{
    SequenceRandomBytes random;
    EXPECT_EQ(seal(u"x", u"", random, cheap).failure, Failure::NeedsPassword);
    EXPECT_EQ(seal(std::u16string(12001, u'x'), u"pw", random, cheap).failure,
              Failure::TextTooLong);
    EXPECT_EQ(random.next, 0) << "nothing drawn for a refused text";
}

TEST(ProtectedPicture, ClassicPicturesAndDecryptorKeepApart)
{
    // The classic Decryptor finds nothing in a protected picture, or refuses it.
    const Picture image = sealed(std::u16string(3000, u'字'));
    for (const std::u16string password : {u"", u"pw1", u"zzzzzzzzzz"}) {
        MemorySurface picture4(startSize::picture4Width, startSize::picture4Height);
        picture4.setPicture(image);
        CipherMembers members = membersAfterFormLoad();
        bool gaveText = false;
        try {
            Decryptor(members, codePage936())
                .run({password, picture4,
                      [&gaveText](const std::u16string &text) { gaveText = !text.empty(); },
                      [](bool) {}, [](bool) {}});
        } catch (const RuntimeError &) {
            // Refused: the header claims far more than the picture holds.
        }
        EXPECT_FALSE(gaveText) << password.size();
    }
    // A classic picture has no signature: white would be a blank one.
    Picture classic(3, 1);
    std::fill(classic.rgb.begin(), classic.rgb.end(), 0xFF);
    EXPECT_FALSE(hasSignature(classic));
    EXPECT_EQ(open(classic, u"pw").failure, Failure::NotProtected);
}

} // namespace
} // namespace veltrin::testing
