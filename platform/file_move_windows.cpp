// SPDX-License-Identifier: GPL-3.0-or-later
#include "file_move.h"

#include "system_error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <io.h>
#include <windows.h>

namespace veltrin {

namespace {

const wchar_t *wide(const QString &path)
{
    return reinterpret_cast<const wchar_t *>(path.utf16());
}

} // namespace

MoveResult moveFile(const QString &from, const QString &to, bool replace, int &systemError)
{
    const QString source = QDir::toNativeSeparators(QFileInfo(from).absoluteFilePath());
    const QString target = QDir::toNativeSeparators(QFileInfo(to).absoluteFilePath());
    clearSystemError();
    // Without MOVEFILE_REPLACE_EXISTING the move fails when the name is taken,
    // even by a file made since we looked. ReplaceFileW keeps the replaced
    // file's attributes and permissions, as the new file should.
    bool moved = false;
    if (replace) {
        moved = ReplaceFileW(wide(target), wide(source), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS,
                             nullptr, nullptr);
        if (!moved && GetLastError() == ERROR_FILE_NOT_FOUND)
            moved = MoveFileExW(wide(source), wide(target),
                                MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    } else {
        moved = MoveFileExW(wide(source), wide(target), MOVEFILE_WRITE_THROUGH);
    }
    if (moved)
        return MoveResult::Moved;
    systemError = lastSystemError();
    return !replace && systemError == EEXIST ? MoveResult::Exists : MoveResult::Failed;
}

bool flushToDisk(QFile &file, int &systemError)
{
    const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(file.handle()));
    clearSystemError();
    if (!file.flush() || handle == INVALID_HANDLE_VALUE || !FlushFileBuffers(handle)) {
        systemError = lastSystemError();
        return false;
    }
    return true;
}

} // namespace veltrin
