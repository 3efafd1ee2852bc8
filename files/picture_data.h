// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "picture_io.h"

#include <QImage>
#include <QMimeData>
#include <QString>

#include <memory>

namespace veltrin {

// The one local file that a drag or the clipboard carries; empty when it
// carries none, several, or something that is not a local file.
QString singleLocalFile(const QMimeData &data);

// A picture that comes as data (the clipboard): its encoded bytes through the
// loader, the formats that keep every pixel first; else the image that the
// data holds ready-made. No picture, with error number 0, when the data holds
// none at all.
PictureLoad pictureFromData(const QMimeData &data, PictureLoader &loader);

// The picture for the clipboard with every pixel kept: PNG bytes for other
// programs, and the image itself.
std::unique_ptr<QMimeData> pictureAsData(const QImage &image);

} // namespace veltrin
