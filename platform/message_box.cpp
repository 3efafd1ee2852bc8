#include "message_box.h"

#include <QMessageBox>

namespace veltrin {

int QtMessageBox::show(const QString &text, const QString &caption, int style)
{
    QMessageBox box;
    box.setWindowTitle(caption);
    box.setText(text);
    box.setStandardButtons(QMessageBox::Ok);
    switch (style & 0x70) {
    case Critical:
        box.setIcon(QMessageBox::Critical);
        break;
    case Exclamation:
        box.setIcon(QMessageBox::Warning);
        break;
    default:
        break;
    }
    box.exec();
    return 1;
}

} // namespace veltrin
