// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "picture_surface.h"

#include <QWidget>

namespace veltrin {

// A picture box: shows its surface's image inside a one-pixel border and
// takes the surface's outer size. A parent that is smaller clips it.
class PictureBox : public QWidget
{
    Q_OBJECT

public:
    PictureBox(float widthTwips, float heightTwips, QWidget *parent = nullptr);

    PictureSurface &surface() { return surface_; }
    const PictureSurface &surface() const { return surface_; }

    // Fitted: a picture larger than the parent is shown scaled down into it,
    // for a picture whose pixels are not its characters (the robust kind).
    void setFitted(bool fitted);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void followSurface();

    PictureSurface surface_;
    bool fitted_ = false;
};

} // namespace veltrin
