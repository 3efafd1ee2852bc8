// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace veltrin {

// A picture as the formats see it: 8-bit red, green and blue, three bytes to
// a pixel, in rows from the top. No alpha, no colour space: the bytes are the
// message.
struct Picture
{
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb; // width * height * 3 bytes

    Picture() = default;
    Picture(int w, int h) : width(w), height(h), rgb(byteCount(w, h)) {}

    bool isNull() const { return width <= 0 || height <= 0; }
    std::size_t pixelCount() const { return isNull() ? 0 : std::size_t(width) * height; }

    std::span<std::uint8_t> row(int y)
    {
        return std::span(rgb).subspan(std::size_t(y) * width * 3, std::size_t(width) * 3);
    }
    std::span<const std::uint8_t> row(int y) const
    {
        return std::span(rgb).subspan(std::size_t(y) * width * 3, std::size_t(width) * 3);
    }

    // The colour as the surface calls give it: red | green << 8 | blue << 16.
    std::int32_t colour(int x, int y) const
    {
        const std::uint8_t *p = &rgb[(std::size_t(y) * width + x) * 3];
        return p[0] | p[1] << 8 | p[2] << 16;
    }
    void setColour(int x, int y, std::int32_t colour)
    {
        std::uint8_t *p = &rgb[(std::size_t(y) * width + x) * 3];
        p[0] = static_cast<std::uint8_t>(colour & 0xFF);
        p[1] = static_cast<std::uint8_t>(colour >> 8 & 0xFF);
        p[2] = static_cast<std::uint8_t>(colour >> 16 & 0xFF);
    }

    bool operator==(const Picture &) const = default;

private:
    static std::size_t byteCount(int w, int h)
    {
        return w > 0 && h > 0 ? std::size_t(w) * h * 3 : 0;
    }
};

} // namespace veltrin
