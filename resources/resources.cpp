// SPDX-License-Identifier: GPL-3.0-or-later
#include "resources.h"

#include "icon_pixels.h"

#include <QImage>
#include <QPixmap>

#include <cstdint>

namespace veltrin {

QString applicationId()
{
    return QStringLiteral("io.github.veltrin.Veltrin");
}

QIcon applicationIcon()
{
    // The images are the icon file's, one per size: where the file holds a size
    // at several colour depths, the deepest one.
    QIcon icon;
    for (const IconPixels &image : windowIconPixels()) {
        const QImage pixels(reinterpret_cast<const uchar *>(image.pixels), image.size, image.size,
                            image.size * qsizetype{sizeof(std::uint32_t)},
                            QImage::Format_ARGB32_Premultiplied);
        icon.addPixmap(QPixmap::fromImage(pixels));
    }
    return icon;
}

} // namespace veltrin
