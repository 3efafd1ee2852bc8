// SPDX-License-Identifier: GPL-3.0-or-later
#include "system_error.h"

#include "qt_messages.h"

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
    return say(messages::systemError, {{u"number", systemError}});
}

} // namespace veltrin
