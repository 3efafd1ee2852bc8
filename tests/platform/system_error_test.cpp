// SPDX-License-Identifier: GPL-3.0-or-later
// Why a system call failed, as the system reports it, in the user's words.
#include "file_error_text.h"
#include "system_error.h"

#include <gtest/gtest.h>

#include <cerrno>

#ifdef _WIN32
#include <windows.h>
#endif

using namespace Qt::StringLiterals;

namespace veltrin {
namespace {

TEST(SystemError, ClearingForgetsTheLastReason)
{
    errno = ENOSPC;
    clearSystemError();
    EXPECT_EQ(lastSystemError(), 0);
    EXPECT_EQ(fileErrorText(lastSystemError(), QFileDevice::WriteError), u"无法写入文件"_s);
}

#ifdef _WIN32
struct WindowsCase
{
    DWORD code;
    const char16_t *reason;
};

// The Windows errors a save or an open commonly meets get the reasons their
// errno counterparts have.
TEST(SystemError, WindowsErrorsHaveTheirChineseReasons)
{
    const WindowsCase cases[] = {
        {ERROR_FILE_NOT_FOUND, u"文件或它所在的文件夹不存在"},
        {ERROR_PATH_NOT_FOUND, u"文件或它所在的文件夹不存在"},
        {ERROR_ACCESS_DENIED, u"没有访问权限"},
        {ERROR_WRITE_PROTECT, u"磁盘或文件系统是只读的"},
        {ERROR_DISK_FULL, u"磁盘空间不足"},
        {ERROR_HANDLE_DISK_FULL, u"磁盘空间不足"},
        {ERROR_SHARING_VIOLATION, u"文件正被占用"},
        {ERROR_FILENAME_EXCED_RANGE, u"文件名或路径太长"},
        {ERROR_INVALID_NAME, u"文件名无效"},
    };
    for (const WindowsCase &c : cases) {
        SetLastError(c.code);
        EXPECT_EQ(fileErrorText(lastSystemError()), QString::fromUtf16(c.reason)) << c.code;
    }
}

TEST(SystemError, AnUnnamedWindowsErrorKeepsItsNumber)
{
    SetLastError(ERROR_INVALID_FUNCTION);
    const int error = lastSystemError();
    EXPECT_LT(error, 0);
    EXPECT_TRUE(fileErrorText(error).contains(u"Windows 系统错误 1"_s))
        << fileErrorText(error).toStdString();
}
#else
TEST(SystemError, IsErrno)
{
    errno = EROFS;
    EXPECT_EQ(lastSystemError(), EROFS);
}
#endif

} // namespace
} // namespace veltrin
