// SPDX-License-Identifier: GPL-3.0-or-later
#include "system_error.h"

#include <cerrno>

using namespace Qt::StringLiterals;

namespace veltrin {

int lastSystemError()
{
    return errno;
}

void clearSystemError()
{
    errno = 0;
}

QString otherSystemErrorText(int systemError)
{
    return u"系统错误 %1"_s.arg(systemError);
}

} // namespace veltrin
