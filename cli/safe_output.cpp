// SPDX-License-Identifier: GPL-3.0-or-later
#include "safe_output.h"

#include "console.h"
#include "phrases.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace veltrin::cli {

namespace {

[[noreturn]] void cannotWrite(const QString &path, const QString &why)
{
    throw CliError(Usage, say(phrase::cannotWrite).arg(QDir::toNativeSeparators(path), why));
}

// The mode a new file gets from open(): read and write for all, less the umask.
mode_t newFileMode()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// Moves `from` to `to` unless `to` exists, in one step: renameat2 where the
// file system knows RENAME_NOREPLACE, else a hard link, which fails as well
// when the name is taken. Returns false with errno set.
bool moveWithoutReplacing(const QByteArray &from, const QByteArray &to, bool &linked)
{
    linked = false;
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
    linked = ::link(from.constData(), to.constData()) == 0;
    return linked;
}

} // namespace

void writeFileSafely(const QString &path, const QByteArray &bytes, bool replace)
{
    const QFileInfo target(path);
    QTemporaryFile temporary(target.absolutePath() + QStringLiteral("/.veltrin-cli-XXXXXX"));
    if (!temporary.open())
        cannotWrite(path, temporary.errorString());

    const QByteArray to = QFile::encodeName(path);
    struct stat existing
    {};
    const mode_t mode = replace && ::stat(to.constData(), &existing) == 0 ? existing.st_mode & 07777
                                                                          : newFileMode();
    if (::fchmod(temporary.handle(), mode) != 0 || temporary.write(bytes) != bytes.size() ||
        !temporary.flush() || ::fsync(temporary.handle()) != 0)
        cannotWrite(path, temporary.error() != QFileDevice::NoError ? temporary.errorString()
                                                                    : qt_error_string(errno));
    temporary.close();

    const QByteArray from = QFile::encodeName(temporary.fileName());
    bool linked = false;
    const bool moved = replace ? ::rename(from.constData(), to.constData()) == 0
                               : moveWithoutReplacing(from, to, linked);
    if (!moved) {
        if (!replace && errno == EEXIST)
            throw CliError(Usage, say(phrase::outputExists).arg(QDir::toNativeSeparators(path)));
        cannotWrite(path, qt_error_string(errno));
    }
    // A renamed file is no longer there to remove; a linked one still has its temporary name.
    temporary.setAutoRemove(linked);
}

} // namespace veltrin::cli
