// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "message_box.h"

namespace veltrin {

class QtMessageBox final : public MessageBox
{
public:
    int show(const QString &text, const QString &caption, int style) override;
};

} // namespace veltrin
