// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "picture.h"

#include <algorithm>
#include <cstdint>

namespace veltrin {

// A store of 24-bit pixels addressed in twips (15 to a pixel). Width and
// Height are the outer size, a one-pixel border on each side included.
class Surface
{
public:
    virtual ~Surface() = default;

    virtual void Cls() = 0;
    // Nothing happens outside the drawing area.
    virtual void PSet(float x, float y, std::int32_t colour) = 0;
    // -1 outside the drawing area.
    virtual std::int32_t Point(float x, float y) const = 0;

    virtual float Width() const = 0;
    virtual float Height() const = 0;
    // The drawing area in pixels: the outer size less the border. Point reads
    // a stored pixel exactly at the columns and rows below these.
    int drawingColumns() const { return insidePixels(Width()); }
    int drawingRows() const { return insidePixels(Height()); }
    virtual void setWidth(float twips) = 0;
    virtual void setHeight(float twips) = 0;

    // The persistent image, of the drawing area's size.
    virtual Picture Image() const = 0;
    // Unscaled, top-left corner at (x, y).
    virtual void PaintPicture(const Picture &picture, float x, float y) = 0;
    virtual void Refresh() = 0;

private:
    static int insidePixels(float outerTwips)
    {
        // Outer sizes are whole pixels of 15 twips; NaN and negatives hold none.
        if (!(outerTwips >= 2 * 15.0f))
            return 0;
        return static_cast<int>(std::min(outerTwips / 15.0f, 1.0e9f)) - 2;
    }
};

} // namespace veltrin
