// SPDX-License-Identifier: GPL-3.0-or-later
#include "file_move.h"

#include <QFile>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace veltrin {

namespace {

class PosixFileMoves final : public FileMoves
{
public:
    // rename() replaces in one step: the old file is never parted from its
    // name, so no backup is needed.
    MoveResult move(const QString &from, const QString &to, bool replace, const QString &,
                    int &systemError) override
    {
        const QByteArray source = QFile::encodeName(from);
        const QByteArray target = QFile::encodeName(to);
        if (replace) {
            if (::rename(source.constData(), target.constData()) == 0)
                return MoveResult::Moved;
        } else {
            if (::renameat2(AT_FDCWD, source.constData(), AT_FDCWD, target.constData(),
                            RENAME_NOREPLACE) == 0)
                return MoveResult::Moved;
            // A file system without RENAME_NOREPLACE: a hard link fails as well
            // when the name is taken, and the temporary name then goes.
            if ((errno == EINVAL || errno == ENOSYS) &&
                ::link(source.constData(), target.constData()) == 0) {
                ::unlink(source.constData());
                return MoveResult::Moved;
            }
            if (errno == EEXIST)
                return MoveResult::Exists;
        }
        systemError = errno;
        return MoveResult::Failed;
    }

    bool remove(const QString &path) override
    {
        return ::unlink(QFile::encodeName(path).constData()) == 0;
    }
};

} // namespace

FileKind kindOf(const QString &path)
{
    struct stat status
    {};
    // Nothing we can look at: making the file beside it then says why.
    if (::stat(QFile::encodeName(path).constData(), &status) != 0)
        return FileKind::Missing;
    if (S_ISREG(status.st_mode))
        return FileKind::Regular;
    if (S_ISDIR(status.st_mode))
        return FileKind::Folder;
    if (S_ISCHR(status.st_mode) || S_ISFIFO(status.st_mode))
        return FileKind::Stream;
    return FileKind::Other;
}

QString followLinks(const QString &path, int &systemError)
{
    // The limit Linux itself puts on a chain of links.
    constexpr int MaxLinks = 40;
    QByteArray current = QFile::encodeName(path);
    for (int hop = 0; hop <= MaxLinks; ++hop) {
        // The kernel takes ".." from the folder a link to a folder really
        // leads to, not from the text before it: so each hop starts from
        // the real folder of its last name, and a relative target from the
        // real folder of the link.
        const qsizetype slash = current.lastIndexOf('/');
        const QByteArray folder = slash < 0 ? QByteArray(".") : current.left(qMax(slash, 1));
        char *real = ::realpath(folder.constData(), nullptr);
        if (!real) {
            systemError = errno;
            return {};
        }
        QByteArray place(real);
        std::free(real);
        if (!place.endsWith('/'))
            place += '/';
        place += current.mid(slash + 1);
        struct stat status
        {};
        if (::lstat(place.constData(), &status) != 0 || !S_ISLNK(status.st_mode))
            return QFile::decodeName(place);
        QByteArray target(PATH_MAX, Qt::Uninitialized);
        const ssize_t length = ::readlink(place.constData(), target.data(), size_t(target.size()));
        if (length < 0 || length == target.size()) {
            systemError = length < 0 ? errno : ENAMETOOLONG;
            return {};
        }
        target.truncate(length);
        current = target.startsWith('/') ? target : place.left(place.lastIndexOf('/') + 1) + target;
    }
    systemError = ELOOP;
    return {};
}

bool writeToStream(const QString &path, const QByteArray &bytes, int &systemError)
{
    // O_NONBLOCK only for the open: a FIFO without a reader fails with ENXIO
    // instead of hanging the program.
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        systemError = errno;
        return false;
    }
    errno = 0;
    bool written = ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) == 0;
    for (qsizetype done = 0; written && done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        written = n > 0;
        done += n > 0 ? n : 0;
    }
    if (!written)
        systemError = errno ? errno : EIO;
    if (::close(fd) != 0 && written) {
        systemError = errno;
        written = false;
    }
    return written;
}

bool flushToDisk(QFile &file, int &systemError)
{
    if (!file.flush() || ::fsync(file.handle()) != 0) {
        systemError = errno;
        return false;
    }
    return true;
}

FileMoves &systemFileMoves()
{
    static PosixFileMoves moves;
    return moves;
}

} // namespace veltrin
