// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "picture_io.h"

#include <QByteArray>
#include <QImage>

#include <array>
#include <cstdint>
#include <optional>

// What the picture formats share, and the one call each format's file
// answers. A format's file measures its bytes as Qt's reader will read them,
// refuses what would leave pixels unpainted or wrongly coloured, and hands
// the rest to the reader.
namespace veltrin::pictures {

// Every decoder: the picture and what it is worth, or none when the bytes
// are no picture of that format we show. `format` is the reader's name.
using Decoder = std::optional<OpenedPicture> (*)(const QByteArray &bytes, const char *format);

std::optional<OpenedPicture> decodeBmp(const QByteArray &bytes, const char *format);
std::optional<OpenedPicture> decodePng(const QByteArray &bytes, const char *format);
std::optional<OpenedPicture> decodeJpeg(const QByteArray &bytes, const char *format);
std::optional<OpenedPicture> decodeGif(const QByteArray &bytes, const char *format);
std::optional<OpenedPicture> decodeTiff(const QByteArray &bytes, const char *format);
std::optional<OpenedPicture> decodeWebp(const QByteArray &bytes, const char *format);
std::optional<OpenedPicture> decodeTga(const QByteArray &bytes, const char *format);
// ICO and the PBM, PGM and PPM family: nothing to measure before the reader.
std::optional<OpenedPicture> decodePlain(const QByteArray &bytes, const char *format);

// Qt's reader on the bytes as the named format, colours as stored. A null
// picture when it fails, when an index lies past the end of the palette (it
// has no colour), or when the picture would not fit the picture box: that
// keeps 32-bit pixels, and a 1-bit picture of a few megabytes would take
// gigabytes there.
QImage readPicture(const QByteArray &bytes, const char *format);
// readPicture's picture with what it is worth.
std::optional<OpenedPicture> readOpened(const QByteArray &bytes, const char *format,
                                        bool lossy = false, bool incomplete = false);
// The reader onto a picture it is given, which keeps whatever the reader does
// not paint.
bool readOnto(const QByteArray &bytes, const char *format, QImage &image);

// Little-endian fields; the callers have checked that the bytes are there.
inline std::uint64_t sizeOf(const QByteArray &b)
{
    return static_cast<std::uint64_t>(b.size());
}
inline std::uint32_t u8At(const QByteArray &b, std::uint64_t at)
{
    return static_cast<unsigned char>(b[static_cast<qsizetype>(at)]);
}
inline std::uint32_t u16At(const QByteArray &b, std::uint64_t at)
{
    return u8At(b, at) | u8At(b, at + 1) << 8;
}
inline std::uint32_t u32At(const QByteArray &b, std::uint64_t at)
{
    return u16At(b, at) | u16At(b, at + 2) << 16;
}

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

// The compression (tag 259) of a TIFF file's first image, as Qt reads that
// image; none when the file or its first directory is cut off.
std::optional<std::uint32_t> tiffCompression(const QByteArray &file);

} // namespace veltrin::pictures
