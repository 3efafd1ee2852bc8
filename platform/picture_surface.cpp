// SPDX-License-Identifier: GPL-3.0-or-later
#include "picture_surface.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace veltrin {

namespace {

constexpr int border = 1;
// A pixel is 15 twips, so a picture box holds 96 pixels to the inch, whatever
// the screen: without this, a saved picture's resolution would follow the
// display (and be 100 dpi with none).
constexpr int dotsPerMeter = 3780; // 96 / 0.0254, rounded

QRgb toRgb(std::int32_t colour)
{
    return qRgb(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
}

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
    // QImage's own limit on a side, far beyond any cipher picture.
    return static_cast<int>(std::min(pixels, 32767.0f));
}

} // namespace

PictureSurface::PictureSurface(float widthTwips, float heightTwips, std::int32_t background)
    : background_(background)
{
    resize(outerPixels(widthTwips), outerPixels(heightTwips));
}

PictureSurface::PictureSurface(const PictureSurface &other)
    : image_(other.image_), outerWidth_(other.outerWidth_), outerHeight_(other.outerHeight_),
      background_(other.background_)
{
    other.writable_ = false;
    track();
}

PictureSurface &PictureSurface::operator=(const PictureSurface &other)
{
    if (this != &other) {
        image_ = other.image_;
        outerWidth_ = other.outerWidth_;
        outerHeight_ = other.outerHeight_;
        background_ = other.background_;
        other.writable_ = false;
        track();
    }
    return *this;
}

void PictureSurface::track()
{
    // constBits does not detach: a write detaches first (see PSet).
    pixels_ = const_cast<QRgb *>(reinterpret_cast<const QRgb *>(image_.constBits()));
    writable_ = false;
    stride_ = image_.bytesPerLine() / static_cast<qsizetype>(sizeof(QRgb));
    width_ = image_.width();
    height_ = image_.height();
}

void PictureSurface::Cls()
{
    image_.fill(toRgb(background_));
    track();
    changed();
}

void PictureSurface::PSet(float x, float y, std::int32_t colour)
{
    const auto px = toPixel(x);
    const auto py = toPixel(y);
    if (!px || !py || *px >= width_ || *py >= height_)
        return;
    if (!writable_) {
        pixels_ = reinterpret_cast<QRgb *>(image_.bits()); // detaches from any copy
        writable_ = true;
    }
    pixels_[*py * stride_ + *px] = toRgb(colour);
}

std::int32_t PictureSurface::Point(float x, float y) const
{
    const auto px = toPixel(x);
    const auto py = toPixel(y);
    if (!px || !py || *px >= width_ || *py >= height_)
        return -1;
    const QRgb rgb = pixels_[*py * stride_ + *px];
    return qRed(rgb) | (qGreen(rgb) << 8) | (qBlue(rgb) << 16);
}

void PictureSurface::setWidth(float twips)
{
    resize(outerPixels(twips), outerHeight_);
}

void PictureSurface::setHeight(float twips)
{
    resize(outerWidth_, outerPixels(twips));
}

void PictureSurface::resize(int outerWidth, int outerHeight)
{
    const int width = std::max(0, outerWidth - 2 * border);
    const int height = std::max(0, outerHeight - 2 * border);
    outerWidth_ = outerWidth;
    outerHeight_ = outerHeight;
    if (!image_.isNull() && image_.width() == width && image_.height() == height)
        return;

    QImage resized(width, height, QImage::Format_RGB32);
    resized.setDotsPerMeterX(dotsPerMeter);
    resized.setDotsPerMeterY(dotsPerMeter);
    resized.fill(toRgb(background_));
    const int keepWidth = std::min(width, image_.width());
    const int keepHeight = std::min(height, image_.height());
    for (int y = 0; y < keepHeight; ++y)
        std::copy_n(reinterpret_cast<const QRgb *>(image_.constScanLine(y)), keepWidth,
                    reinterpret_cast<QRgb *>(resized.scanLine(y)));
    image_ = std::move(resized);
    track();
    changed();
}

void PictureSurface::PaintPicture(const QImage &picture, float x, float y)
{
    const auto px = toPixel(x);
    const auto py = toPixel(y);
    if (!px || !py || picture.isNull())
        return;
    {
        QPainter painter(&image_);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(*px, *py, picture.convertToFormat(QImage::Format_RGB32));
    }
    track();
}

void PictureSurface::Refresh()
{
    changed();
}

void PictureSurface::setPicture(const std::optional<QImage> &picture)
{
    if (!picture || picture->isNull()) {
        Cls();
        return;
    }
    if (picture->hasAlphaChannel()) {
        // Transparency shows the background, as in a picture box.
        QImage shown(picture->size(), QImage::Format_RGB32);
        shown.fill(toRgb(background_));
        QPainter painter(&shown);
        painter.drawImage(0, 0, *picture);
        painter.end();
        image_ = std::move(shown);
    } else {
        image_ = picture->convertToFormat(QImage::Format_RGB32);
    }
    outerWidth_ = image_.width() + 2 * border;
    outerHeight_ = image_.height() + 2 * border;
    track();
    changed();
}

void PictureSurface::changed()
{
    if (onChanged)
        onChanged();
}

} // namespace veltrin
