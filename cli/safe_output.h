// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "picture_io.h"

#include <QByteArray>
#include <QImage>
#include <QString>

namespace veltrin::cli {

// Writes the picture file `file` to `path` once it decodes, through the loader
// that Open uses, as `format` to exactly the pixels of `picture`, so that
// `path` is left holding the old file or the new, proven one (see
// writeSafely). Without `replace`, an existing file stays as it is. Throws
// CliError(Usage).
void writePictureSafely(const QString &path, const QByteArray &file, PictureFormat format,
                        const QImage &picture, bool replace);

} // namespace veltrin::cli
