// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <functional>

// How a path is handed to Windows. Plain Qt, so that it is tested everywhere.
namespace veltrin::windowsPath {

// Whether Windows would make of `fileName` a file that Explorer and cmd
// cannot open or delete: a device's name (CON, PRN, AUX, NUL, COM0 to COM9,
// LPT0 to LPT9, CONIN$, CONOUT$, with any extension) or a name ending in a
// dot or a space, which the system's own path handling strips.
bool cannotHold(const QString &fileName);

// The form of `nativePath` for the system calls: made absolute and normal by
// `fullPath` (GetFullPathNameW on Windows), and given the long form
// (longPathForm) only when it reaches MAX_PATH, so that short paths take the
// same way as every other program's. Empty when `fullPath` gives nothing.
QString systemForm(const QString &nativePath,
                   const std::function<QString(const QString &)> &fullPath);

} // namespace veltrin::windowsPath
