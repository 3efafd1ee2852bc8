// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace veltrin {

// The toolkit's message box, behind a seam so that no test waits on a modal dialog.
class MessageBox
{
public:
    enum Style : int {
        OkOnly = 0,
        YesNo = 4,
        Critical = 16,
        Question = 32,
        Exclamation = 48,
        Information = 64,
        // Enter chooses No: for a question whose careful answer is No.
        DefaultButton2 = 256,
    };
    enum Answer : int {
        Ok = 1,
        Yes = 6,
        No = 7,
    };

    virtual ~MessageBox() = default;
    // Returns the button chosen: Ok, or Yes / No for the YesNo style.
    virtual int show(const QString &text, const QString &caption, int style) = 0;
};

} // namespace veltrin
