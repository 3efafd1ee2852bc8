// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

#include <array>
#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace veltrin::testing {

// A BMP file built field by field, to break the format on purpose.
struct BmpSpec
{
    std::uint32_t headerSize = 40;
    std::int32_t width = 4;
    std::int32_t height = 2; // negative: rows stored top-down
    std::uint16_t bits = 24;
    std::uint32_t compression = 0;
    std::vector<QRgb> palette{};             // padded to 2^bits entries for a 12-byte header
    std::array<std::uint32_t, 3> masks{};    // written when compression is 3
    QByteArray pixels{};                     // as stored
    std::optional<std::uint32_t> fileSize{}; // otherwise the file's real size
    std::optional<std::uint32_t> offBits{};  // otherwise where the pixels begin
    std::uint32_t imageSize = 0;
    std::int32_t xDensity = 2835;
    std::int32_t yDensity = 2835;
    QByteArray trailing{};
};
QByteArray bmpFile(const BmpSpec &spec);

// An uncompressed 24-bit TGA 2.0 file (Qt has no TGA writer), rows stored
// top-down, with an optional identifier field.
QByteArray tgaFile(const QImage &image, const QByteArray &identifier = {});

// A picture file the loader must open or refuse, small enough to write in a
// test and to seed the fuzzer.
struct PictureSample
{
    std::string name;
    QByteArray bytes;
    QString suffix;    // of the file name
    QByteArray format; // empty: refused
    bool lossy = false;
    std::optional<QImage> shows; // the exact picture, when the format keeps one
    bool incomplete = false;     // the file stops before its picture does
};
std::vector<PictureSample> pictureSamples();
inline void PrintTo(const PictureSample &sample, std::ostream *os)
{
    *os << sample.name;
}

// A colour photograph's stand-in: gradients with a little noise, no flat
// black and white anywhere.
QImage colourPhoto(int width, int height);

// `image` written as `format` at `quality` and read back, as a program that
// re-saves it would.
QImage resaved(const QImage &image, const char *format, int quality = -1);

// Whether every pixel Qt's `format` reader gives for `bytes` came from the
// file: the bytes are decoded into a buffer filled with 0x00 and into one
// filled with 0xFF, and a pixel the reader never wrote differs between them.
// None when the reader gives no picture.
std::optional<bool> definedPixels(const QByteArray &bytes, const QByteArray &format);

} // namespace veltrin::testing
