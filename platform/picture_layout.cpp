// SPDX-License-Identifier: GPL-3.0-or-later
#include "picture_layout.h"

#include <algorithm>
#include <limits>

namespace veltrin::layout {

namespace {

std::uint64_t sizeOf(const QByteArray &b)
{
    return static_cast<std::uint64_t>(b.size());
}

// The callers have checked that the bytes are there.
std::uint32_t u8At(const QByteArray &b, std::uint64_t at)
{
    return static_cast<unsigned char>(b[static_cast<qsizetype>(at)]);
}

std::uint32_t u16At(const QByteArray &b, std::uint64_t at)
{
    return u8At(b, at) | u8At(b, at + 1) << 8;
}

std::uint32_t u32At(const QByteArray &b, std::uint64_t at)
{
    return u16At(b, at) | u16At(b, at + 2) << 16;
}

constexpr std::uint64_t bmpFileHeader = 14;

bool fullBmpHeader(std::uint32_t size)
{
    // The header sizes whose 32-bit fields Qt reads; it takes any other size
    // for the old core header with 16-bit fields.
    return size == 40 || size == 64 || size == 108 || size == 124;
}

bool qtReadsBmp(const Bmp &bmp)
{
    const std::uint32_t bits = bmp.bits;
    const bool knownBits =
        bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
    const std::uint32_t c = bmp.compression;
    const bool knownCompression = c == 0 || (c == 1 && bits == 8) || (c == 2 && bits == 4) ||
                                  (c == 3 && (bits == 16 || bits == 32));
    return knownBits && knownCompression && bmp.planes == 1 && bmp.width > 0 && bmp.height != 0 &&
           bmp.height != std::numeric_limits<std::int32_t>::min();
}

} // namespace

std::optional<Bmp> measureBmp(const QByteArray &file)
{
    const std::uint64_t n = sizeOf(file);
    if (n < bmpFileHeader + 4)
        return std::nullopt;
    Bmp bmp;
    bmp.headerSize = u32At(file, bmpFileHeader);
    const bool full = fullBmpHeader(bmp.headerSize);
    const std::uint64_t headerEnd = bmpFileHeader + bmp.headerSize;
    // The reader takes its fields, then moves to the header's end.
    if (headerEnd > n || n < bmpFileHeader + (full ? 40 : 12))
        return std::nullopt;

    std::uint32_t coloursUsed = 0;
    if (full) {
        bmp.width = static_cast<std::int32_t>(u32At(file, 18));
        bmp.height = static_cast<std::int32_t>(u32At(file, 22));
        bmp.planes = u16At(file, 26);
        bmp.bits = u16At(file, 28);
        bmp.compression = u32At(file, 30);
        coloursUsed = u32At(file, 46);
    } else {
        bmp.width = static_cast<std::int16_t>(u16At(file, 18));
        bmp.height = static_cast<std::int16_t>(u16At(file, 20));
        bmp.planes = u16At(file, 22);
        bmp.bits = u16At(file, 24);
    }
    if (!qtReadsBmp(bmp))
        return std::nullopt;

    std::uint64_t position = headerEnd;
    if (bmp.compression == 3) {
        // Version 4 and 5 headers hold the masks; shorter ones are followed by them.
        const std::uint64_t at = bmp.headerSize >= 108 ? bmpFileHeader + 40 : headerEnd;
        if (at + 12 > n)
            return std::nullopt;
        bmp.masks = {u32At(file, at), u32At(file, at + 4), u32At(file, at + 8)};
        if (bmp.headerSize < 108)
            position += 12;
    } else if (bmp.bits == 16) {
        bmp.masks = {0x7C00, 0x03E0, 0x001F};
    } else if (bmp.bits > 16) {
        bmp.masks = {0xFF0000, 0x00FF00, 0x0000FF};
    }
    if (bmp.bits <= 8) {
        bmp.paletteColours = coloursUsed != 0 ? coloursUsed : 1u << bmp.bits;
        position += bmp.paletteColours * (bmp.headerSize == 12 ? 3 : 4);
    }
    // The reader moves on to the file header's offset only when it lies further.
    bmp.pixelStart = std::max<std::uint64_t>(u32At(file, 10), position);

    bmp.rle = bmp.compression == 1 ? Rle::Eight : bmp.compression == 2 ? Rle::Four : Rle::None;
    if (bmp.rle == Rle::None) {
        const std::uint64_t rowBytes =
            (static_cast<std::uint64_t>(bmp.width) * bmp.bits + 31) / 32 * 4;
        const auto rows = static_cast<std::uint64_t>(bmp.height < 0 ? -bmp.height : bmp.height);
        std::uint64_t total = 0;
        if (!__builtin_mul_overflow(rowBytes, rows, &total))
            bmp.rowsBytes = total;
    }
    return bmp;
}

RunLength followRunLength(const QByteArray &file, const Bmp &bmp)
{
    // Qt paints a run-length picture bottom-up whatever the sign of the
    // height, and flips it afterwards; it goes on reading until the end of
    // the picture, the end of the file, or the row past the last.
    const std::uint64_t n = sizeOf(file);
    const auto width = static_cast<std::uint64_t>(bmp.width);
    const auto rows = static_cast<std::uint64_t>(bmp.height < 0 ? -bmp.height : bmp.height);
    const bool fourBit = bmp.rle == Rle::Four;
    std::uint64_t x = 0;
    std::uint64_t y = 0;
    std::uint64_t pos = bmp.pixelStart;
    while (y < rows && pos < n) {
        const std::uint32_t count = u8At(file, pos);
        if (pos + 1 >= n) {
            if (count == 0) // an escape without its code ends the picture
                break;
            // A run without its value paints whatever the reader's variable held.
            return RunLength::EndsEarly;
        }
        const std::uint32_t code = u8At(file, pos + 1);
        pos += 2;
        if (count > 0) {
            if (x + count > width)
                return RunLength::Overruns;
            x += count;
            continue;
        }
        if (code == 0) { // end of the row
            if (x != width)
                return RunLength::Jumps;
            x = 0;
            ++y;
        } else if (code == 1) { // end of the picture
            break;
        } else if (code == 2) { // a jump
            if (pos + 2 > n)
                return RunLength::EndsEarly;
            if (u8At(file, pos) != 0 || u8At(file, pos + 1) != 0)
                return RunLength::Jumps;
            pos += 2;
        } else { // `code` pixels given one by one
            if (x + code > width)
                return RunLength::Overruns;
            const std::uint64_t bytes = fourBit ? (code + 1) / 2 : code;
            if (pos + bytes > n)
                return RunLength::EndsEarly;
            x += code;
            pos += bytes + (bytes & 1);
        }
    }
    const bool painted = y == rows || (y + 1 == rows && x == width);
    return painted ? RunLength::Complete : RunLength::EndsEarly;
}

std::optional<Tga> measureTga(const QByteArray &file)
{
    constexpr std::uint64_t header = 18;
    constexpr std::uint64_t footer = 26;
    const std::uint64_t n = sizeOf(file);
    if (n < header + footer || !file.sliced(file.size() - 18).startsWith("TRUEVISION-XFILE"))
        return std::nullopt;
    const std::uint32_t bits = u8At(file, 16);
    if (u8At(file, 2) != 2 || (bits != 16 && bits != 24 && bits != 32))
        return std::nullopt;
    Tga tga;
    tga.pixelStart = header + u8At(file, 0);
    if (u8At(file, 1) == 1) {
        std::uint32_t entryBits = u8At(file, 7);
        if (entryBits == 15)
            entryBits = 16;
        if (entryBits != 16 && entryBits != 24 && entryBits != 32)
            return std::nullopt;
        tga.pixelStart += u16At(file, 5) * (entryBits / 8);
    }
    tga.pixelBytes = std::uint64_t(u16At(file, 12)) * u16At(file, 14) * (bits / 8);
    tga.footerStart = n - footer;
    return tga;
}

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

WebpImage firstWebpImage(const QByteArray &file, std::uint64_t pos, std::uint64_t end)
{
    while (pos + 8 <= end) {
        const QByteArray chunk = file.sliced(static_cast<qsizetype>(pos), 4);
        const std::uint64_t size = u32At(file, pos + 4);
        if (chunk == "VP8L")
            return WebpImage::Lossless;
        if (chunk == "VP8 ")
            return WebpImage::Lossy;
        if (chunk == "ANMF") // an animation frame: its image follows a 16-byte header
            return firstWebpImage(file, pos + 8 + 16, std::min(end, pos + 8 + size));
        pos += 8 + size + (size & 1);
    }
    return WebpImage::None;
}

} // namespace

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

std::optional<bool> jpegComplete(const QByteArray &file)
{
    const std::uint64_t n = sizeOf(file);
    if (n < 2 || u8At(file, 0) != 0xFF || u8At(file, 1) != 0xD8)
        return std::nullopt;
    std::uint64_t pos = 2;
    while (pos + 2 <= n) {
        if (u8At(file, pos) != 0xFF) {
            ++pos; // entropy-coded data of a scan
            continue;
        }
        const std::uint32_t marker = u8At(file, pos + 1);
        if (marker == 0xD9)
            return true;
        // Stuffed zeros, fill bytes and restart markers stand inside a scan.
        if (marker == 0x00 || marker == 0x01 || marker == 0xFF ||
            (marker >= 0xD0 && marker <= 0xD7)) {
            pos += marker == 0xFF ? 1 : 2;
            continue;
        }
        if (pos + 4 > n)
            return false;
        pos += 2 + ((u8At(file, pos + 2) << 8) | u8At(file, pos + 3));
    }
    return false;
}

std::optional<bool> gifComplete(const QByteArray &file)
{
    const std::uint64_t n = sizeOf(file);
    if (n < 13 || !(file.startsWith("GIF87a") || file.startsWith("GIF89a")))
        return std::nullopt;
    const auto colourTable = [&](std::uint64_t flagsAt) -> std::uint64_t {
        const std::uint32_t flags = u8At(file, flagsAt);
        return flags & 0x80 ? 3ull << ((flags & 7) + 1) : 0;
    };
    // Sub-blocks up to their zero terminator; false when the file ends first.
    const auto skipSubBlocks = [&](std::uint64_t &pos) {
        while (pos < n) {
            const std::uint32_t size = u8At(file, pos);
            pos += 1 + size;
            if (size == 0)
                return pos <= n;
        }
        return false;
    };
    std::uint64_t pos = 13 + colourTable(10);
    while (pos < n) {
        const std::uint32_t block = u8At(file, pos);
        if (block == 0x21) { // an extension: its label, then sub-blocks
            pos += 2;
            if (!skipSubBlocks(pos))
                return false;
        } else if (block == 0x2C) { // the first image: descriptor, colours, data
            if (pos + 10 > n)
                return false;
            pos += 10 + colourTable(pos + 9) + 1;
            return skipSubBlocks(pos);
        } else {
            return false;
        }
    }
    return false;
}

WebpImage webpImage(const QByteArray &file)
{
    if (file.size() < 12 || !file.startsWith("RIFF") || file.sliced(8, 4) != "WEBP")
        return WebpImage::None;
    return firstWebpImage(file, 12, sizeOf(file));
}

} // namespace veltrin::layout
