// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "surface.h"

#include <functional>

namespace veltrin {

// A picture box's persistent image: one pixel per cell, whatever the screen's
// scaling, so what is drawn and saved never depends on the display.
class MemorySurface : public Surface
{
public:
    static constexpr std::int32_t white = 16777215;

    MemorySurface(float widthTwips, float heightTwips, std::int32_t background = white);

    void Cls() override;
    void PSet(float x, float y, std::int32_t colour) override;
    std::int32_t Point(float x, float y) const override;
    float Width() const override { return static_cast<float>(outerWidth_ * 15); }
    float Height() const override { return static_cast<float>(outerHeight_ * 15); }
    void setWidth(float twips) override;
    void setHeight(float twips) override;
    Picture Image() const override { return image_; }
    void PaintPicture(const Picture &picture, float x, float y) override;
    void Refresh() override;

    // Shows a picture at (0, 0) and takes its size; a null one clears the surface.
    void setPicture(Picture picture);
    // The drawing area's pixels, without a copy.
    const Picture &pixels() const { return image_; }
    // Changes with every change of the pixels or the size, so a view can
    // keep what it made of them until then.
    std::uint64_t revision() const { return revision_; }

    std::int32_t background() const { return background_; }
    // Outer size in pixels, border included.
    int outerWidth() const { return outerWidth_; }
    int outerHeight() const { return outerHeight_; }

    // Told when the pixels or the size change, so a view can repaint.
    std::function<void()> onChanged;

protected:
    void changed();

private:
    void resize(int outerWidth, int outerHeight);

    Picture image_;
    std::uint64_t revision_ = 0;
    int outerWidth_ = 0;
    int outerHeight_ = 0;
    std::int32_t background_;
};

} // namespace veltrin
