// SPDX-License-Identifier: GPL-3.0-or-later
#include "file_error_text.h"

#include "qt_messages.h"

#include "system_error.h"

#include <QFileInfo>

#include <cerrno>

using namespace Qt::StringLiterals;

namespace veltrin {

QString fileErrorText(int systemError, QFileDevice::FileError kind)
{
    switch (systemError) {
    case 0:
        break;
    case ENOENT:
        return say(messages::noSuchFile);
    case ENOTDIR:
        return say(messages::notAFolder);
    case EISDIR:
        return say(messages::folderNotFile);
    case EACCES:
    case EPERM:
        return say(messages::accessDenied);
    case EROFS:
        return say(messages::readOnlyDisk);
    case ENOSPC:
        return say(messages::diskFull);
#ifdef EDQUOT // not in Windows's C runtime
    case EDQUOT:
        return say(messages::quotaExceeded);
#endif
    case EFBIG:
        return say(messages::fileTooLarge);
    case ENAMETOOLONG:
        return say(messages::nameTooLong);
    case EINVAL:
        return say(messages::invalidName);
    case ELOOP:
        return say(messages::tooManyLinks);
    case EMFILE:
    case ENFILE:
        return say(messages::tooManyFiles);
    case EBUSY:
    case ETXTBSY:
        return say(messages::fileBusy);
    case EIO:
        return say(messages::diskError);
    default:
        return otherSystemErrorText(systemError);
    }
    switch (kind) {
    case QFileDevice::ResourceError:
        return say(messages::noResources);
    case QFileDevice::PermissionsError:
        return say(messages::accessDenied);
    case QFileDevice::OpenError:
        return say(messages::cannotOpenFile);
    case QFileDevice::ReadError:
        return say(messages::cannotReadFile);
    case QFileDevice::WriteError:
        return say(messages::cannotWriteFile);
    default:
        return say(messages::unknownFileError);
    }
}

QString writeErrorText(const QString &path, int systemError, QFileDevice::FileError kind)
{
    const QFileInfo info(path);
    if (info.isDir())
        return fileErrorText(EISDIR);
    if (info.exists() && !info.isWritable())
        return say(messages::readOnlyFile);
    return fileErrorText(systemError, kind);
}

} // namespace veltrin
