// SPDX-License-Identifier: GPL-3.0-or-later
#include "file_move.h"

#include <QFile>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace veltrin {

MoveResult moveFile(const QString &from, const QString &to, bool replace, int &systemError)
{
    const QByteArray source = QFile::encodeName(from);
    const QByteArray target = QFile::encodeName(to);
    if (replace) {
        if (::rename(source.constData(), target.constData()) == 0)
            return MoveResult::Moved;
    } else {
        if (::renameat2(AT_FDCWD, source.constData(), AT_FDCWD, target.constData(),
                        RENAME_NOREPLACE) == 0)
            return MoveResult::Moved;
        // A file system without RENAME_NOREPLACE: a hard link fails as well
        // when the name is taken, and the temporary name then goes.
        if ((errno == EINVAL || errno == ENOSYS) &&
            ::link(source.constData(), target.constData()) == 0) {
            ::unlink(source.constData());
            return MoveResult::Moved;
        }
        if (errno == EEXIST)
            return MoveResult::Exists;
    }
    systemError = errno;
    return MoveResult::Failed;
}

bool flushToDisk(QFile &file, int &systemError)
{
    if (!file.flush() || ::fsync(file.handle()) != 0) {
        systemError = errno;
        return false;
    }
    return true;
}

} // namespace veltrin
