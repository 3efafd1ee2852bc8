// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <span>

namespace veltrin {

// One image of the window icon: size x size premultiplied ARGB32 pixels.
struct IconPixels
{
    int size;
    const std::uint32_t *pixels;
};

// The icon file's sizes, from the theme PNGs (the same drawings as its deepest
// images), decoded when the program is built (embed_icon_pixels) so that
// showing the window decodes no image and loads no image plugin.
std::span<const IconPixels> windowIconPixels();

} // namespace veltrin
