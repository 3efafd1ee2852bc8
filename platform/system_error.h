// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace veltrin {

// The reason the last failed system call left, as fileErrorText() takes it:
// errno; on Windows GetLastError(), turned into the errno of the same meaning
// where there is one, else its code negated.
int lastSystemError();

// Forgets that reason, so that a failure which sets none is not blamed on an
// older one.
void clearSystemError();

// The reason for a system error that fileErrorText() does not name itself.
QString otherSystemErrorText(int systemError);

} // namespace veltrin
