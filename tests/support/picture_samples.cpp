// SPDX-License-Identifier: GPL-3.0-or-later
#include "picture_samples.h"

#include <QBuffer>
#include <QImageReader>
#include <QImageWriter>

#include <cstring>
#include <random>

namespace veltrin::testing {

namespace {

void le16(QByteArray &bytes, std::uint32_t value)
{
    bytes += char(value & 0xFF);
    bytes += char((value >> 8) & 0xFF);
}

void le32(QByteArray &bytes, std::uint32_t value)
{
    le16(bytes, value & 0xFFFF);
    le16(bytes, value >> 16);
}

} // namespace

QByteArray bmpFile(const BmpSpec &spec)
{
    const bool core = spec.headerSize == 12;
    std::vector<QRgb> colours = spec.palette;
    if (core && spec.bits <= 8)
        colours.resize(std::size_t(1) << spec.bits, 0);
    QByteArray palette;
    for (const QRgb colour : colours) {
        palette += char(qBlue(colour));
        palette += char(qGreen(colour));
        palette += char(qRed(colour));
        if (!core)
            palette += '\0';
    }

    QByteArray info;
    if (core) {
        le32(info, 12);
        le16(info, static_cast<std::uint32_t>(spec.width));
        le16(info, static_cast<std::uint32_t>(spec.height));
        le16(info, 1);
        le16(info, spec.bits);
    } else {
        le32(info, spec.headerSize);
        le32(info, static_cast<std::uint32_t>(spec.width));
        le32(info, static_cast<std::uint32_t>(spec.height));
        le16(info, 1);
        le16(info, spec.bits);
        le32(info, spec.compression);
        le32(info, spec.imageSize);
        le32(info, static_cast<std::uint32_t>(spec.xDensity));
        le32(info, static_cast<std::uint32_t>(spec.yDensity));
        le32(info, static_cast<std::uint32_t>(colours.size()));
        le32(info, 0);
        QByteArray masks;
        for (const std::uint32_t mask : spec.masks)
            le32(masks, mask);
        const bool withMasks = spec.compression == 3;
        if (withMasks && spec.headerSize >= 108)
            info += masks;
        if (info.size() < qsizetype(spec.headerSize))
            info.resize(spec.headerSize, '\0');
        if (withMasks && spec.headerSize < 108)
            info += masks;
    }

    const auto start = static_cast<std::uint32_t>(14 + info.size() + palette.size());
    QByteArray file("BM");
    le32(file, spec.fileSize.value_or(
                   start + static_cast<std::uint32_t>(spec.pixels.size() + spec.trailing.size())));
    le32(file, 0);
    le32(file, spec.offBits.value_or(start));
    return file + info + palette + spec.pixels + spec.trailing;
}

QByteArray tgaFile(const QImage &image, const QByteArray &identifier)
{
    QByteArray file;
    file += char(identifier.size());
    file += '\0'; // no colour map
    file += '\2'; // uncompressed true colour
    file += QByteArray(9, '\0');
    le16(file, static_cast<std::uint32_t>(image.width()));
    le16(file, static_cast<std::uint32_t>(image.height()));
    file += char(24);
    file += char(0x20); // top-down
    file += identifier;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb rgb = image.pixel(x, y);
            file += char(qBlue(rgb));
            file += char(qGreen(rgb));
            file += char(qRed(rgb));
        }
    file += QByteArray(8, '\0'); // no extension or developer area
    file += QByteArrayLiteral("TRUEVISION-XFILE.");
    file += '\0';
    return file;
}

namespace {

constexpr QRgb red = 0xFFFF0000, green = 0xFF00FF00, blue = 0xFF0000FF, white = 0xFFFFFFFF;
const std::vector<QRgb> fourColours{red, green, blue, white};

// Red, green, blue, white over white, blue, green, red: palette indices
// 0 1 2 3 over 3 2 1 0.
QImage fourByTwo()
{
    QImage image(4, 2, QImage::Format_RGB32);
    for (int x = 0; x < 4; ++x) {
        image.setPixel(x, 0, fourColours[std::size_t(x)]);
        image.setPixel(x, 1, fourColours[std::size_t(3 - x)]);
    }
    return image;
}

QByteArray written(const QImage &image, const char *format, int quality = -1)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setQuality(quality);
    return writer.write(image) ? bytes : QByteArray();
}

// Rows of fourByTwo, bottom row first, as BMP pixels of 24, 16 (5-6-5) and 8 bits.
const QByteArray rows24 =
    QByteArray::fromHex("ffffff ff0000 00ff00 0000ff 0000ff 00ff00 ff0000 ffffff");
const QByteArray rows565 = QByteArray::fromHex("ffff 1f00 e007 00f8 00f8 e007 1f00 ffff");
const QByteArray rows8 = QByteArray::fromHex("03020100 00010203");
const QByteArray bottomRle8 = QByteArray::fromHex("0103 0102 0101 0100 0000");
const QByteArray topRle8 = QByteArray::fromHex("0004 00010203");

} // namespace

std::vector<PictureSample> pictureSamples()
{
    std::vector<PictureSample> samples;
    const auto bmp = [&samples](const std::string &name, const BmpSpec &spec, bool opens) {
        samples.push_back({"Bmp" + name, bmpFile(spec), QStringLiteral("bmp"),
                           opens ? QByteArray("bmp") : QByteArray(), false,
                           opens ? std::optional(fourByTwo()) : std::nullopt});
    };
    const BmpSpec plain{.pixels = rows24};
    BmpSpec spec = plain;
    bmp("Plain", plain, true);

    // Header fields that do not change the pixels.
    spec = plain;
    spec.fileSize = static_cast<std::uint32_t>(bmpFile(plain).size() + 2);
    bmp("FileSizeTwoBytesTooLarge", spec, true);
    spec = plain;
    spec.xDensity = 1;
    bmp("Resolution1x2835", spec, true);
    spec = plain;
    spec.yDensity = -5;
    bmp("NegativeResolution", spec, true);
    spec = plain;
    spec.imageSize = 0xFFFFFFF0;
    bmp("ImageSizePastTheFile", spec, true);
    spec = plain;
    spec.trailing = QByteArray(100, 'x');
    bmp("TrailingBytes", spec, true);
    spec = plain;
    spec.offBits = 0; // the reader starts right after the header
    bmp("OffsetInsideTheHeader", spec, true);
    spec = plain;
    spec.height = -2;
    spec.pixels = rows24.sliced(12) + rows24.first(12);
    bmp("TopDown", spec, true);

    // Pixel data that is not there.
    spec = plain;
    spec.pixels.chop(1);
    bmp("RowsCutShort", spec, false);
    spec = plain;
    spec.offBits = 1000;
    bmp("OffsetPastTheEnd", spec, false);
    bmp("HugeClaim", {.width = 0x7FFFFFFF, .height = 0x7FFFFFFF, .bits = 32}, false);

    // Palettes and masks.
    const BmpSpec palette8{.bits = 8, .palette = fourColours, .pixels = rows8};
    bmp("Palette8", palette8, true);
    spec = palette8;
    spec.palette.resize(2);
    bmp("IndexPastThePalette", spec, false);
    const BmpSpec masks565{
        .bits = 16, .compression = 3, .masks = {0xF800, 0x07E0, 0x001F}, .pixels = rows565};
    bmp("Masks565", masks565, true);
    spec = masks565;
    spec.masks[2] = 0;
    bmp("MaskGivesNoBlue", spec, false);
    bmp("TenBitMasks",
        {.bits = 32,
         .compression = 3,
         .masks = {0x3FF00000, 0x000FFC00, 0x3FF},
         .pixels = QByteArray(32, '\xff')},
        false);

    // The old OS/2 header: 16-bit sizes, three-byte palette entries, always
    // 2^bits of them.
    bmp("Os2Core24", {.headerSize = 12, .pixels = rows24}, true);
    const BmpSpec core8{.headerSize = 12, .bits = 8, .palette = fourColours, .pixels = rows8};
    bmp("Os2Core8", core8, true);
    {
        // Only four entries written: the reader takes 256 and runs into the pixels.
        QByteArray file = bmpFile(core8);
        file = file.first(26 + 12) + file.sliced(26 + 768);
        file[10] = char(26 + 12);
        samples.push_back({"BmpOs2CoreShortPalette", file, QStringLiteral("bmp"), {}, false, {}});
    }

    // Run-length streams, for every header size that carries them. A full
    // palette, so that no index the reader leaves unset falls outside it.
    std::vector<QRgb> fullPalette = fourColours;
    fullPalette.resize(256, 0xFF000000);
    for (const std::uint32_t header : {40u, 64u, 108u, 124u}) {
        const std::string size = std::to_string(header);
        BmpSpec rle{.headerSize = header, .bits = 8, .compression = 1, .palette = fullPalette};
        rle.pixels = bottomRle8 + topRle8 + QByteArray::fromHex("0000 0001");
        bmp("Rle8Complete" + size, rle, true);
        rle.pixels = bottomRle8 + QByteArray::fromHex("0001");
        bmp("Rle8EndsEarly" + size, rle, false);
        rle.pixels = bottomRle8 + QByteArray::fromHex("0002 0200 0102 0103 0001");
        bmp("Rle8Jumps" + size, rle, false);
    }
    BmpSpec rle{.headerSize = 64, .bits = 8, .compression = 1, .palette = fullPalette};
    rle.pixels = bottomRle8 + topRle8;
    bmp("Rle8WithoutEndMarks", rle, true);
    rle.pixels = QByteArray::fromHex("0503") + topRle8 + QByteArray::fromHex("0001");
    bmp("Rle8RunPastTheRow", rle, false);
    rle.pixels = bottomRle8 + QByteArray::fromHex("0004 0001");
    bmp("Rle8PixelsCutShort", rle, false);
    BmpSpec rle4{.headerSize = 64, .bits = 4, .compression = 2, .palette = fullPalette};
    rle4.palette.resize(16);
    rle4.pixels = QByteArray::fromHex("0232 0210 0000 0004 0123 0000 0001");
    bmp("Rle4Complete64", rle4, true);
    rle4.pixels = QByteArray::fromHex("0232 0210 0000 0001");
    bmp("Rle4EndsEarly64", rle4, false);

    // Other formats, written by Qt's writers where it has one.
    const QImage picture = fourByTwo();
    const QImage grey = picture.convertToFormat(QImage::Format_Grayscale8);
    const QImage mono = picture.convertToFormat(QImage::Format_Mono, Qt::ThresholdDither);
    const auto add = [&samples](std::string name, QByteArray bytes, const char *suffix,
                                const char *format, bool lossy, std::optional<QImage> shows) {
        samples.push_back({std::move(name), std::move(bytes), QString::fromLatin1(suffix),
                           QByteArray(format), lossy, std::move(shows)});
    };
    add("Png", written(picture, "png"), "png", "png", false, picture);
    add("PngNamedTga", written(picture, "png"), "tga", "png", false, picture);
    QByteArray claim = written(picture, "png");
    // After the header, a text chunk claiming 1.6 GB in a file of a few hundred bytes.
    claim.insert(8 + 25, QByteArray::fromHex("61000000 69545874") + QByteArray(40, 'x'));
    add("PngChunkPastTheFile", claim, "png", "", false, std::nullopt);
    add("Jpeg", written(picture, "jpeg"), "jpg", "jpeg", true, std::nullopt);
    add("Tiff", written(picture, "tiff"), "tif", "tiff", false, picture);
    add("WebpLossless", written(picture, "webp", 100), "webp", "webp", false, picture);
    add("WebpLossy", written(picture, "webp", 80), "webp", "webp", true, std::nullopt);
    add("Ppm", written(picture, "ppm"), "ppm", "ppm", false, picture);
    add("Pgm", written(grey, "pgm"), "pgm", "pgm", false, grey);
    add("Pbm", written(mono, "pbm"), "pbm", "pbm", false, mono);
    add("Ico", written(picture, "ico"), "ico", "ico", false, picture);
    // Qt has no GIF writer: palette red, green, blue, white; one clear code
    // before each pixel keeps the codes at three bits.
    add("Gif",
        QByteArray::fromHex("47494638396104000200f10000ff000000ff000000ffffff"
                            "ff2c000000000400020000020704"
                            "43711cc51005003b"),
        "gif", "gif", false, picture);
    QImage gradient(64, 64, QImage::Format_RGB32);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            gradient.setPixel(x, y, qRgb(x * 4, y * 4, (x ^ y) * 4));
    const QByteArray jpeg = written(gradient, "jpeg");
    // Cut inside the scan: Qt's reader fills in the rest.
    add("JpegCutShort", jpeg.chopped(jpeg.size() / 4), "jpg", "jpeg", true, std::nullopt);
    samples.back().incomplete = true;
    add("JpegWithTrailingBytes", jpeg + "trailing", "jpg", "jpeg", true, std::nullopt);
    // A progressive JPEG of a few bytes that declares 65293 x 246 pixels: cheap
    // to refuse or fill in, but once slow for the fuzzer's own pixel check.
    QByteArray wide;
    {
        QBuffer buffer(&wide);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, "jpeg");
        writer.setProgressiveScanWrite(true);
        writer.write(gradient.copy(0, 0, 8, 8));
    }
    const qsizetype frame = wide.indexOf("\xFF\xC2");
    if (frame >= 0) {
        wide[frame + 5] = char(246 >> 8);
        wide[frame + 6] = char(246 & 0xFF);
        wide[frame + 7] = char(65293 >> 8);
        wide[frame + 8] = char(65293 & 0xFF);
    }
    add("JpegProgressiveWide", wide, "jpg", "jpeg", true, std::nullopt);
    // The same GIF, stopping inside the image data.
    add("GifCutShort",
        QByteArray::fromHex("47494638396104000200f10000ff000000ff000000ffffff"
                            "ff2c000000000400020000020704"
                            "43711c"),
        "gif", "gif", false, std::nullopt);
    samples.back().incomplete = true;
    add("Tga", tgaFile(picture), "tga", "tga", false, picture);
    add("TgaWithIdentifier", tgaFile(picture, "Veltrin"), "tga", "tga", false, picture);
    add("TgaNamedBmp", tgaFile(picture), "bmp", "", false, std::nullopt);
    QByteArray cut = tgaFile(picture);
    cut.remove(18 + 12, 6);
    add("TgaPixelsCutShort", cut, "tga", "", false, std::nullopt);
    QByteArray longIdentifier = tgaFile(picture);
    longIdentifier[0] = char(200); // the identifier would run past the file
    add("TgaIdentifierPastTheFile", longIdentifier, "tga", "", false, std::nullopt);
    add("TgaWithoutFooter", tgaFile(picture).chopped(26), "tga", "", false, std::nullopt);
    for (const char *other : {"xpm", "xbm", "wbmp", "icns"})
        add(std::string("Refused") + other, written(picture, other), other, "", false,
            std::nullopt);
    add("Text", "this is no picture\n", "bmp", "", false, std::nullopt);
    return samples;
}

namespace {

// Qt's readers paint into the image they are given when its size and format
// fit, after detaching it, which copies what it held.
QImage decodeInto(const QByteArray &bytes, const QByteArray &format, QImage image)
{
    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format);
    reader.setDecideFormatFromContent(false);
    reader.setAutoTransform(false);
    if (!reader.read(&image))
        return {};
    return image;
}

QImage filled(const QImage &like, unsigned char byte)
{
    QImage image(like.size(), like.format());
    std::memset(image.bits(), byte, static_cast<std::size_t>(image.sizeInBytes()));
    return image;
}

} // namespace

QImage colourPhoto(int width, int height)
{
    std::mt19937 noise(9);
    QImage photo(width, height, QImage::Format_RGB888);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            photo.setPixel(
                x, y, qRgb((x / 16 + int(noise() % 24)) % 256, (y / 12) % 256, (x + y) / 28 % 256));
    return photo;
}

QImage resaved(const QImage &image, const char *format, int quality)
{
    return QImage::fromData(written(image, format, quality), format);
}

std::optional<bool> definedPixels(const QByteArray &bytes, const QByteArray &format)
{
    const QImage plain = decodeInto(bytes, format, QImage());
    if (plain.isNull())
        return std::nullopt;
    const QImage low = decodeInto(bytes, format, filled(plain, 0x00));
    const QImage high = decodeInto(bytes, format, filled(plain, 0xFF));
    if (low.size() != high.size() || low.format() != high.format())
        return false;
    // Row by row, the bytes of the pixels only (the padding after them is
    // nobody's to write; mono rows may end inside a byte). A row whose bytes
    // differ is looked at pixel by pixel, as unused bits may differ too.
    const qint64 bits = qint64(low.width()) * low.depth();
    const auto whole = static_cast<std::size_t>(bits / 8);
    const int rest = static_cast<int>(bits % 8);
    const uchar lastMask = rest == 0                                ? 0
                           : low.format() == QImage::Format_MonoLSB ? uchar((1 << rest) - 1)
                                                                    : uchar(0xFF << (8 - rest));
    const bool indexed = low.format() == QImage::Format_Mono ||
                         low.format() == QImage::Format_MonoLSB ||
                         low.format() == QImage::Format_Indexed8;
    for (int y = 0; y < low.height(); ++y) {
        const uchar *l = low.constScanLine(y);
        const uchar *h = high.constScanLine(y);
        if (std::memcmp(l, h, whole) == 0 && (rest == 0 || ((l[whole] ^ h[whole]) & lastMask) == 0))
            continue;
        for (int x = 0; x < low.width(); ++x) {
            const auto at = [&](const QImage &image) {
                return indexed ? static_cast<QRgb>(image.pixelIndex(x, y)) : image.pixel(x, y);
            };
            if (at(low) != at(high))
                return false;
        }
    }
    return true;
}

} // namespace veltrin::testing
