// SPDX-License-Identifier: GPL-3.0-or-later
#include "picture_surface.h"

#include "qt_adapters.h"

#include <QPainter>

namespace veltrin {

void PictureSurface::setPicture(const std::optional<QImage> &picture)
{
    if (!picture || picture->isNull()) {
        Cls();
        return;
    }
    if (!picture->hasAlphaChannel()) {
        setPicture(toPicture(*picture));
        return;
    }
    // Transparency shows the background, as in a picture box.
    QImage shown(picture->size(), QImage::Format_RGB32);
    shown.fill(qRgb(background() & 0xFF, (background() >> 8) & 0xFF, (background() >> 16) & 0xFF));
    QPainter painter(&shown);
    painter.drawImage(0, 0, *picture);
    painter.end();
    setPicture(toPicture(shown));
}

QImage PictureSurface::qImage() const
{
    if (shownRevision_ != revision()) {
        shown_ = toQImage(pixels());
        shownRevision_ = revision();
    }
    return shown_;
}

} // namespace veltrin
