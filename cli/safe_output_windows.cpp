// SPDX-License-Identifier: GPL-3.0-or-later
#include "safe_output.h"

#include "console.h"
#include "phrases.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>

#include <windows.h>

namespace veltrin::cli {

namespace {

[[noreturn]] void cannotWrite(const QString &path, DWORD error)
{
    throw CliError(
        Usage, say(phrase::cannotWrite)
                   .arg(QDir::toNativeSeparators(path), qt_error_string(static_cast<int>(error))));
}

const wchar_t *wide(const QString &path)
{
    return reinterpret_cast<const wchar_t *>(path.utf16());
}

// A new file of our own beside the target, so that the move stays on its volume.
HANDLE createTemporary(const QString &folder, QString &name)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = QDir::toNativeSeparators(
            folder + QStringLiteral("/.veltrin-cli-%1")
                         .arg(QRandomGenerator::global()->generate(), 8, 16, QChar(u'0')));
        const HANDLE file = CreateFileW(wide(name), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS)
            return file;
    }
    return INVALID_HANDLE_VALUE;
}

bool writeAll(HANDLE file, const QByteArray &bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<qsizetype>(bytes.size() - done, 1 << 24));
        DWORD written = 0;
        if (!WriteFile(file, bytes.constData() + done, chunk, &written, nullptr) || written == 0)
            return false;
        done += written;
    }
    return true;
}

} // namespace

void writeFileSafely(const QString &path, const QByteArray &bytes, bool replace)
{
    const QFileInfo target(path);
    QString temporary;
    const HANDLE file = createTemporary(target.absolutePath(), temporary);
    if (file == INVALID_HANDLE_VALUE)
        cannotWrite(path, GetLastError());
    // On disk before it takes the name: a crash leaves the old file or the whole new one.
    const bool written = writeAll(file, bytes) && FlushFileBuffers(file);
    const DWORD writeError = GetLastError();
    CloseHandle(file);
    if (!written) {
        DeleteFileW(wide(temporary));
        cannotWrite(path, writeError);
    }

    const QString to = QDir::toNativeSeparators(target.absoluteFilePath());
    // Without MOVEFILE_REPLACE_EXISTING the move fails when the name is taken,
    // even by a file made since we looked. ReplaceFileW keeps the replaced
    // file's attributes and permissions, as the new file should.
    bool moved = false;
    if (replace) {
        moved = ReplaceFileW(wide(to), wide(temporary), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS,
                             nullptr, nullptr);
        if (!moved && GetLastError() == ERROR_FILE_NOT_FOUND)
            moved = MoveFileExW(wide(temporary), wide(to),
                                MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    } else {
        moved = MoveFileExW(wide(temporary), wide(to), MOVEFILE_WRITE_THROUGH);
    }
    if (!moved) {
        const DWORD error = GetLastError();
        DeleteFileW(wide(temporary));
        if (!replace && (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS))
            throw CliError(Usage, say(phrase::outputExists).arg(QDir::toNativeSeparators(path)));
        cannotWrite(path, error);
    }
}

} // namespace veltrin::cli
