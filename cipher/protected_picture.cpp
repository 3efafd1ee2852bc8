// SPDX-License-Identifier: GPL-3.0-or-later
#include "protected_picture.h"

#include "cipher_picture.h"
#include "surface.h"
#include "utf8.h"

#include <sodium.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

namespace veltrin::protectedPicture {

namespace {

static_assert(defaultCost.opsLimit == crypto_pwhash_OPSLIMIT_MODERATE);
static_assert(defaultCost.memLimit == crypto_pwhash_MEMLIMIT_MODERATE);
static_assert(argon2id13 == crypto_pwhash_ALG_ARGON2ID13);
static_assert(saltBytes == crypto_pwhash_SALTBYTES);
static_assert(nonceBytes == crypto_aead_xchacha20poly1305_ietf_NPUBBYTES);
static_assert(tagBytes == crypto_aead_xchacha20poly1305_ietf_ABYTES);

// A white first pixel: the classic Decryptor finds nothing to decrypt in it
// without a password and, with one, a header far longer than the picture.
constexpr std::array<unsigned char, 11> signature{0xFF, 0xFF, 0xFF, 'V', 'E', 'L',
                                                  'T',  'R',  'I',  'N', 'P'};
constexpr int versionAt = 11;
constexpr int algorithmAt = 12;
constexpr int opsAt = 13;
constexpr int memAt = 17;
constexpr int sealedAt = 25;
constexpr int saltAt = 29;
constexpr int nonceAt = 45;
static_assert(nonceAt + nonceBytes == headerBytes);
constexpr int keyBytes = crypto_aead_xchacha20poly1305_ietf_KEYBYTES;

bool sodiumReady()
{
    static const bool ready = sodium_init() >= 0;
    return ready;
}

// Wipes a buffer that held the password, the key or the text when it goes.
template <typename Bytes> struct Wiped
{
    Bytes &bytes;
    ~Wiped() { sodium_memzero(bytes.data(), static_cast<std::size_t>(bytes.size())); }
};
template <typename Bytes> Wiped(Bytes &) -> Wiped<Bytes>;

std::uint64_t readLittle(const std::vector<unsigned char> &bytes, int at, int count)
{
    std::uint64_t value = 0;
    for (int i = count - 1; i >= 0; --i)
        value = value << 8 | bytes[static_cast<std::size_t>(at + i)];
    return value;
}

void writeLittle(std::vector<unsigned char> &bytes, int at, int count, std::uint64_t value)
{
    for (int i = 0; i < count; ++i, value >>= 8)
        bytes[static_cast<std::size_t>(at + i)] = static_cast<unsigned char>(value & 0xFF);
}

struct Size
{
    int width;
    int height;
};

// The picture for `bytes` bytes: as square as whole rows allow.
Size pictureSize(std::int64_t bytes)
{
    const std::int64_t pixels = (bytes + 2) / 3;
    std::int64_t width = 1;
    while (width * width < pixels)
        ++width;
    return {static_cast<int>(width), static_cast<int>((pixels + width - 1) / width)};
}

// The picture's bytes are the format's bytes: red, green, blue, pixel by
// pixel in rows.
std::int64_t pixelCount(const Picture &image)
{
    return static_cast<std::int64_t>(image.pixelCount());
}

bool deriveKey(std::array<unsigned char, keyBytes> &key, std::u16string_view password,
               const unsigned char *salt, const KdfCost &cost)
{
    std::string utf8 = utf8::encode(password);
    const Wiped wipe{utf8};
    return crypto_pwhash(key.data(), key.size(), utf8.data(),
                         static_cast<unsigned long long>(utf8.size()), salt, cost.opsLimit,
                         static_cast<std::size_t>(cost.memLimit),
                         crypto_pwhash_ALG_ARGON2ID13) == 0;
}

} // namespace

bool hasSignature(const Picture &image)
{
    if (pixelCount(image) * 3 < static_cast<std::int64_t>(signature.size()))
        return false;
    return std::equal(signature.begin(), signature.end(), image.rgb.begin());
}

HeaderRead readHeader(const Picture &image, const KdfCost &bound)
{
    if (!hasSignature(image))
        return {{}, Failure::NotProtected};
    if (pixelCount(image) * 3 < headerBytes)
        return {{}, Failure::Damaged};
    const std::vector<unsigned char> &bytes = image.rgb;
    Header header;
    header.version = bytes[versionAt];
    header.algorithm = bytes[algorithmAt];
    header.cost.opsLimit = static_cast<std::uint32_t>(readLittle(bytes, opsAt, 4));
    header.cost.memLimit = readLittle(bytes, memAt, 8);
    header.sealedBytes = static_cast<std::uint32_t>(readLittle(bytes, sealedAt, 4));
    if (header.version > version)
        return {header, Failure::NewerVersion};
    if (header.version != version || header.algorithm != argon2id13)
        return {header, Failure::Damaged};
    // Before anything is spent: a hostile picture may ask for 4 GiB or 1000 passes.
    if (header.cost.opsLimit > bound.opsLimit || header.cost.memLimit > bound.memLimit)
        return {header, Failure::TooCostly};
    if (header.cost.opsLimit < crypto_pwhash_argon2id_OPSLIMIT_MIN ||
        header.cost.memLimit < crypto_pwhash_argon2id_MEMLIMIT_MIN)
        return {header, Failure::Damaged};
    const std::uint32_t padded = header.sealedBytes - tagBytes;
    if (header.sealedBytes < tagBytes + padBlock || padded > longestPadded ||
        padded % padBlock != 0)
        return {header, Failure::Damaged};
    // A picture cut short, grown or reshaped is not the one that was sealed.
    const std::int64_t total = headerBytes + std::int64_t(header.sealedBytes);
    const Size size = pictureSize(total);
    if (image.width != size.width || image.height != size.height)
        return {header, Failure::Damaged};
    // The bytes after the seal fill the last pixels with zeros; any other value
    // is a changed pixel, told without the password.
    if (std::any_of(bytes.begin() + total, bytes.end(), [](unsigned char b) { return b != 0; }))
        return {header, Failure::Changed};
    return {header, Failure::None};
}

Sealed seal(std::u16string_view text, std::u16string_view password, RandomBytes &random,
            const KdfCost &cost)
{
    if (password.empty())
        return {{}, Failure::NeedsPassword};
    if (text.size() > std::size_t(longestText))
        return {{}, Failure::TextTooLong};

    std::string utf8 = utf8::encode(text);
    const Wiped wipeText{utf8};
    std::vector<unsigned char> plain(static_cast<std::size_t>(longestPadded));
    const Wiped wipePlain{plain};
    std::memcpy(plain.data(), utf8.data(), utf8.size());
    std::size_t padded = 0;
    if (sodium_pad(&padded, plain.data(), static_cast<std::size_t>(utf8.size()), padBlock,
                   plain.size()) != 0)
        return {{}, Failure::TextTooLong};
    return sealPadded(std::span(plain).first(padded), password, random, cost);
}

Sealed sealPadded(std::span<const unsigned char> padded, std::u16string_view password,
                  RandomBytes &random, const KdfCost &cost)
{
    if (password.empty())
        return {{}, Failure::NeedsPassword};
    if (padded.empty() || padded.size() > std::size_t(longestPadded) ||
        padded.size() % padBlock != 0)
        return {{}, Failure::TextTooLong};
    if (!sodiumReady())
        return {{}, Failure::OutOfMemory};

    const auto sealedBytes = static_cast<std::uint32_t>(padded.size() + tagBytes);
    const Size size = pictureSize(headerBytes + std::int64_t(sealedBytes));
    Picture image(size.width, size.height);
    std::vector<unsigned char> &bytes = image.rgb;
    std::copy(signature.begin(), signature.end(), bytes.begin());
    bytes[versionAt] = version;
    bytes[algorithmAt] = argon2id13;
    writeLittle(bytes, opsAt, 4, cost.opsLimit);
    writeLittle(bytes, memAt, 8, cost.memLimit);
    writeLittle(bytes, sealedAt, 4, sealedBytes);
    random.fill(std::span(bytes).subspan(saltAt, saltBytes));
    random.fill(std::span(bytes).subspan(nonceAt, nonceBytes));

    std::array<unsigned char, keyBytes> key{};
    const Wiped wipeKey{key};
    if (!deriveKey(key, password, bytes.data() + saltAt, cost))
        return {{}, Failure::OutOfMemory};
    unsigned long long written = 0;
    crypto_aead_xchacha20poly1305_ietf_encrypt(bytes.data() + headerBytes, &written, padded.data(),
                                               padded.size(), bytes.data(), headerBytes, nullptr,
                                               bytes.data() + nonceAt, key.data());

    return {std::move(image), Failure::None};
}

std::vector<unsigned char> streamOf(const Picture &image)
{
    const HeaderRead read = readHeader(image);
    if (read.failure != Failure::None)
        return {};
    const auto end = image.rgb.begin() + headerBytes + std::int64_t(read.header.sealedBytes);
    return {image.rgb.begin(), end};
}

Picture pictureOf(std::span<const unsigned char> stream)
{
    if (stream.empty() || stream.size() > std::size_t(longestStream))
        return {};
    const Size size = pictureSize(std::int64_t(stream.size()));
    Picture image(size.width, size.height);
    std::copy(stream.begin(), stream.end(), image.rgb.begin());
    return image;
}

Opened open(const Picture &image, std::u16string_view password, const KdfCost &bound)
{
    const HeaderRead read = readHeader(image, bound);
    if (read.failure != Failure::None)
        return {{}, read.failure};
    if (password.empty())
        return {{}, Failure::NeedsPassword};
    if (!sodiumReady())
        return {{}, Failure::OutOfMemory};

    const std::vector<unsigned char> &bytes = image.rgb;
    std::array<unsigned char, keyBytes> key{};
    const Wiped wipeKey{key};
    if (!deriveKey(key, password, bytes.data() + saltAt, read.header.cost))
        return {{}, Failure::OutOfMemory};
    std::vector<unsigned char> plain(read.header.paddedBytes());
    const Wiped wipePlain{plain};
    unsigned long long opened = 0;
    if (crypto_aead_xchacha20poly1305_ietf_decrypt(
            plain.data(), &opened, nullptr, bytes.data() + headerBytes, read.header.sealedBytes,
            bytes.data(), headerBytes, bytes.data() + nonceAt, key.data()) != 0)
        return {{}, Failure::NotAuthentic};
    std::size_t length = 0;
    // Past the seal the password was right: bad padding or UTF-8 is the
    // writer's fault, not a change on the way.
    if (sodium_unpad(&length, plain.data(), plain.size(), padBlock) != 0)
        return {{}, Failure::NotConforming};
    std::optional<std::u16string> text = utf8::decode(std::span(plain).first(length));
    if (!text)
        return {{}, Failure::NotConforming};
    if (text->size() > std::size_t(longestText))
        return {{}, Failure::TextTooLong};
    return {std::move(*text), Failure::None};
}

void show(const Picture &image, Surface &picture1, Surface &picture5)
{
    // Outer sizes hold a one-pixel border on each side.
    picture1.setWidth(static_cast<float>((image.width + 2) * 15));
    picture1.setHeight(static_cast<float>((image.height + 2) * 15));
    picture1.Cls();
    picture1.PaintPicture(image, 0, 0);
    picture1.Refresh();

    picture5.Cls();
    picture5.setWidth(picture1.Width());
    picture5.setHeight(picture1.Height());
    picture5.PaintPicture(picture1.Image(), 0, 0);
    picture5.Refresh();
}

void SystemRandomBytes::fill(std::span<unsigned char> bytes)
{
    // randombytes_buf needs no sodium_init, but libsodium wants it first.
    sodiumReady();
    randombytes_buf(bytes.data(), bytes.size());
}

} // namespace veltrin::protectedPicture
