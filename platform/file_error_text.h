// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFileDevice>
#include <QString>

namespace veltrin {

// Why a file operation failed, in Chinese, for a message to the user: from the
// system's error number (errno, or lastSystemError()) when there is one, else
// from Qt's error kind.
QString fileErrorText(int systemError, QFileDevice::FileError kind = QFileDevice::UnspecifiedError);

// Why `path` could not be written. QSaveFile refuses a folder and a read-only
// file before the system is asked, so those two are looked at first.
QString writeErrorText(const QString &path, int systemError, QFileDevice::FileError kind);

} // namespace veltrin
