// SPDX-License-Identifier: GPL-3.0-or-later
#include "application.h"

#include "form1.h"
#include "resources.h"
#include "system_services.h"

#include <QApplication>

namespace veltrin {

int runWindow(int &argc, char **argv)
{
    QApplication app(argc, argv);
    QGuiApplication::setDesktopFileName(applicationId());
    SystemServices system;
    Form1 window(system.services());
    window.show();
    return QApplication::exec();
}

} // namespace veltrin
