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

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void followSurface();

    PictureSurface surface_;
};

} // namespace veltrin
