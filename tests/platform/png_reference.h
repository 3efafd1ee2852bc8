// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QImage>

#include <cstdint>
#include <optional>

namespace veltrin::testing {

// A PNG file read from its layout, without Qt's or any other PNG decoder: the
// chunks in their order, each checked against its CRC, the header's fields
// and, for 8-bit RGB without interlacing, the pixels (zlib only inflates).
struct ReferencePng
{
    QByteArrayList chunks; // the chunk types, "IHDR" first
    int bitDepth = 0;
    int colourType = 0;
    int interlace = 0;
    std::optional<QImage> image; // Format_RGB32
};

// nullopt for a file that breaks the layout: no signature, a chunk that runs
// past the end or fails its CRC, no IHDR first, no IEND last.
std::optional<ReferencePng> referenceReadPng(const QByteArray &file);

} // namespace veltrin::testing
