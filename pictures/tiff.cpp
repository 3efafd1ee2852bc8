// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats.h"

#include <cstring>

namespace veltrin::pictures {

std::optional<std::uint32_t> tiffCompression(const QByteArray &file)
{
    const std::uint64_t n = sizeOf(file);
    if (n < 8)
        return std::nullopt;
    const bool big = file.startsWith("MM");
    if (!big && !file.startsWith("II"))
        return std::nullopt;
    const auto u16 = [&](std::uint64_t at) {
        return big ? u8At(file, at) << 8 | u8At(file, at + 1) : u16At(file, at);
    };
    const auto u32 = [&](std::uint64_t at) {
        return big ? u16(at) << 16 | u16(at + 2) : u32At(file, at);
    };
    if (u16(2) != 42)
        return std::nullopt;
    const std::uint64_t directory = u32(4);
    if (directory + 2 > n)
        return std::nullopt;
    const std::uint64_t entries = u16(directory);
    if (directory + 2 + entries * 12 > n)
        return std::nullopt;
    for (std::uint64_t i = 0; i < entries; ++i) {
        const std::uint64_t entry = directory + 2 + i * 12;
        if (u16(entry) == 259) // a SHORT in the entry's value field
            return u16(entry + 8);
    }
    return 1; // no compression tag: uncompressed
}

namespace {

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

// Decodes into a picture filled with `byte` beforehand.
QImage decodeOnto(const QByteArray &bytes, const char *format, const QImage &like,
                  unsigned char byte)
{
    QImage image(like.size(), like.format());
    if (image.isNull())
        return {};
    if (like.colorCount() > 0)
        image.setColorTable(like.colorTable());
    std::memset(image.bits(), byte, static_cast<std::size_t>(image.sizeInBytes()));
    return readOnto(bytes, format, image) ? image : QImage();
}

} // namespace

std::optional<OpenedPicture> decodeTiff(const QByteArray &bytes, const char *format)
{
    const QImage image = readPicture(bytes, format);
    if (image.isNull())
        return std::nullopt;
    // Qt's TIFF reader leaves the rows of a strip the file does not hold as
    // the memory was: read onto black and onto white, they must agree.
    QImage black = decodeOnto(bytes, format, image, 0x00);
    if (black.isNull() || !samePixels(black, decodeOnto(bytes, format, image, 0xFF)))
        return std::nullopt;
    return OpenedPicture{std::move(black), format, lossyTiff(tiffCompression(bytes))};
}

} // namespace veltrin::pictures
