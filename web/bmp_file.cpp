// SPDX-License-Identifier: GPL-3.0-or-later
#include "bmp_file.h"

namespace veltrin::web {

namespace {

constexpr std::uint32_t headerBytes = 14 + 40;
constexpr std::uint32_t pixelsPerMetre = 3780; // 96 dpi, what a new QImage carries

void put(std::vector<std::uint8_t> &out, std::uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

} // namespace

std::vector<std::uint8_t> bmpFileOf(const Picture &picture)
{
    const auto width = static_cast<std::uint32_t>(picture.width);
    const auto height = static_cast<std::uint32_t>(picture.height);
    const std::uint32_t rowBytes = (width * 3 + 3) / 4 * 4;
    const std::uint32_t imageBytes = rowBytes * height;
    std::vector<std::uint8_t> out;
    out.reserve(headerBytes + imageBytes);
    out.push_back('B');
    out.push_back('M');
    put(out, headerBytes + imageBytes, 4);
    put(out, 0, 4);
    put(out, headerBytes, 4);
    put(out, 40, 4);
    put(out, width, 4);
    put(out, height, 4);
    put(out, 1, 2);  // planes
    put(out, 24, 2); // bits per pixel
    put(out, 0, 4);  // no compression
    put(out, imageBytes, 4);
    put(out, pixelsPerMetre, 4);
    put(out, pixelsPerMetre, 4);
    put(out, 0, 4); // colours used
    put(out, 0, 4); // important colours
    for (int y = picture.height - 1; y >= 0; --y) {
        const auto row = picture.row(y);
        for (std::size_t x = 0; x < row.size(); x += 3) {
            out.push_back(row[x + 2]);
            out.push_back(row[x + 1]);
            out.push_back(row[x]);
        }
        out.resize(out.size() + rowBytes - width * 3, 0);
    }
    return out;
}

} // namespace veltrin::web
