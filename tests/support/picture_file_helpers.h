// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "picture_io.h"

#include <QByteArray>
#include <QFile>
#include <QImage>
#include <QString>

#include <optional>

namespace veltrin::testing {

// The pixels the path-based loader gives, or none.
inline std::optional<QImage> loadImage(PictureLoader &loader, const QString &path)
{
    PictureLoad load = loader.OleLoadPicturePath(path);
    return load.picture ? std::optional<QImage>(load.picture->image) : std::nullopt;
}

// A file's bytes; empty when it cannot be read.
inline QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace veltrin::testing
