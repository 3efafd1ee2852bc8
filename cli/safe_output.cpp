// SPDX-License-Identifier: GPL-3.0-or-later
#include "safe_output.h"

#include "console.h"
#include "phrases.h"

#include "file_error_text.h"
#include "picture_io.h"
#include "safe_write.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>
#include <cstring>

namespace veltrin::cli {

namespace {

QString reason(const SafeWriteError &error)
{
    switch (error.kind) {
    case SafeWriteError::NotProven:
        return say(phrase::notProven);
    case SafeWriteError::NotAFile:
        return say(error.systemError == EISDIR ? phrase::isFolder : phrase::notWritableFile);
    case SafeWriteError::BadName:
        return say(phrase::badWindowsName);
    case SafeWriteError::Exists:
    case SafeWriteError::System:
        break;
    }
    if (chinese())
        return fileErrorText(error.systemError);
    // A Windows error without an errno of the same meaning comes negated.
    return error.systemError < 0 ? qt_error_string(-error.systemError)
                                 : QString::fromLocal8Bit(std::strerror(error.systemError));
}

} // namespace

void writeFileSafely(const QString &path, const QByteArray &file, bool replace,
                     const std::function<bool(const QByteArray &)> &proven)
{
    const bool existed = QFileInfo::exists(path);
    try {
        writeSafely(path, file, replace, proven);
    } catch (const SafeWriteError &error) {
        const QString shown = QDir::toNativeSeparators(path);
        if (error.kind == SafeWriteError::Exists)
            throw CliError(Usage, say(phrase::outputExists, {{u"path", shown}}));
        QString message = say(phrase::cannotWrite, {{u"path", shown}, {u"reason", reason(error)}});
        if (!error.oldFileAt.isEmpty())
            message +=
                say(phrase::filesParted, {{u"old", QDir::toNativeSeparators(error.oldFileAt)},
                                          {u"new", QDir::toNativeSeparators(error.newFileAt)}});
        else if (error.stream)
            message += say(phrase::streamWritten);
        else if (existed && error.kind != SafeWriteError::NotAFile)
            message += say(phrase::oldFileKept);
        throw CliError(Usage, message);
    }
}

void writePictureSafely(const QString &path, const QByteArray &file, PictureFormat format,
                        const QImage &picture, bool replace)
{
    const QString extension = extensionOf(format);
    writeFileSafely(path, file, replace, [&picture, &extension](const QByteArray &bytes) {
        QtPictureLoader loader;
        const PictureLoad back = loader.loadBytes(bytes, extension);
        return back && back.picture->format == extension.toLatin1() &&
               samePixels(back.picture->image, picture);
    });
}

} // namespace veltrin::cli
