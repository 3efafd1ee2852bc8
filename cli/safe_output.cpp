// SPDX-License-Identifier: GPL-3.0-or-later
#include "safe_output.h"

#include "console.h"
#include "phrases.h"

#include "file_error_text.h"
#include "file_move.h"
#include "picture_io.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>

#include <cerrno>
#include <unistd.h>

namespace veltrin::cli {

namespace {

[[noreturn]] void cannotWrite(const QString &path, const QString &why)
{
    throw CliError(Usage, say(phrase::cannotWrite).arg(QDir::toNativeSeparators(path), why));
}

QString reason(int systemError)
{
    return chinese() ? fileErrorText(systemError) : qt_error_string(systemError);
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
    errno = 0;
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.flush() ||
        ::fsync(file.handle()) != 0) {
        const int error = errno;
        if (chinese())
            cannotWrite(path, fileErrorText(error, file.error()));
        cannotWrite(path, file.error() != QFileDevice::NoError ? file.errorString()
                                                               : qt_error_string(error));
    }
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
