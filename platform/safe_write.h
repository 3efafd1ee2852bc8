// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "file_move.h"

#include <QByteArray>
#include <QString>

#include <functional>

namespace veltrin {

// Why a safe write did not happen, and where that left the files.
struct SafeWriteError
{
    enum Kind {
        NotAFile,  // a folder, a block device or a socket is in the way
        Exists,    // without replacing, the name is taken
        NotProven, // the bytes are not the picture, or the disk gave back others
        System,    // the system refused: systemError says why
        BadName,   // Windows would make a file of this name that it cannot handle
    };
    Kind kind = System;
    int systemError = 0;
    // Set only when the old file could not be kept at or removed from the
    // chosen path: where each of them now is, kept for the user.
    QString oldFileAt;
    QString newFileAt;
    // The path leads to a character device or a FIFO, written as it is:
    // nothing was replaced, but part of the bytes may have reached it.
    bool stream = false;
};

// Writes `bytes` to `path` so that, whatever fails, `path` holds either the
// file that was there or all of `bytes`: through a temporary beside the file a
// link leads to, read back and compared before it takes the name. `proven`
// must accept `bytes` first (the picture in them is the one meant). Without
// `replace` an existing file, even one made meanwhile, stays. A character
// device or a FIFO is written to as it is, through the name given. A replaced
// file's mode is kept, and on Unix its owner and group where the system lets
// us give them. Throws SafeWriteError.
void writeSafely(const QString &path, const QByteArray &bytes, bool replace,
                 const std::function<bool(const QByteArray &)> &proven,
                 FileMoves &moves = systemFileMoves());

} // namespace veltrin
