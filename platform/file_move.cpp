// SPDX-License-Identifier: GPL-3.0-or-later
#include "file_move.h"

#include "system_error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>

using namespace Qt::StringLiterals;

namespace veltrin {

#ifdef Q_OS_WIN
// Windows itself takes ".." off a path as text before it follows any link, so
// Qt's textual cleaning reaches the same file.
QString followLinks(const QString &path, int &systemError)
{
    // The limit Linux itself puts on a chain of links.
    constexpr int MaxLinks = 40;
    QString current = QFileInfo(path).absoluteFilePath();
    for (int hop = 0; hop <= MaxLinks; ++hop) {
        const QFileInfo info(current);
        if (!info.isSymLink())
            return current;
        // One hop at a time, so that a loop ends; the target comes absolute.
        current = QDir::cleanPath(info.symLinkTarget());
    }
    systemError = ELOOP;
    return {};
}
#endif

QString nameBeside(const QString &path)
{
    return u"%1/.veltrin-%2"_s.arg(QFileInfo(path).absolutePath())
        .arg(QRandomGenerator::global()->generate(), 8, 16, QChar(u'0'));
}

bool createFileBeside(const QString &path, QFile &file, int &systemError, bool ownerOnly)
{
    constexpr QFile::Permissions owner = QFile::ReadOwner | QFile::WriteOwner;
    for (int attempt = 0; attempt < 100; ++attempt) {
        file.setFileName(nameBeside(path));
        clearSystemError();
        const QIODevice::OpenMode mode = QIODevice::WriteOnly | QIODevice::NewOnly;
        if (ownerOnly ? file.open(mode, owner) : file.open(mode))
            return true;
        systemError = lastSystemError();
        if (systemError != EEXIST)
            return false;
    }
    return false;
}

QString longPathForm(const QString &absoluteNativePath)
{
    const QString &path = absoluteNativePath;
    if (path.startsWith(u"\\\\?\\"_s) || path.startsWith(u"\\\\.\\"_s))
        return path;
    if (path.startsWith(u"\\\\"_s))
        return u"\\\\?\\UNC\\"_s + path.mid(2);
    return u"\\\\?\\"_s + path;
}

} // namespace veltrin
