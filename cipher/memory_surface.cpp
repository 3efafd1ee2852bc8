// SPDX-License-Identifier: GPL-3.0-or-later
#include "memory_surface.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <utility>

namespace veltrin {

namespace {

constexpr int border = 1;

// Twips to a pixel index; nullopt when the coordinate cannot be a pixel.
// For x >= 0, floor(x / 15) is the whole twips divided by 15.
std::optional<int> toPixel(float twips)
{
    if (!(twips >= 0.0f && twips < 1.0e9f))
        return std::nullopt;
    return static_cast<int>(twips) / 15;
}

int outerPixels(float twips)
{
    const float pixels = std::floor(twips / 15.0f);
    if (!(pixels >= 0.0f))
        return 0;
    // The largest side a picture file of any kind may have, far beyond any cipher picture.
    return static_cast<int>(std::min(pixels, 32767.0f));
}

void fill(Picture &picture, std::int32_t colour)
{
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x)
            picture.setColour(x, y, colour);
}

} // namespace

MemorySurface::MemorySurface(float widthTwips, float heightTwips, std::int32_t background)
    : background_(background)
{
    resize(outerPixels(widthTwips), outerPixels(heightTwips));
}

void MemorySurface::Cls()
{
    ++revision_;
    fill(image_, background_);
    changed();
}

void MemorySurface::PSet(float x, float y, std::int32_t colour)
{
    const auto px = toPixel(x);
    const auto py = toPixel(y);
    if (!px || !py || *px >= image_.width || *py >= image_.height)
        return;
    ++revision_;
    image_.setColour(*px, *py, colour);
}

std::int32_t MemorySurface::Point(float x, float y) const
{
    const auto px = toPixel(x);
    const auto py = toPixel(y);
    if (!px || !py || *px >= image_.width || *py >= image_.height)
        return -1;
    return image_.colour(*px, *py);
}

void MemorySurface::setWidth(float twips)
{
    resize(outerPixels(twips), outerHeight_);
}

void MemorySurface::setHeight(float twips)
{
    resize(outerWidth_, outerPixels(twips));
}

void MemorySurface::resize(int outerWidth, int outerHeight)
{
    const int width = std::max(0, outerWidth - 2 * border);
    const int height = std::max(0, outerHeight - 2 * border);
    ++revision_;
    outerWidth_ = outerWidth;
    outerHeight_ = outerHeight;
    if (image_.width == width && image_.height == height)
        return;
    Picture resized(width, height);
    fill(resized, background_);
    const int keepWidth = std::min(width, image_.width);
    const int keepHeight = std::min(height, image_.height);
    for (int y = 0; y < keepHeight; ++y)
        std::copy_n(image_.row(y).begin(), std::size_t(keepWidth) * 3, resized.row(y).begin());
    image_ = std::move(resized);
    changed();
}

void MemorySurface::PaintPicture(const Picture &picture, float x, float y)
{
    const auto px = toPixel(x);
    const auto py = toPixel(y);
    if (!px || !py || picture.isNull())
        return;
    ++revision_;
    const int columns = std::min(picture.width, image_.width - *px);
    for (int row = 0; columns > 0 && row < picture.height && *py + row < image_.height; ++row)
        std::copy_n(picture.row(row).begin(), std::size_t(columns) * 3,
                    image_.row(*py + row).begin() + std::size_t(*px) * 3);
}

void MemorySurface::Refresh()
{
    changed();
}

void MemorySurface::setPicture(Picture picture)
{
    if (picture.isNull()) {
        Cls();
        return;
    }
    ++revision_;
    image_ = std::move(picture);
    outerWidth_ = image_.width + 2 * border;
    outerHeight_ = image_.height + 2 * border;
    changed();
}

void MemorySurface::changed()
{
    if (onChanged)
        onChanged();
}

} // namespace veltrin
