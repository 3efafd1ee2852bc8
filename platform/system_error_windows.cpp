// SPDX-License-Identifier: GPL-3.0-or-later
#include "system_error.h"

#include "qt_messages.h"

#include <cerrno>
#include <windows.h>

using namespace Qt::StringLiterals;

namespace veltrin {

namespace {

// The Windows errors a file operation commonly meets, as the errno that
// fileErrorText() already words in Chinese.
int errnoFor(DWORD code)
{
    switch (code) {
    case ERROR_SUCCESS:
        return 0;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
        return ENOENT;
    case ERROR_DIRECTORY:
        return ENOTDIR;
    case ERROR_ACCESS_DENIED:
    case ERROR_PRIVILEGE_NOT_HELD:
        return EACCES;
    case ERROR_WRITE_PROTECT:
        return EROFS;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return ENOSPC;
    case ERROR_FILE_TOO_LARGE:
        return EFBIG;
    case ERROR_FILENAME_EXCED_RANGE:
        return ENAMETOOLONG;
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
        return EINVAL;
    case ERROR_TOO_MANY_OPEN_FILES:
        return EMFILE;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_BUSY:
        return EBUSY;
    case ERROR_CRC:
    case ERROR_READ_FAULT:
    case ERROR_WRITE_FAULT:
    case ERROR_IO_DEVICE:
        return EIO;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return EEXIST;
    default:
        return -static_cast<int>(code);
    }
}

} // namespace

int lastSystemError()
{
    // The C runtime's own calls (_open, _write) report through errno.
    const DWORD code = GetLastError();
    return code != ERROR_SUCCESS ? errnoFor(code) : errno;
}

void clearSystemError()
{
    SetLastError(ERROR_SUCCESS);
    errno = 0;
}

QString otherSystemErrorText(int systemError)
{
    if (systemError >= 0)
        return say(messages::systemError, {{u"number", systemError}});
    // Windows words its own errors in Chinese where that language is installed.
    const auto code = static_cast<DWORD>(-systemError);
    wchar_t *text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, MAKELANGID(LANG_CHINESE_SIMPLIFIED, SUBLANG_CHINESE_SIMPLIFIED),
        reinterpret_cast<wchar_t *>(&text), 0, nullptr);
    QString reason;
    if (length > 0 && text)
        reason = QString::fromWCharArray(text, static_cast<qsizetype>(length)).trimmed();
    LocalFree(text);
    if (reason.isEmpty())
        return say(messages::windowsError, {{u"number", code}});
    return say(messages::windowsErrorBecause, {{u"reason", reason}, {u"number", code}});
}

} // namespace veltrin
