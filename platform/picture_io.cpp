// SPDX-License-Identifier: GPL-3.0-or-later
#include "picture_io.h"

#include "file_error_text.h"
#include "runtime_error.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
#include <QSaveFile>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>

namespace veltrin {

namespace {

constexpr int FileNotFound = 53;
constexpr int DiskFull = 61;
constexpr int PathFileAccessError = 75;
constexpr int InvalidPicture = 481;

PictureLoad failure(int number, QString reason)
{
    return {std::nullopt, number, std::move(reason)};
}

std::uint32_t u16At(const QByteArray &b, qsizetype at)
{
    const auto *p = reinterpret_cast<const unsigned char *>(b.constData()) + at;
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8;
}

std::uint32_t u32At(const QByteArray &b, qsizetype at)
{
    return u16At(b, at) | u16At(b, at + 2) << 16;
}

std::int64_t i32At(const QByteArray &b, qsizetype at)
{
    return static_cast<std::int32_t>(u32At(b, at));
}

bool masksSound(std::uint32_t red, std::uint32_t green, std::uint32_t blue, std::uint32_t bits)
{
    const std::uint64_t room = (std::uint64_t(1) << bits) - 1;
    std::uint32_t seen = 0;
    for (const std::uint32_t mask : {red, green, blue}) {
        if (mask == 0 || (mask & seen) != 0 || mask > room)
            return false;
        const std::uint32_t shifted = mask >> __builtin_ctz(mask);
        if ((shifted & (shifted + 1)) != 0) // not one run of bits
            return false;
        seen |= mask;
    }
    return true;
}

// Follows a run-length stream without drawing it. Accepted only when every
// run stays inside the picture and the stream paints every pixel: Qt leaves
// skipped pixels unset, and a stream that jumps or stops early would show
// whatever memory held.
bool rleComplete(const QByteArray &b, qsizetype pos, std::int64_t width, std::int64_t height,
                 bool fourBit)
{
    std::int64_t x = 0;
    std::int64_t y = 0;
    const auto byteAt = [&b](qsizetype at) { return static_cast<unsigned char>(b.at(at)); };
    while (pos + 1 < b.size()) {
        const unsigned count = byteAt(pos);
        const unsigned value = byteAt(pos + 1);
        pos += 2;
        if (count > 0) {
            if (y >= height || x + count > width)
                return false;
            x += count;
            continue;
        }
        switch (value) {
        case 0: // end of line
            if (x != width)
                return false;
            x = 0;
            ++y;
            break;
        case 1: // end of picture
            return (y == height - 1 && x == width) || (y == height && x == 0);
        case 2: // a jump leaves pixels out
            return false;
        default: {
            if (y >= height || x + value > width)
                return false;
            x += value;
            const qsizetype bytes = fourBit ? (value + 1) / 2 : value;
            pos += bytes + (bytes & 1);
            break;
        }
        }
    }
    return false;
}

using ColourMasks = std::array<std::uint32_t, 3>;

// What Qt's BMP reader lets through although the file breaks the format:
// sizes beyond the file, absurd densities, overlapping colour masks, pixel
// data cut short, run-length codes that leave the picture.
bool bmpSound(const QByteArray &b, ColourMasks &masks)
{
    const qsizetype n = b.size();
    if (n < 26)
        return false;
    const std::uint32_t fileSize = u32At(b, 2);
    const std::uint32_t offBits = u32At(b, 10);
    const std::uint32_t headerSize = u32At(b, 14);
    if (fileSize > n || offBits > n)
        return false;

    std::int64_t width = 0;
    std::int64_t height = 0;
    std::uint32_t bitCount = 0;
    std::uint32_t compression = 0;
    if (headerSize == 12) {
        width = u16At(b, 18);
        height = u16At(b, 20);
        bitCount = u16At(b, 24);
    } else if (headerSize >= 40 && 14 + std::int64_t(headerSize) <= n) {
        width = i32At(b, 18);
        height = i32At(b, 22);
        bitCount = u16At(b, 28);
        compression = u32At(b, 30);
        const std::uint32_t sizeImage = u32At(b, 34);
        const std::int64_t xDensity = i32At(b, 38);
        const std::int64_t yDensity = i32At(b, 42);
        if (sizeImage > n)
            return false;
        if (xDensity < 0 || yDensity < 0)
            return false;
        if (xDensity > 0 && yDensity > 0 &&
            std::max(xDensity, yDensity) > 100 * std::min(xDensity, yDensity))
            return false;
        const bool os2v2 = headerSize == 64 || headerSize == 16;
        if (!os2v2 && (compression == 1 || compression == 2)) {
            if (height < 0) // run-length pictures are stored bottom-up only
                return false;
            if (!rleComplete(b, offBits, width, height, compression == 2))
                return false;
        }
        if (!os2v2 && compression == 0 && bitCount == 16)
            masks = {0x7C00, 0x03E0, 0x001F};
        if (!os2v2 && compression == 3 && (bitCount == 16 || bitCount == 32)) {
            if (n < 66)
                return false;
            masks = {u32At(b, 54), u32At(b, 58), u32At(b, 62)};
            if (!masksSound(masks[0], masks[1], masks[2], bitCount))
                return false;
        }
    } else {
        return true; // Qt judges the header forms it knows
    }

    const bool uncompressed = compression == 0 || (compression == 3 && headerSize != 64);
    if (uncompressed && bitCount > 0 && bitCount <= 32 && width > 0) {
        const std::int64_t rowBytes = (width * bitCount + 31) / 32 * 4;
        const std::int64_t rows = height < 0 ? -height : height;
        if (std::int64_t(offBits) + rowBytes * rows > n)
            return false;
    }
    return true;
}

// Qt widens a channel of fewer than 8 bits by shifting, so 5-bit full red
// comes out as 248. Repeating the bits instead gives the full range the
// format means: 31 of 31 is 255, 0 stays 0.
void widenNarrowChannels(QImage &image, const ColourMasks &masks)
{
    std::array<std::array<uchar, 256>, 3> widened{};
    bool needed = false;
    for (std::size_t channel = 0; channel < 3; ++channel) {
        const int bits = masks[channel] ? __builtin_popcount(masks[channel]) : 8;
        needed = needed || bits < 8;
        for (unsigned level = 0; level < 256; ++level) {
            if (bits >= 8) {
                widened[channel][level] = uchar(level);
                continue;
            }
            const unsigned value = level >> (8 - bits);
            unsigned wide = 0;
            int filled = 0;
            while (filled < 8) {
                wide = wide << bits | value;
                filled += bits;
            }
            widened[channel][level] = uchar(wide >> (filled - 8));
        }
    }
    if (!needed)
        return;
    image = image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32
                                                          : QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = line[x];
            line[x] =
                qRgba(widened[0][qRed(p)], widened[1][qGreen(p)], widened[2][qBlue(p)], qAlpha(p));
        }
    }
}

// An index past the end of the palette has no colour.
bool indicesInsidePalette(const QImage &image)
{
    const int colours = image.colorCount();
    if (colours == 0)
        return true;
    for (int y = 0; y < image.height(); ++y) {
        if (image.format() == QImage::Format_Indexed8) {
            const uchar *line = image.constScanLine(y);
            if (std::any_of(line, line + image.width(),
                            [colours](uchar i) { return i >= colours; }))
                return false;
        } else {
            for (int x = 0; x < image.width(); ++x)
                if (image.pixelIndex(x, y) >= colours)
                    return false;
        }
    }
    return true;
}

// WebP keeps pixels exactly only in its lossless form, the VP8L chunk.
bool lossyWebp(const QByteArray &bytes)
{
    return bytes.size() >= 16 && bytes.mid(12, 4) != QByteArrayLiteral("VP8L");
}

PictureLoad decodeBytes(QByteArray bytes, const QString &suffix)
{
    const bool bmp = bytes.startsWith("BM");
    ColourMasks masks{};
    if (bmp && !bmpSound(bytes, masks))
        return failure(InvalidPicture, QStringLiteral("无效图片"));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    // The content names the format whatever the file is called; the reader
    // would repeat the suffix ("jpg", or "bmp" for a renamed JPEG).
    const QByteArray content = QImageReader::imageFormat(&buffer);
    QImageReader reader(&buffer, suffix.toLatin1());
    reader.setAutoTransform(false);
    reader.setDecideFormatFromContent(true);
    QImage image = reader.read();
    if (image.isNull() || !indicesInsidePalette(image))
        return failure(InvalidPicture, QStringLiteral("无效图片"));
    if (bmp)
        widenNarrowChannels(image, masks);
    OpenedPicture opened{std::move(image), content.isEmpty() ? reader.format().toLower() : content,
                         false};
    opened.lossy = opened.format == "jpeg" || (opened.format == "webp" && lossyWebp(bytes));
    return {std::move(opened), 0, {}};
}

PictureLoad decode(const QString &path)
{
    if (!QFileInfo(path).isFile())
        return failure(FileNotFound, QStringLiteral("文件未找到"));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return failure(PathFileAccessError,
                       QStringLiteral("路径/文件访问错误：%1").arg(file.errorString()));
    // Whatever is larger than the decoders would allocate cannot be a picture for us.
    const qint64 limit = qint64(QImageReader::allocationLimit()) * 1024 * 1024;
    if (limit > 0 && file.size() > limit)
        return failure(InvalidPicture, QStringLiteral("无效图片"));
    QByteArray bytes = file.readAll();
    file.close();
    return decodeBytes(std::move(bytes), QFileInfo(path).suffix().toLower());
}

} // namespace

PictureLoad QtPictureLoader::OleLoadPicturePath(const QString &path)
{
    return decode(path);
}

OpenedPicture QtPictureLoader::loadPictureFallback(const QString &path)
{
    PictureLoad loaded = decode(path);
    if (!loaded.picture)
        throw RuntimeError(loaded.errorNumber, loaded.reason);
    return *std::move(loaded.picture);
}

PictureLoad QtPictureLoader::loadBytes(const QByteArray &bytes, const QString &suffix)
{
    return decodeBytes(bytes, suffix.toLower());
}

void QtPictureWriter::writeBmp(const QImage &image, QIODevice &device)
{
    if (image.isNull())
        throw RuntimeError(InvalidPicture, QStringLiteral("无效图片"));
    // Qt writes 32-bit RGB pictures as uncompressed 24-bit BMP files. errno
    // right after the failing call says why; Qt's own reason is English.
    QImageWriter writer(&device, "bmp");
    errno = 0;
    if (!writer.write(image.convertToFormat(QImage::Format_RGB32))) {
        const int error = errno;
        const auto *file = qobject_cast<const QFileDevice *>(&device);
        const bool failed = file && file->error() != QFileDevice::NoError;
        const bool full = failed && file->error() == QFileDevice::ResourceError;
        throw RuntimeError(full ? DiskFull : PathFileAccessError,
                           QStringLiteral("无法写入图片：%1")
                               .arg(failed ? writeErrorText(file->fileName(), error, file->error())
                                           : QStringLiteral("无法编码图片")));
    }
}

void QtPictureWriter::SavePicture(const QImage &image, const QString &path)
{
    if (image.isNull())
        throw RuntimeError(InvalidPicture, QStringLiteral("无效图片"));
    QSaveFile file(path);
    errno = 0;
    if (!file.open(QIODevice::WriteOnly)) {
        const int error = errno;
        throw RuntimeError(
            PathFileAccessError,
            QStringLiteral("路径/文件访问错误：%1").arg(writeErrorText(path, error, file.error())));
    }
    try {
        writeBmp(image, file);
    } catch (const RuntimeError &) {
        file.cancelWriting();
        throw;
    }
    errno = 0;
    if (!file.commit()) {
        const int error = errno;
        const bool full = file.error() == QFileDevice::ResourceError;
        throw RuntimeError(
            full ? DiskFull : PathFileAccessError,
            QStringLiteral("无法写入图片：%1").arg(writeErrorText(path, error, file.error())));
    }
}

} // namespace veltrin
