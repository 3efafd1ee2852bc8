// SPDX-License-Identifier: GPL-3.0-or-later
#include "safe_write.h"

#include "system_error.h"
#include "windows_path.h"

#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>

#include <cerrno>
#ifndef Q_OS_WIN
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace veltrin {

namespace {

[[noreturn]] void fail(SafeWriteError::Kind kind, int systemError = 0)
{
    throw SafeWriteError{kind, systemError, {}, {}, false};
}

#ifndef Q_OS_WIN
// Gives the file open as `fd` the mode of the file it replaces, and its owner
// and group where we may: root hands it to anybody, anyone else may keep a
// group they belong to. The owner goes first, as a change of owner clears the
// set-id bits.
bool keepModeAndOwner(int fd, const struct stat &old, int &systemError)
{
    if (::fchown(fd, old.st_uid, old.st_gid) != 0 && ::fchown(fd, uid_t(-1), old.st_gid) != 0) {
        // Neither: the file stays ours, as a file we make anew would be.
    }
    if (::fchmod(fd, old.st_mode & 07777) != 0) {
        systemError = errno;
        return false;
    }
    return true;
}
#endif

// Puts the new file in place, or leaves the old one there; only when the
// system parts the old file from its name and neither can be put back does
// the user get both files under their other names.
void moveIntoPlace(FileMoves &moves, const QString &temporary, const QString &target, bool replace)
{
    const QString backup = nameBeside(target);
    int systemError = 0;
    switch (moves.move(temporary, target, replace, backup, systemError)) {
    case MoveResult::Moved:
        return;
    case MoveResult::Exists:
        moves.remove(temporary);
        fail(SafeWriteError::Exists);
    case MoveResult::Failed:
        moves.remove(temporary);
        fail(SafeWriteError::System, systemError);
    case MoveResult::OldAtBackup:
        break;
    }
    int ignored = 0;
    if (moves.move(backup, target, false, {}, ignored) == MoveResult::Moved) {
        moves.remove(temporary);
        fail(SafeWriteError::System, systemError);
    }
    if (moves.move(temporary, target, false, {}, ignored) == MoveResult::Moved) {
        // The new file has the name; an old one that will not go is said.
        if (!moves.remove(backup))
            throw SafeWriteError{SafeWriteError::System, systemError, backup, target};
        return;
    }
    throw SafeWriteError{SafeWriteError::System, systemError, backup, temporary, false};
}

} // namespace

void writeSafely(const QString &path, const QByteArray &bytes, bool replace,
                 const std::function<bool(const QByteArray &)> &proven, FileMoves &moves)
{
    if (!proven(bytes))
        fail(SafeWriteError::NotProven);
#ifdef Q_OS_WIN
    // Looked at before any call normalises the path, which strips a final dot
    // or space and so would hide the name the file would really get.
    if (windowsPath::cannotHold(QFileInfo(path).fileName()))
        fail(SafeWriteError::BadName);
#endif
    int systemError = 0;
    // The name as the system opens it first: /dev/stdout into a pipe is a
    // link to "pipe:[N]", which only the system can follow. Links are
    // followed by hand only towards a file that is replaced or made.
    FileKind kind = kindOf(path);
    const QString target = kind == FileKind::Regular || kind == FileKind::Missing
                               ? followLinks(path, systemError)
                               : path;
    if (target.isEmpty())
        fail(SafeWriteError::System, systemError);
    kind = kindOf(target);
    if (kind == FileKind::Folder || kind == FileKind::Other)
        fail(SafeWriteError::NotAFile, kind == FileKind::Folder ? EISDIR : 0);
    if (kind != FileKind::Missing && !replace)
        fail(SafeWriteError::Exists);
    if (kind == FileKind::Stream) {
        // Nothing to read back from a device or a pipe, and nothing to replace.
        if (!writeToStream(target, bytes, systemError))
            throw SafeWriteError{SafeWriteError::System, systemError, {}, {}, true};
        return;
    }
    bool replacing = false;
#ifndef Q_OS_WIN
    struct stat old
    {};
    replacing =
        kind == FileKind::Regular && ::stat(QFile::encodeName(target).constData(), &old) == 0;
#endif

    QFile file;
    // A file that replaces another may hold what the old one kept private:
    // nobody else may read it before it has the old file's mode.
    if (!createFileBeside(target, file, systemError, replacing))
        fail(SafeWriteError::System, systemError);
    auto removeTemporary = qScopeGuard([&] {
        file.close();
        moves.remove(file.fileName());
    });
    clearSystemError();
    if (file.write(bytes) != bytes.size())
        fail(SafeWriteError::System, lastSystemError() ? lastSystemError() : EIO);
    // On disk before it takes the name: a crash leaves the old file or the whole new one.
    if (!flushToDisk(file, systemError))
        fail(SafeWriteError::System, systemError);

    QFile back(file.fileName());
    if (!back.open(QIODevice::ReadOnly) || back.read(bytes.size() + 1) != bytes)
        fail(SafeWriteError::NotProven);
    back.close();
#ifndef Q_OS_WIN
    // Only once proven: the old mode set earlier, one without read permission,
    // would have kept us from reading the bytes back. Windows carries the
    // target's attributes over in the replacing move.
    if (replacing && !keepModeAndOwner(file.handle(), old, systemError))
        fail(SafeWriteError::System, systemError);
#endif
    file.close();

    removeTemporary.dismiss();
    moveIntoPlace(moves, file.fileName(), target, replace);
}

} // namespace veltrin
