// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFont>

namespace veltrin {

// The window's default font: Chinese characters 12 pixels wide, ASCII 6,
// as the layout's label sizes assume, from the CJK fonts installed.
QFont defaultFont();

// "黑体" 21.75 pt bold for the tab labels, mapped to an installed Hei font
// where the machine has none of that name.
QFont tabFont();

} // namespace veltrin
