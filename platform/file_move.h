// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class QFile;

namespace veltrin {

// How a move of a finished file into its place went.
enum class MoveResult { Moved, Exists, Failed };

// Moves the file `from` to `to` in one step, so that `to` is never half
// written. With `replace`, a file already at `to` is replaced; without it, that
// file stays as it is, even one that another program made meanwhile (Exists).
// On failure `systemError` says why.
MoveResult moveFile(const QString &from, const QString &to, bool replace, int &systemError);

// A new, empty file beside `path` under a hidden name nobody else has, with
// the permissions a new file gets; empty when none could be made, and
// `systemError` says why.
QString createFileBeside(const QString &path, int &systemError);

// Flushes `file`'s written bytes from the system's caches to the disk; false
// with the reason in `systemError` when that fails.
bool flushToDisk(QFile &file, int &systemError);

} // namespace veltrin
