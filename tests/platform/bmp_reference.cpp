// SPDX-License-Identifier: GPL-3.0-or-later
#include "bmp_reference.h"

#include <cstdint>
#include <cstdlib>

namespace veltrin::testing {

namespace {

std::uint32_t u16(const QByteArray &b, qsizetype at)
{
    return std::uint32_t(std::uint8_t(b.at(at))) | std::uint32_t(std::uint8_t(b.at(at + 1))) << 8;
}

std::uint32_t u32(const QByteArray &b, qsizetype at)
{
    return u16(b, at) | u16(b, at + 2) << 16;
}

// A masked channel widened to 8 bits by repeating its bits (5 bits abcde -> abcdeabc).
int channel(std::uint32_t pixel, std::uint32_t mask)
{
    if (mask == 0)
        return 0;
    const int shift = __builtin_ctz(mask);
    const int bits = __builtin_popcount(mask);
    std::uint32_t value = (pixel & mask) >> shift;
    if (bits >= 8)
        return int(value >> (bits - 8));
    std::uint32_t wide = 0;
    int filled = 0;
    while (filled < 8) {
        wide = (wide << bits) | value;
        filled += bits;
    }
    return int(wide >> (filled - 8));
}

} // namespace

std::optional<QImage> referenceDecodeBmp(const QByteArray &b)
{
    if (b.size() < 26 || !b.startsWith("BM"))
        return std::nullopt;
    const std::uint32_t offBits = u32(b, 10);
    const std::uint32_t headerSize = u32(b, 14);
    std::int64_t width, height;
    std::uint32_t bits, compression = 0, coloursUsed = 0;
    int paletteEntrySize = 4;
    if (headerSize == 12) {
        width = u16(b, 18);
        height = std::int16_t(u16(b, 20));
        bits = u16(b, 24);
        paletteEntrySize = 3;
    } else if (headerSize == 40 || headerSize == 108 || headerSize == 124) {
        width = std::int32_t(u32(b, 18));
        height = std::int32_t(u32(b, 22));
        bits = u16(b, 28);
        compression = u32(b, 30);
        coloursUsed = u32(b, 46);
    } else {
        return std::nullopt;
    }
    if (width <= 0 || height == 0 || (compression != 0 && compression != 3))
        return std::nullopt;

    std::uint32_t red = 0x7C00, green = 0x03E0, blue = 0x001F;
    if (bits == 32)
        red = 0xFF0000, green = 0xFF00, blue = 0xFF;
    if (compression == 3) {
        red = u32(b, 54);
        green = u32(b, 58);
        blue = u32(b, 62);
    }

    QList<QRgb> palette;
    if (bits <= 8) {
        const std::uint32_t count = coloursUsed ? coloursUsed : 1u << bits;
        const qsizetype start = 14 + headerSize;
        for (std::uint32_t i = 0; i < count; ++i) {
            const qsizetype at = start + qsizetype(i) * paletteEntrySize;
            palette.append(qRgb(std::uint8_t(b.at(at + 2)), std::uint8_t(b.at(at + 1)),
                                std::uint8_t(b.at(at))));
        }
    }

    const bool topDown = height < 0;
    const int rows = int(std::llabs(height));
    const qsizetype stride = (width * bits + 31) / 32 * 4;
    if (offBits + stride * rows > b.size())
        return std::nullopt;
    QImage image(int(width), rows, QImage::Format_RGB32);
    for (int row = 0; row < rows; ++row) {
        const qsizetype line = offBits + stride * row;
        const int y = topDown ? row : rows - 1 - row;
        for (int x = 0; x < width; ++x) {
            QRgb rgb;
            if (bits <= 8) {
                const qsizetype bit = qsizetype(x) * bits;
                const std::uint8_t byte = std::uint8_t(b.at(line + bit / 8));
                const int index = (byte >> (8 - bits - bit % 8)) & ((1 << bits) - 1);
                if (index >= palette.size())
                    return std::nullopt;
                rgb = palette.at(index);
            } else if (bits == 24) {
                const qsizetype at = line + qsizetype(x) * 3;
                rgb = qRgb(std::uint8_t(b.at(at + 2)), std::uint8_t(b.at(at + 1)),
                           std::uint8_t(b.at(at)));
            } else if (bits == 16 || bits == 32) {
                const qsizetype at = line + qsizetype(x) * (bits / 8);
                const std::uint32_t pixel = bits == 16 ? u16(b, at) : u32(b, at);
                rgb = qRgb(channel(pixel, red), channel(pixel, green), channel(pixel, blue));
            } else {
                return std::nullopt;
            }
            image.setPixel(x, y, rgb);
        }
    }
    return image;
}

} // namespace veltrin::testing
