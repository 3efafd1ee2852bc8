// SPDX-License-Identifier: GPL-3.0-or-later
#include "file_error_text.h"

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
        return u"文件或它所在的文件夹不存在"_s;
    case ENOTDIR:
        return u"路径中有一段不是文件夹"_s;
    case EISDIR:
        return u"这是一个文件夹，不是文件"_s;
    case EACCES:
    case EPERM:
        return u"没有访问权限"_s;
    case EROFS:
        return u"磁盘或文件系统是只读的"_s;
    case ENOSPC:
        return u"磁盘空间不足"_s;
#ifdef EDQUOT // not in Windows's C runtime
    case EDQUOT:
        return u"超出了磁盘配额"_s;
#endif
    case EFBIG:
        return u"文件太大"_s;
    case ENAMETOOLONG:
        return u"文件名或路径太长"_s;
    case EINVAL:
        return u"文件名无效"_s;
    case ELOOP:
        return u"路径中的符号链接太多"_s;
    case EMFILE:
    case ENFILE:
        return u"同时打开的文件太多"_s;
    case EBUSY:
    case ETXTBSY:
        return u"文件正被占用"_s;
    case EIO:
        return u"读写磁盘时出错"_s;
    default:
        return otherSystemErrorText(systemError);
    }
    switch (kind) {
    case QFileDevice::ResourceError:
        return u"磁盘空间或系统资源不足"_s;
    case QFileDevice::PermissionsError:
        return u"没有访问权限"_s;
    case QFileDevice::OpenError:
        return u"无法打开文件"_s;
    case QFileDevice::ReadError:
        return u"无法读取文件"_s;
    case QFileDevice::WriteError:
        return u"无法写入文件"_s;
    default:
        return u"未知的文件错误"_s;
    }
}

QString writeErrorText(const QString &path, int systemError, QFileDevice::FileError kind)
{
    const QFileInfo info(path);
    if (info.isDir())
        return fileErrorText(EISDIR);
    if (info.exists() && !info.isWritable())
        return u"文件是只读的"_s;
    return fileErrorText(systemError, kind);
}

} // namespace veltrin
