// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "surface.h"

#include <QImage>

#include <functional>
#include <optional>

namespace veltrin {

// A picture box's persistent image: one pixel per cell, whatever the screen's
// scaling, so what is drawn and saved never depends on the display.
class PictureSurface : public Surface
{
public:
    static constexpr std::int32_t white = 16777215;

    PictureSurface(float widthTwips, float heightTwips, std::int32_t background = white);
    PictureSurface(const PictureSurface &other);
    PictureSurface &operator=(const PictureSurface &other);

    void Cls() override;
    void PSet(float x, float y, std::int32_t colour) override;
    std::int32_t Point(float x, float y) const override;
    float Width() const override { return static_cast<float>(outerWidth_ * 15); }
    float Height() const override { return static_cast<float>(outerHeight_ * 15); }
    void setWidth(float twips) override;
    void setHeight(float twips) override;
    QImage Image() const override
    {
        writable_ = false; // the copy shares the pixels until one side writes
        return image_;
    }
    void PaintPicture(const QImage &picture, float x, float y) override;
    void Refresh() override;

    // Shows a loaded picture at (0, 0) and takes its size; none clears the surface.
    void setPicture(const std::optional<QImage> &picture);

    std::int32_t background() const { return background_; }
    // Outer size in pixels, border included.
    QSize outerSize() const { return {outerWidth_, outerHeight_}; }

    // Told when the pixels or the size change, so a view can repaint.
    std::function<void()> onChanged;

private:
    void resize(int outerWidth, int outerHeight);
    void changed();
    // Takes note of where image_ keeps its pixels, after anything that may
    // have moved them: reading and writing a cell then costs no call.
    void track();

    QImage image_;
    mutable QRgb *pixels_ = nullptr;
    mutable bool writable_ = false; // image_ shares its pixels with no copy
    qsizetype stride_ = 0;          // pixels from one row to the next
    int width_ = 0;
    int height_ = 0;
    int outerWidth_ = 0;
    int outerHeight_ = 0;
    std::int32_t background_;
};

} // namespace veltrin
