// SPDX-License-Identifier: GPL-3.0-or-later
#include "qt_adapters.h"

namespace veltrin {

namespace {
// A pixel is 15 twips, so a picture box holds 96 pixels to the inch, whatever
// the screen: without this, a saved picture's resolution would follow the
// display (and be 100 dpi with none).
constexpr int dotsPerMeter = 3780; // 96 / 0.0254, rounded
} // namespace

Picture toPicture(const QImage &image)
{
    if (image.isNull())
        return {};
    const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
    Picture picture(rgb.width(), rgb.height());
    const auto rowBytes = static_cast<std::size_t>(rgb.width()) * 3;
    for (int y = 0; y < rgb.height(); ++y)
        std::copy_n(rgb.constScanLine(y), rowBytes, picture.row(y).begin());
    return picture;
}

QImage toQImage(const Picture &picture)
{
    if (picture.isNull())
        return {};
    QImage rgb(picture.width, picture.height, QImage::Format_RGB888);
    const auto rowBytes = static_cast<std::size_t>(picture.width) * 3;
    for (int y = 0; y < picture.height; ++y)
        std::copy_n(picture.row(y).begin(), rowBytes, rgb.scanLine(y));
    QImage image = rgb.convertToFormat(QImage::Format_RGB32);
    image.setDotsPerMeterX(dotsPerMeter);
    image.setDotsPerMeterY(dotsPerMeter);
    return image;
}

} // namespace veltrin
