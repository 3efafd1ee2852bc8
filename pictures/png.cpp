// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats.h"

#include <QRgba64>

namespace veltrin::pictures {

std::optional<Png> measurePng(const QByteArray &file)
{
    const auto be32 = [&file](std::uint64_t at) {
        return u8At(file, at) << 24 | u8At(file, at + 1) << 16 | u8At(file, at + 2) << 8 |
               u8At(file, at + 3);
    };
    const auto be16 = [&file](std::uint64_t at) {
        return static_cast<std::uint16_t>(u8At(file, at) << 8 | u8At(file, at + 1));
    };
    if (!file.startsWith("\x89PNG\r\n\x1a\n"))
        return std::nullopt;
    const std::uint64_t n = sizeOf(file);
    Png png;
    bool rgb16 = false;
    bool pixelsBegun = false;
    // Any bytes after the last whole chunk begin a chunk cut short: libpng
    // allocates the length a complete header claims before it reads the data.
    for (std::uint64_t pos = 8; pos < n;) {
        if (n - pos < 12 || be32(pos) > n - pos - 12) {
            png.chunksInside = false;
            break;
        }
        const std::uint64_t length = be32(pos);
        const QByteArray type = file.sliced(static_cast<qsizetype>(pos) + 4, 4);
        const std::uint64_t data = pos + 8;
        if (type == "IHDR" && length >= 13)
            rgb16 = u8At(file, data + 8) == 16 && u8At(file, data + 9) == 2;
        else if (type == "tRNS" && rgb16 && !pixelsBegun && length == 6)
            png.rgb16Transparent =
                PngTransparentColour{static_cast<qsizetype>(pos),
                                     static_cast<qsizetype>(12 + length),
                                     {be16(data), be16(data + 2), be16(data + 4)}};
        else if (type == "IDAT")
            pixelsBegun = true; // a transparent colour comes before the pixels
        else if (type == "IEND")
            break;
        pos += 12 + length;
    }
    return png;
}

namespace {

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

} // namespace

std::optional<OpenedPicture> decodePng(const QByteArray &bytes, const char *format)
{
    // A chunk that claims more than the file holds is data cut short, and
    // libpng would allocate all it claims before finding out.
    const std::optional<Png> png = measurePng(bytes);
    if (!png || !png->chunksInside)
        return std::nullopt;
    const std::optional<PngTransparentColour> &transparent = png->rgb16Transparent;
    QByteArray read = bytes;
    if (transparent)
        read.remove(transparent->chunkStart, transparent->chunkBytes);
    QImage image = readPicture(read, format);
    if (image.isNull())
        return std::nullopt;
    if (transparent)
        clearTransparentColour(image, transparent->rgb);
    return OpenedPicture{std::move(image), format};
}

} // namespace veltrin::pictures
