#include "code_page.h"
#include "form1.h"
#include "message_box.h"
#include "random_source.h"
#include "resources.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QGuiApplication::setDesktopFileName(veltrin::applicationId());
    veltrin::SystemRandomSource random;
    veltrin::QtMessageBox messages;
    veltrin::Form1 window({random, veltrin::codePage936(), messages});
    window.show();
    return app.exec();
}
