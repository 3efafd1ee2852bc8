// SPDX-License-Identifier: GPL-3.0-or-later
#include "resources.h"

#include <QImage>
#include <QImageReader>
#include <QMap>
#include <QPixmap>

#include <utility>

// Q_INIT_RESOURCE declares its function in the enclosing namespace, which must
// be the global one.
static void registerCompiledResources()
{
    Q_INIT_RESOURCE(resources);
}

namespace veltrin {

QString applicationId()
{
    return QStringLiteral("io.github.veltrin.Veltrin");
}

void initResources()
{
    registerCompiledResources();
}

QIcon applicationIcon()
{
    // The icon file holds some sizes at several colour depths, the deeper ones
    // after the shallower ones; keep the last image of each size. Reading it
    // ourselves rather than through QIcon's file loader makes that choice
    // explicit instead of leaving it to the icon engine.
    QImageReader reader(QStringLiteral(":/veltrin/veltrin.ico"), "ico");
    QMap<int, QImage> bySize;
    for (int i = 0; i < reader.imageCount(); ++i) {
        if (!reader.jumpToImage(i)) {
            break;
        }
        const QImage image = reader.read();
        if (!image.isNull()) {
            bySize.insert(image.width(), image);
        }
    }
    QIcon icon;
    for (const QImage &image : std::as_const(bySize)) {
        icon.addPixmap(QPixmap::fromImage(image));
    }
    return icon;
}

} // namespace veltrin
