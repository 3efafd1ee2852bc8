// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats.h"

#include <algorithm>
#include <limits>

namespace veltrin::pictures {

namespace {

enum class Rle : std::uint8_t { None, Eight, Four };

using ColourMasks = std::array<std::uint32_t, 3>;

struct Bmp
{
    std::uint32_t headerSize = 0;
    std::int64_t width = 0;
    std::int64_t height = 0; // negative: stored top-down
    std::uint32_t planes = 0;
    std::uint32_t bits = 0;
    std::uint32_t compression = 0;
    std::uint64_t paletteColours = 0; // 0 for 16, 24 and 32 bits
    Rle rle = Rle::None;
    // Red, green and blue as the reader separates them (16 and 32 bits).
    ColourMasks masks{};
    // Where the reader starts on the pixels: after the header, masks and
    // palette, or further on where the file header points.
    std::uint64_t pixelStart = 0;
    // Bytes that uncompressed rows take, none when the count overflows.
    std::optional<std::uint64_t> rowsBytes;
};

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

// Where the pixels lie, measured as Qt's reader will read them. None when the
// header, or the masks that follow it, are cut off, or when Qt's reader would
// not take the header at all.
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

enum class RunLength : std::uint8_t {
    Complete,  // every pixel painted
    EndsEarly, // the stream stops before the last pixel
    Jumps,     // a jump leaves pixels unpainted
    Overruns,  // a run passes the end of its row or of the picture
};

// Follows a run-length stream as Qt's reader paints it, without painting.
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
std::optional<Bmp> bmpOpens(const QByteArray &bytes)
{
    const auto bmp = measureBmp(bytes);
    if (!bmp || bmp->paletteColours > 256)
        return std::nullopt;
    const auto n = static_cast<std::uint64_t>(bytes.size());
    if (bmp->pixelStart > n)
        return std::nullopt;
    if (bmp->rle != Rle::None) {
        if (followRunLength(bytes, *bmp) != RunLength::Complete)
            return std::nullopt;
    } else if (!bmp->rowsBytes || *bmp->rowsBytes > n - bmp->pixelStart) {
        return std::nullopt; // rows cut short
    }
    if (bmp->compression == 3 && !masksGiveColour(bmp->masks, bmp->bits))
        return std::nullopt;
    return bmp;
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

} // namespace

std::optional<OpenedPicture> decodeBmp(const QByteArray &bytes, const char *format)
{
    const std::optional<Bmp> bmp = bmpOpens(bytes);
    if (!bmp)
        return std::nullopt;
    QImage image = readPicture(bytes, format);
    if (image.isNull())
        return std::nullopt;
    widenNarrowChannels(image, bmp->masks);
    return OpenedPicture{std::move(image), format};
}

} // namespace veltrin::pictures
