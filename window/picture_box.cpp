// SPDX-License-Identifier: GPL-3.0-or-later
#include "picture_box.h"

#include <QPainter>

namespace veltrin {

PictureBox::PictureBox(float widthTwips, float heightTwips, QWidget *parent)
    : QWidget(parent), surface_(widthTwips, heightTwips)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    surface_.onChanged = [this] { followSurface(); };
    followSurface();
}

void PictureBox::followSurface()
{
    if (size() != surface_.outerSize())
        resize(surface_.outerSize());
    update();
}

void PictureBox::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    painter.drawImage(1, 1, surface_.qImage());
}

} // namespace veltrin
