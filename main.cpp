#include "form1.h"
#include "resources.h"
#include "system_services.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QGuiApplication::setDesktopFileName(veltrin::applicationId());
    veltrin::SystemServices system;
    veltrin::Form1 window(system.services());
    window.show();
    return app.exec();
}
