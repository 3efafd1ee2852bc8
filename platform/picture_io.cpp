// SPDX-License-Identifier: GPL-3.0-or-later
#include "picture_io.h"

#include "file_error_text.h"
#include "picture_layout.h"
#include "qt_adapters.h"
#include "runtime_error.h"
#include "system_error.h"

#include <QBuffer>
#include <QColorSpace>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
#include <QRgba64>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

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

PictureLoad invalidPicture()
{
    return failure(InvalidPicture, QStringLiteral("无效图片"));
}

// The formats that open, by the names Qt's readers give them; no other reader
// Qt has (XPM, XBM, WBMP, ICNS, ...) ever decodes a file. A signature
// tells a format from the first bytes; TGA has none, and ICO's first bytes
// are also those of a TGA header, so for a file named *.tga the name decides.
struct OpenableFormat
{
    const char *name;
    bool signature;
};
constexpr std::array<OpenableFormat, 11> openableFormats{{
    {"bmp", true},
    {"png", true},
    {"jpeg", true},
    {"gif", true},
    {"tiff", true},
    {"webp", true},
    {"pbm", true},
    {"pgm", true},
    {"ppm", true},
    {"ico", false},
    {"tga", false},
}};

const OpenableFormat *openable(const QByteArray &format)
{
    const auto found =
        std::find_if(openableFormats.begin(), openableFormats.end(),
                     [&format](const OpenableFormat &f) { return format == f.name; });
    return found == openableFormats.end() ? nullptr : &*found;
}

// The reader for these bytes: what their content says, unless the name says
// TGA and the content carries no signature; empty when nothing fits.
QByteArray formatOf(QBuffer &buffer, const QString &suffix)
{
    const QByteArray content = QImageReader::imageFormat(&buffer);
    buffer.seek(0);
    const OpenableFormat *known = openable(content);
    if (suffix == QStringLiteral("tga") && !(known && known->signature))
        return QByteArrayLiteral("tga");
    if (!known || content == "tga")
        return {};
    return content;
}

using ColourMasks = std::array<std::uint32_t, 3>;

// Qt's reader scales a channel of k bits by 256 / 2^k: one of more than 8
// bits comes out 0, as does an empty mask. A mask that reaches past the
// pixel's bits or comes in pieces gives no colour the format defines.
bool masksGiveColour(const ColourMasks &masks, std::uint32_t bits)
{
    for (const std::uint32_t mask : masks) {
        if (mask == 0 || (bits < 32 && mask >> bits != 0))
            return false;
        const std::uint32_t run = mask >> __builtin_ctz(mask);
        if ((run & (run + 1)) != 0 || run > 0xFF) // not one run of at most 8 bits
            return false;
    }
    return true;
}

// A BMP opens when the reader paints every pixel from data in the file, with
// the colours its masks give. Header fields that do not change the pixels
// (file size, image size, resolution) are not looked at.
std::optional<layout::Bmp> bmpOpens(const QByteArray &bytes)
{
    const auto bmp = layout::measureBmp(bytes);
    if (!bmp || bmp->paletteColours > 256)
        return std::nullopt;
    const auto n = static_cast<std::uint64_t>(bytes.size());
    if (bmp->pixelStart > n)
        return std::nullopt;
    if (bmp->rle != layout::Rle::None) {
        if (layout::followRunLength(bytes, *bmp) != layout::RunLength::Complete)
            return std::nullopt;
    } else if (!bmp->rowsBytes || *bmp->rowsBytes > n - bmp->pixelStart) {
        return std::nullopt; // rows cut short
    }
    if (bmp->compression == 3 && !masksGiveColour(bmp->masks, bmp->bits))
        return std::nullopt;
    return bmp;
}

// A TGA opens when its pixels lie before the footer. Qt's reader skips the
// identifier and the colour map twice, so it is handed the pixels right
// after the header.
std::optional<QByteArray> tgaForQt(const QByteArray &bytes)
{
    const auto tga = layout::measureTga(bytes);
    if (!tga || tga->pixelBytes == 0 || tga->pixelStart + tga->pixelBytes > tga->footerStart)
        return std::nullopt;
    QByteArray plain = bytes.first(18);
    plain[0] = 0; // no identifier
    plain[1] = 0; // no colour map
    std::fill(plain.begin() + 3, plain.begin() + 8, '\0');
    plain += bytes.sliced(static_cast<qsizetype>(tga->pixelStart));
    return plain;
}

// Qt reads a 16-bit RGB PNG that names a transparent colour six bytes a pixel
// into eight, which scrambles the picture and leaves a quarter of it unset.
// Without the colour the reader gets it right; the colour is then applied here.
void clearTransparentColour(QImage &image, const std::array<std::uint16_t, 3> &rgb)
{
    image = image.convertToFormat(QImage::Format_RGBA64);
    for (int y = 0; y < image.height(); ++y) {
        auto *line = reinterpret_cast<QRgba64 *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if (line[x].red() == rgb[0] && line[x].green() == rgb[1] && line[x].blue() == rgb[2])
                line[x].setAlpha(0);
    }
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

// TIFF compressions that do not keep every pixel: JPEG (old and new),
// JPEG 2000, lossy JPEG, WebP and JPEG XL. An unknown one may not either.
bool lossyTiff(std::optional<std::uint32_t> compression)
{
    switch (compression.value_or(0)) {
    case 1:     // none
    case 2:     // CCITT modified Huffman
    case 3:     // CCITT group 3
    case 4:     // CCITT group 4
    case 5:     // LZW
    case 8:     // Deflate
    case 32773: // PackBits
    case 32946: // Deflate, old code
    case 34925: // LZMA
    case 50000: // Zstandard
        return false;
    default:
        return true;
    }
}

// Decodes into a picture filled with `byte` beforehand, where the reader
// takes the picture it is given.
QImage decodeOnto(QByteArray bytes, const QByteArray &format, const QImage &like,
                  unsigned char byte)
{
    QImage image(like.size(), like.format());
    if (image.isNull())
        return {};
    if (like.colorCount() > 0)
        image.setColorTable(like.colorTable());
    std::memset(image.bits(), byte, static_cast<std::size_t>(image.sizeInBytes()));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format);
    reader.setDecideFormatFromContent(false);
    reader.setAutoTransform(false);
    return reader.read(&image) ? image : QImage();
}

PictureLoad decodeBytes(QByteArray bytes, const QString &suffix)
{
    QBuffer probe(&bytes);
    probe.open(QIODevice::ReadOnly);
    const QByteArray format = formatOf(probe, suffix);
    probe.close();
    if (format.isEmpty())
        return invalidPicture();

    std::optional<layout::Bmp> bmp;
    if (format == "bmp") {
        bmp = bmpOpens(bytes);
        if (!bmp)
            return invalidPicture();
    }
    const bool lossy =
        format == "jpeg" ||
        (format == "webp" && layout::webpImage(bytes) != layout::WebpImage::Lossless) ||
        (format == "tiff" && lossyTiff(layout::tiffCompression(bytes)));
    const bool incomplete = (format == "jpeg" && !layout::jpegComplete(bytes).value_or(true)) ||
                            (format == "gif" && !layout::gifComplete(bytes).value_or(true));
    if (format == "tga") {
        std::optional<QByteArray> plain = tgaForQt(bytes);
        if (!plain)
            return invalidPicture();
        bytes = *std::move(plain);
    }
    std::optional<layout::PngTransparentColour> transparent;
    if (format == "png") {
        // A chunk that claims more than the file holds is data cut short, and
        // libpng would allocate all it claims before finding out.
        const auto png = layout::measurePng(bytes);
        if (!png || !png->chunksInside)
            return invalidPicture();
        transparent = png->rgb16Transparent;
        if (transparent)
            bytes.remove(transparent->chunkStart, transparent->chunkBytes);
    }

    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format);
    reader.setDecideFormatFromContent(false);
    reader.setAutoTransform(false);
    QImage image = reader.read();
    if (image.isNull() || !indicesInsidePalette(image))
        return invalidPicture();
    // Qt's TIFF reader leaves the rows of a strip the file does not hold as
    // the memory was: read onto black and onto white, they must agree.
    if (format == "tiff") {
        const QImage black = decodeOnto(bytes, format, image, 0x00);
        if (black.isNull() || !samePixels(black, decodeOnto(bytes, format, image, 0xFF)))
            return invalidPicture();
        image = black;
    }
    // The picture box keeps 32-bit pixels: a 1-bit picture of a few megabytes
    // would take gigabytes there.
    if (qint64(image.width()) * image.height() * 4 > pictureByteLimit())
        return invalidPicture();
    if (bmp)
        widenNarrowChannels(image, bmp->masks);
    if (transparent)
        clearTransparentColour(image, transparent->rgb);
    return {OpenedPicture{std::move(image), format, lossy, incomplete}, 0, {}};
}

PictureLoad decode(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return failure(FileNotFound, QStringLiteral("文件未找到"));
    if (!info.isFile())
        return failure(PathFileAccessError,
                       info.isDir() ? QStringLiteral("这是一个文件夹，不是图片文件")
                                    : QStringLiteral("这不是普通文件，而是设备、管道或套接字"));
    QFile file(path);
    int systemError = 0;
    const auto accessError = [&file, &systemError] {
        return failure(
            PathFileAccessError,
            QStringLiteral("路径/文件访问错误：%1").arg(fileErrorText(systemError, file.error())));
    };
    clearSystemError();
    if (!file.open(QIODevice::ReadOnly)) {
        systemError = lastSystemError();
        return accessError();
    }
    const qint64 limit = pictureByteLimit();
    if (file.size() > limit)
        return invalidPicture();
    QByteArray bytes;
    bytes.reserve(static_cast<qsizetype>(file.size()) + 1);
    while (bytes.size() <= limit) {
        const qsizetype have = bytes.size();
        const qint64 step = std::min<qint64>(limit + 1 - have, 1 << 20);
        bytes.resize(have + static_cast<qsizetype>(step));
        clearSystemError();
        const qint64 got = file.read(bytes.data() + have, step);
        systemError = lastSystemError();
        bytes.resize(have + static_cast<qsizetype>(std::max<qint64>(got, 0)));
        if (got < 0)
            return accessError();
        if (got == 0)
            break;
    }
    file.close();
    if (bytes.size() > limit)
        return invalidPicture();
    return decodeBytes(std::move(bytes), QFileInfo(path).suffix().toLower());
}

} // namespace

qint64 pictureByteLimit()
{
    // Qt's bound on what a reader may allocate for an image, or ours when Qt
    // has none.
    const qint64 megabytes = QImageReader::allocationLimit();
    return (megabytes > 0 ? megabytes : 256) * 1024 * 1024;
}

bool samePixels(const QImage &a, const QImage &b)
{
    if (a.size() != b.size())
        return false;
    const QImage left = a.convertToFormat(QImage::Format_RGB32);
    const QImage right = b.convertToFormat(QImage::Format_RGB32);
    const auto rowBytes = static_cast<std::size_t>(left.width()) * sizeof(QRgb);
    for (int y = 0; y < left.height(); ++y) {
        const auto *l = reinterpret_cast<const QRgb *>(left.constScanLine(y));
        const auto *r = reinterpret_cast<const QRgb *>(right.constScanLine(y));
        if (std::memcmp(l, r, rowBytes) == 0)
            continue;
        // The unused top byte may differ where the colours agree.
        for (int x = 0; x < left.width(); ++x)
            if ((l[x] ^ r[x]) & 0xFFFFFF)
                return false;
    }
    return true;
}

PictureLoad QtPictureLoader::OleLoadPicturePath(const QString &path)
{
    return decode(path);
}

OpenedPicture QtPictureLoader::loadPictureFallback(const QString &path)
{
    PictureLoad loaded = decode(path);
    if (!loaded.picture)
        throw runtimeError(loaded.errorNumber, loaded.reason);
    return *std::move(loaded.picture);
}

PictureLoad QtPictureLoader::loadBytes(const QByteArray &bytes, const QString &suffix)
{
    return decodeBytes(bytes, suffix.toLower());
}

QString extensionOf(PictureFormat format)
{
    return format == PictureFormat::Png ? QStringLiteral("png") : QStringLiteral("bmp");
}

std::optional<PictureFormat> writtenFormat(const QString &extension)
{
    for (const PictureFormat format : {PictureFormat::Bmp, PictureFormat::Png})
        if (extension.compare(extensionOf(format), Qt::CaseInsensitive) == 0)
            return format;
    return std::nullopt;
}

void QtPictureWriter::write(const QImage &image, QIODevice &device, PictureFormat format)
{
    if (image.isNull())
        throw runtimeError(InvalidPicture, QStringLiteral("无效图片"));
    // Qt writes 32-bit RGB pictures as uncompressed 24-bit BMP files and as
    // 8-bit RGB PNG files. A colour space would become an iCCP, sRGB or gAMA
    // chunk, and a reader that applies it changes the colours that are the text.
    QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    rgb.setColorSpace(QColorSpace());
    QImageWriter writer(&device, extensionOf(format).toLatin1());
    // The system's error right after the failing call says why; Qt's own reason is English.
    clearSystemError();
    if (!writer.write(rgb)) {
        const int error = lastSystemError();
        const auto *file = qobject_cast<const QFileDevice *>(&device);
        const bool failed = file && file->error() != QFileDevice::NoError;
        const bool full = failed && file->error() == QFileDevice::ResourceError;
        throw runtimeError(full ? DiskFull : PathFileAccessError,
                           QStringLiteral("无法写入图片：%1")
                               .arg(failed ? writeErrorText(file->fileName(), error, file->error())
                                           : QStringLiteral("无法编码图片")));
    }
}

} // namespace veltrin
