// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>

#include <array>
#include <cstdint>
#include <optional>

// Where the pixels of a picture file lie, measured as Qt's readers will read
// them. Measurements only: what to make of them is the loader's decision.
namespace veltrin::layout {

enum class Rle : std::uint8_t { None, Eight, Four };

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
    std::array<std::uint32_t, 3> masks{};
    // Where the reader starts on the pixels: after the header, masks and
    // palette, or further on where the file header points.
    std::uint64_t pixelStart = 0;
    // Bytes that uncompressed rows take, none when the count overflows.
    std::optional<std::uint64_t> rowsBytes;
};

// None when the header, or the masks that follow it, are cut off, or when
// Qt's reader would not take the header at all.
std::optional<Bmp> measureBmp(const QByteArray &file);

enum class RunLength : std::uint8_t {
    Complete,  // every pixel painted
    EndsEarly, // the stream stops before the last pixel
    Jumps,     // a jump leaves pixels unpainted
    Overruns,  // a run passes the end of its row or of the picture
};

// Follows a run-length stream as Qt's reader paints it, without painting.
RunLength followRunLength(const QByteArray &file, const Bmp &bmp);

struct Tga
{
    std::uint64_t pixelStart = 0; // after the header, identifier and colour map
    std::uint64_t pixelBytes = 0;
    std::uint64_t footerStart = 0;
};

// A true-colour, uncompressed TGA 2.0 file, the only kind Qt reads; none for
// any other.
std::optional<Tga> measureTga(const QByteArray &file);

// The transparent colour (tRNS chunk) of a 16-bit RGB PNG: where the chunk
// lies in the file and the colour it names.
struct PngTransparentColour
{
    qsizetype chunkStart = 0;
    qsizetype chunkBytes = 0;
    std::array<std::uint16_t, 3> rgb{};
};

struct Png
{
    bool chunksInside = true; // no chunk claims more bytes than the file has left
    std::optional<PngTransparentColour> rgb16Transparent;
};

// None for a file without the PNG signature.
std::optional<Png> measurePng(const QByteArray &file);

// A WebP file's first image chunk: lossless VP8L, lossy VP8, or none found.
enum class WebpImage : std::uint8_t { None, Lossless, Lossy };
WebpImage webpImage(const QByteArray &file);

// The compression (tag 259) of a TIFF file's first image, as Qt reads that
// image; none when the file or its first directory is cut off.
std::optional<std::uint32_t> tiffCompression(const QByteArray &file);

// Whether a JPEG file runs to its end-of-image marker and a GIF file to the
// end of its first image's data; Qt's readers fill in what is missing when a
// file stops before. None for a file of neither kind.
std::optional<bool> jpegComplete(const QByteArray &file);
std::optional<bool> gifComplete(const QByteArray &file);

} // namespace veltrin::layout
