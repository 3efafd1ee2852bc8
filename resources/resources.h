// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QIcon>
#include <QString>

namespace veltrin {

// The reverse-DNS id shared by the desktop entry, the AppStream metainfo and
// the theme icon; also the application's desktop file name.
QString applicationId();

// The window icon: the images of the program file's icon, one per size.
QIcon applicationIcon();

} // namespace veltrin
