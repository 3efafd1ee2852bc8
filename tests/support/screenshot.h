// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QImage>
#include <QRect>

#include <random>

namespace veltrin::testing {

// A phone screenshot of a chat that shows a picture: status bar, lines of
// text, the picture in a bubble with rounded corners, then the file a user
// sends on.
struct Screenshot
{
    double scale = 0.5; // of the picture on the screen
    QColor background{Qt::white};
    QColor bubble{Qt::white}; // around the picture, with a one-pixel border
    int radius = 0;           // the corners rounded away, screen pixels
    int quality = -1;         // JPEG 4:2:0 quality; -1 for PNG
    int longSide = 0;         // the file scaled to this long side; 0 keeps it
    unsigned seed = 1;        // where things go
};

// Parameters drawn at random over the range a reader must handle.
Screenshot randomScreenshot(std::mt19937 &random);

// The 1080 x 2400 screenshot as received; `placed` says where the picture
// went in it, in its pixels.
QImage screenshotOf(const QImage &picture, const Screenshot &shot, QRectF *placed = nullptr);

} // namespace veltrin::testing
