// SPDX-License-Identifier: GPL-3.0-or-later
#include "file_move.h"

#include "system_error.h"
#include "windows_path.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <io.h>
#include <windows.h>

namespace veltrin {

namespace {

// The system's own normal form of a path: absolute, with "." and ".." gone.
QString fullPathOf(const QString &nativePath)
{
    const std::wstring path = nativePath.toStdWString();
    std::wstring full(MAX_PATH, L'\0');
    for (;;) {
        const DWORD size =
            GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
        if (size == 0)
            return {};
        if (size < full.size())
            return QString::fromWCharArray(full.data(), size);
        full.resize(size);
    }
}

// Only a path too long for the plain calls gets the long form, whatever the
// registry says about long paths: with it every name is taken literally, and
// a name Explorer cannot delete could be made (the caller refuses those).
std::wstring systemPath(const QString &path)
{
    return windowsPath::systemForm(QDir::toNativeSeparators(path), fullPathOf).toStdWString();
}

class WindowsFileMoves final : public FileMoves
{
public:
    MoveResult move(const QString &from, const QString &to, bool replace, const QString &backup,
                    int &systemError) override
    {
        const std::wstring source = systemPath(from);
        const std::wstring target = systemPath(to);
        clearSystemError();
        // Without MOVEFILE_REPLACE_EXISTING the move fails when the name is
        // taken, even by a file made since we looked.
        if (!replace) {
            if (MoveFileExW(source.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH))
                return MoveResult::Moved;
            systemError = lastSystemError();
            return systemError == EEXIST ? MoveResult::Exists : MoveResult::Failed;
        }
        // ReplaceFileW keeps the replaced file's attributes and permissions, as
        // the new file should. With a backup name it never loses the old file:
        // it is at the target or at the backup whatever fails. It refuses to
        // replace a read-only file, so that attribute is lifted for the move
        // and put back on whichever file then holds the name.
        const std::wstring saved = systemPath(backup);
        const DWORD attributes = GetFileAttributesW(target.c_str());
        const bool readOnly =
            attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
        if (readOnly)
            SetFileAttributesW(target.c_str(), attributes & ~DWORD(FILE_ATTRIBUTE_READONLY));
        const auto markReadOnly = [&](const std::wstring &path) {
            if (readOnly)
                SetFileAttributesW(path.c_str(),
                                   GetFileAttributesW(path.c_str()) | FILE_ATTRIBUTE_READONLY);
        };
        if (ReplaceFileW(target.c_str(), source.c_str(), saved.c_str(),
                         REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)) {
            DeleteFileW(saved.c_str());
            markReadOnly(target);
            return MoveResult::Moved;
        }
        const DWORD code = GetLastError();
        if (code == ERROR_FILE_NOT_FOUND &&
            MoveFileExW(source.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH))
            return MoveResult::Moved;
        if (code == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2) {
            // The old file is at the backup and the new one not yet in place:
            // whichever of them the caller's next move puts at the name, and
            // whichever it keeps for the user, is read-only as the old one was.
            markReadOnly(saved);
            markReadOnly(source);
        } else {
            markReadOnly(target);
        }
        SetLastError(code);
        systemError = lastSystemError();
        return code == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2 ? MoveResult::OldAtBackup
                                                          : MoveResult::Failed;
    }

    // DeleteFileW refuses a read-only file, as a backup of a read-only target is.
    bool remove(const QString &path) override
    {
        const std::wstring name = systemPath(path);
        const DWORD attributes = GetFileAttributesW(name.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
            SetFileAttributesW(name.c_str(), attributes & ~DWORD(FILE_ATTRIBUTE_READONLY));
        return DeleteFileW(name.c_str());
    }
};

} // namespace

FileKind kindOf(const QString &path)
{
    const DWORD attributes = GetFileAttributesW(systemPath(path).c_str());
    // Nothing we can look at: making the file beside it then says why.
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return FileKind::Missing;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        return FileKind::Folder;
    return attributes & FILE_ATTRIBUTE_DEVICE ? FileKind::Other : FileKind::Regular;
}

bool writeToStream(const QString &, const QByteArray &, int &systemError)
{
    // kindOf() never calls a Windows path a stream.
    systemError = EINVAL;
    return false;
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

FileMoves &systemFileMoves()
{
    static WindowsFileMoves moves;
    return moves;
}

} // namespace veltrin
