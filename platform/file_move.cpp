// SPDX-License-Identifier: GPL-3.0-or-later
#include "file_move.h"

#include "system_error.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>

namespace veltrin {

QString createFileBeside(const QString &path, int &systemError)
{
    const QFileInfo target(path);
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString name = QStringLiteral("%1/.%2.%3")
                                 .arg(target.absolutePath(), target.fileName())
                                 .arg(QRandomGenerator::global()->generate(), 8, 16, QChar(u'0'));
        QFile file(name);
        clearSystemError();
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            return name;
        systemError = lastSystemError();
        if (systemError != EEXIST)
            return {};
    }
    return {};
}

} // namespace veltrin
