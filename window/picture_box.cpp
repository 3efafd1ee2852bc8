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

void PictureBox::setFitted(bool fitted)
{
    fitted_ = fitted;
    followSurface();
}

void PictureBox::followSurface()
{
    QSize wanted = surface_.outerSize();
    if (fitted_ && parentWidget()) {
        // The same margin on the far sides as on the near ones.
        const QSize room = parentWidget()->size() - 2 * QSize(x(), y());
        if (!room.isEmpty() && (wanted.width() > room.width() || wanted.height() > room.height()))
            wanted = wanted.scaled(room, Qt::KeepAspectRatio);
    }
    if (size() != wanted)
        resize(wanted);
    update();
}

void PictureBox::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    const QImage image = surface_.qImage();
    const QRect inside = rect().adjusted(1, 1, -1, -1);
    if (fitted_ && image.size() != inside.size()) {
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(inside, image);
    } else {
        painter.drawImage(1, 1, image);
    }
}

} // namespace veltrin
