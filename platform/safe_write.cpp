// SPDX-License-Identifier: GPL-3.0-or-later
#include "safe_write.h"

#include "system_error.h"
#include "windows_path.h"

#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>

#include <cerrno>

namespace veltrin {

namespace {

[[noreturn]] void fail(SafeWriteError::Kind kind, int systemError = 0)
{
    throw SafeWriteError{kind, systemError, {}, {}};
}

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
    throw SafeWriteError{SafeWriteError::System, systemError, backup, temporary};
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
    const QString target = followLinks(path, systemError);
    if (target.isEmpty())
        fail(SafeWriteError::System, systemError);
    const FileKind kind = kindOf(target);
    if (kind == FileKind::Folder || kind == FileKind::Other)
        fail(SafeWriteError::NotAFile, kind == FileKind::Folder ? EISDIR : 0);
    if (kind != FileKind::Missing && !replace)
        fail(SafeWriteError::Exists);
    if (kind == FileKind::Stream) {
        // Nothing to read back from a device or a pipe, and nothing to replace.
        if (!writeToStream(target, bytes, systemError))
            fail(SafeWriteError::System, systemError);
        return;
    }

    QFile file;
    if (!createFileBeside(target, file, systemError))
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
    // Only now: a read-only mode set earlier would have kept us from writing.
    // Windows carries the target's attributes over in the replacing move.
    if (kind == FileKind::Regular)
        file.setPermissions(QFileInfo(target).permissions());
#endif
    file.close();

    removeTemporary.dismiss();
    moveIntoPlace(moves, file.fileName(), target, replace);
}

} // namespace veltrin
