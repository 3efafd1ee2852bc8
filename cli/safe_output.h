// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

#include <functional>

namespace veltrin::cli {

// Whether the file `written` holds exactly the pixels of `picture`, read back
// through the loader that Open uses.
bool readsBackAs(const QString &written, const QImage &picture);

// Writes `bytes` to a temporary file beside `path` and moves it into place
// only once it is complete, on disk and, when `proven` is given, once
// `proven(temporary file)` holds; so a failure never leaves half a file and
// never replaces one. Without `replace`, an existing file (even one made
// meanwhile by another program) stays as it is. Throws CliError(Usage).
void writeFileSafely(const QString &path, const QByteArray &bytes, bool replace,
                     const std::function<bool(const QString &)> &proven = {});

} // namespace veltrin::cli
