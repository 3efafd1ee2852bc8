// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "picture_io.h"

#include <QByteArray>
#include <QImage>
#include <QString>

#include <functional>

namespace veltrin::cli {

// Writes the picture file `file` to `path` once it decodes, through the loader
// that Open uses, as `format` to exactly the pixels of `picture`, so that
// `path` is left holding the old file or the new, proven one (see
// writeSafely). Without `replace`, an existing file stays as it is. Throws
// CliError(Usage).
// Writes `file` to `path` as writeSafely does once `proven` holds for the
// bytes; without `replace`, an existing file stays. Throws CliError(Usage).
void writeFileSafely(const QString &path, const QByteArray &file, bool replace,
                     const std::function<bool(const QByteArray &)> &proven);

void writePictureSafely(const QString &path, const QByteArray &file, PictureFormat format,
                        const QImage &picture, bool replace);

} // namespace veltrin::cli
