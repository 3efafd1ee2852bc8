// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

namespace veltrin::cli {

// Writes the BMP file `bmp` to `path` once it decodes, through the loader that
// Open uses, to exactly the pixels of `picture`, so that `path` is left
// holding the old file or the new, proven one (see writeSafely). Without
// `replace`, an existing file stays as it is. Throws CliError(Usage).
void writePictureSafely(const QString &path, const QByteArray &bmp, const QImage &picture,
                        bool replace);

} // namespace veltrin::cli
