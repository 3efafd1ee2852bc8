// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

namespace veltrin::cli {

// Writes `bytes` to a temporary file beside `path` and moves it into place
// only once it is complete and on disk, so that a failure never leaves half a
// file. Without `replace`, an existing file (even one made meanwhile by
// another program) stays as it is. Throws CliError(Usage) on failure.
void writeFileSafely(const QString &path, const QByteArray &bytes, bool replace);

} // namespace veltrin::cli
