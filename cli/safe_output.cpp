// SPDX-License-Identifier: GPL-3.0-or-later
#include "safe_output.h"

#include "console.h"
#include "phrases.h"

#include "file_error_text.h"
#include "file_move.h"
#include "picture_io.h"
#include "system_error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>

#include <cstring>

namespace veltrin::cli {

namespace {

[[noreturn]] void cannotWrite(const QString &path, const QString &why)
{
    throw CliError(Usage, say(phrase::cannotWrite).arg(QDir::toNativeSeparators(path), why));
}

QString reason(int systemError)
{
    if (chinese())
        return fileErrorText(systemError);
    // A Windows error without an errno of the same meaning comes negated.
    return systemError < 0 ? qt_error_string(-systemError)
                           : QString::fromLocal8Bit(std::strerror(systemError));
}

} // namespace

bool readsBackAs(const QString &written, const QImage &picture)
{
    QtPictureLoader loader;
    const PictureLoad back = loader.OleLoadPicturePath(written);
    return back && samePixels(back.picture->image, picture);
}

void writeFileSafely(const QString &path, const QByteArray &bytes, bool replace,
                     const std::function<bool(const QString &)> &proven)
{
    int systemError = 0;
    const QString temporary = createFileBeside(path, systemError);
    if (temporary.isEmpty())
        cannotWrite(path, reason(systemError));
    auto removeTemporary = qScopeGuard([&temporary] { QFile::remove(temporary); });
    if (const QFileInfo existing(path); replace && existing.exists())
        QFile::setPermissions(temporary, existing.permissions());

    QFile file(temporary);
    clearSystemError();
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
        const int error = lastSystemError();
        if (chinese())
            cannotWrite(path, fileErrorText(error, file.error()));
        cannotWrite(path, file.errorString());
    }
    // On disk before it takes the name: a crash leaves the old file or the whole new one.
    if (!flushToDisk(file, systemError))
        cannotWrite(path, reason(systemError));
    file.close();
    if (proven && !proven(temporary))
        cannotWrite(path, say(phrase::notProven));

    switch (moveFile(temporary, path, replace, systemError)) {
    case MoveResult::Moved:
        removeTemporary.dismiss();
        return;
    case MoveResult::Exists:
        throw CliError(Usage, say(phrase::outputExists).arg(QDir::toNativeSeparators(path)));
    case MoveResult::Failed:
        cannotWrite(path, reason(systemError));
    }
}

} // namespace veltrin::cli
