// SPDX-License-Identifier: GPL-3.0-or-later
#include "protected_picture.h"

#include "cipher_picture.h"
#include "surface.h"

#include <QStringDecoder>

#include <sodium.h>

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

// The picture for `bytes` bytes: as square as whole rows allow.
QSize pictureSize(qint64 bytes)
{
    const qint64 pixels = (bytes + 2) / 3;
    qint64 width = 1;
    while (width * width < pixels)
        ++width;
    return {static_cast<int>(width), static_cast<int>((pixels + width - 1) / width)};
}

// The first `count` bytes of the picture, red, green, blue, pixel by pixel in
// rows; the caller makes sure the picture has them.
std::vector<unsigned char> pictureBytes(const QImage &image, qint64 count)
{
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    std::vector<unsigned char> bytes(static_cast<std::size_t>(count));
    for (qint64 i = 0; i < count; ++i) {
        const qint64 pixel = i / 3;
        const QRgb colour = reinterpret_cast<const QRgb *>(
            rgb.constScanLine(static_cast<int>(pixel / rgb.width())))[pixel % rgb.width()];
        const int channel = static_cast<int>(i % 3);
        bytes[static_cast<std::size_t>(i)] =
            static_cast<unsigned char>(channel == 0   ? qRed(colour)
                                       : channel == 1 ? qGreen(colour)
                                                      : qBlue(colour));
    }
    return bytes;
}

qint64 pixelCount(const QImage &image)
{
    return image.isNull() ? 0 : qint64(image.width()) * image.height();
}

bool deriveKey(std::array<unsigned char, keyBytes> &key, const QString &password,
               const unsigned char *salt, const KdfCost &cost)
{
    QByteArray utf8 = password.toUtf8();
    const Wiped wipe{utf8};
    return crypto_pwhash(key.data(), key.size(), utf8.constData(),
                         static_cast<unsigned long long>(utf8.size()), salt, cost.opsLimit,
                         static_cast<std::size_t>(cost.memLimit),
                         crypto_pwhash_ALG_ARGON2ID13) == 0;
}

} // namespace

bool hasSignature(const QImage &image)
{
    if (pixelCount(image) * 3 < static_cast<qint64>(signature.size()))
        return false;
    const std::vector<unsigned char> start = pictureBytes(image, signature.size());
    return std::equal(signature.begin(), signature.end(), start.begin());
}

HeaderRead readHeader(const QImage &image, const KdfCost &bound)
{
    if (!hasSignature(image))
        return {{}, Failure::NotProtected};
    if (pixelCount(image) * 3 < headerBytes)
        return {{}, Failure::Damaged};
    const std::vector<unsigned char> bytes = pictureBytes(image, headerBytes);
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
    const qint64 total = headerBytes + qint64(header.sealedBytes);
    if (image.size() != pictureSize(total))
        return {header, Failure::Damaged};
    // The bytes after the seal fill the last pixels with zeros; any other value
    // is a changed pixel, told without the password.
    const std::vector<unsigned char> all = pictureBytes(image, pixelCount(image) * 3);
    if (std::any_of(all.begin() + total, all.end(), [](unsigned char b) { return b != 0; }))
        return {header, Failure::Changed};
    return {header, Failure::None};
}

Sealed seal(const QString &text, const QString &password, RandomBytes &random, const KdfCost &cost)
{
    if (password.isEmpty())
        return {{}, Failure::NeedsPassword};
    if (text.size() > longestText)
        return {{}, Failure::TextTooLong};

    QByteArray utf8 = text.toUtf8();
    const Wiped wipeText{utf8};
    std::vector<unsigned char> plain(static_cast<std::size_t>(longestPadded));
    const Wiped wipePlain{plain};
    std::memcpy(plain.data(), utf8.constData(), static_cast<std::size_t>(utf8.size()));
    std::size_t padded = 0;
    if (sodium_pad(&padded, plain.data(), static_cast<std::size_t>(utf8.size()), padBlock,
                   plain.size()) != 0)
        return {{}, Failure::TextTooLong};
    return sealPadded(std::span(plain).first(padded), password, random, cost);
}

Sealed sealPadded(std::span<const unsigned char> padded, const QString &password,
                  RandomBytes &random, const KdfCost &cost)
{
    if (password.isEmpty())
        return {{}, Failure::NeedsPassword};
    if (padded.empty() || padded.size() > longestPadded || padded.size() % padBlock != 0)
        return {{}, Failure::TextTooLong};
    if (!sodiumReady())
        return {{}, Failure::OutOfMemory};

    const auto sealedBytes = static_cast<std::uint32_t>(padded.size() + tagBytes);
    const qint64 total = headerBytes + qint64(sealedBytes);
    const QSize size = pictureSize(total);
    std::vector<unsigned char> bytes(static_cast<std::size_t>(size.width()) * size.height() * 3);
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

    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < size.width(); ++x) {
            const std::size_t at = (static_cast<std::size_t>(y) * size.width() + x) * 3;
            line[x] = qRgb(bytes[at], bytes[at + 1], bytes[at + 2]);
        }
    }
    return {image, Failure::None};
}

Opened open(const QImage &image, const QString &password, const KdfCost &bound)
{
    const HeaderRead read = readHeader(image, bound);
    if (read.failure != Failure::None)
        return {{}, read.failure};
    if (password.isEmpty())
        return {{}, Failure::NeedsPassword};
    if (!sodiumReady())
        return {{}, Failure::OutOfMemory};

    const qint64 total = headerBytes + qint64(read.header.sealedBytes);
    const std::vector<unsigned char> bytes = pictureBytes(image, total);

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

    // A leading U+FEFF is part of the text, not a byte-order mark.
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless |
                                                     QStringDecoder::Flag::ConvertInitialBom);
    QString text =
        decoder(QByteArrayView(reinterpret_cast<const char *>(plain.data()), qsizetype(length)));
    if (decoder.hasError())
        return {{}, Failure::NotConforming};
    if (text.size() > longestText)
        return {{}, Failure::TextTooLong};
    return {std::move(text), Failure::None};
}

void show(const QImage &image, Surface &picture1, Surface &picture5)
{
    // Outer sizes hold a one-pixel border on each side.
    picture1.setWidth(static_cast<float>((image.width() + 2) * 15));
    picture1.setHeight(static_cast<float>((image.height() + 2) * 15));
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
