// SPDX-License-Identifier: GPL-3.0-or-later
#include "qt_message_box.h"

#include <QMessageBox>

namespace veltrin {

int QtMessageBox::show(const QString &text, const QString &caption, int style)
{
    QMessageBox box;
    box.setWindowTitle(caption);
    box.setText(text);
    const bool yesNo = (style & 0x0F) == YesNo;
    box.setStandardButtons(yesNo ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok);
    if (yesNo && (style & DefaultButton2))
        box.setDefaultButton(QMessageBox::No);
    switch (style & 0x70) {
    case Critical:
        box.setIcon(QMessageBox::Critical);
        break;
    case Question:
        box.setIcon(QMessageBox::Question);
        break;
    case Exclamation:
        box.setIcon(QMessageBox::Warning);
        break;
    case Information:
        box.setIcon(QMessageBox::Information);
        break;
    default:
        break;
    }
    const int chosen = box.exec();
    if (yesNo)
        return chosen == QMessageBox::Yes ? Yes : No;
    return Ok;
}

} // namespace veltrin
