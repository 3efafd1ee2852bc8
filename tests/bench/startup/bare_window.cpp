// SPDX-License-Identifier: GPL-3.0-or-later
// The start-up benchmark's yardstick: a bare Qt window of the window's size.
#include <QApplication>
#include <QWidget>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    window.setObjectName(QStringLiteral("Bare"));
    window.setWindowTitle(QStringLiteral("Bare"));
    window.setFixedSize(384, 373);
    window.show();
    return QApplication::exec();
}
