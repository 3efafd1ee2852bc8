// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "form1.h"

#include <QString>
#include <QStringList>

#include <memory>

class QCoreApplication;
class QTranslator;

namespace veltrin {

// Starts the program as a user does: the application, its window on the real
// platform, and the event loop until the window closes. Returns the exit status.
int runWindow(int &argc, char **argv);

// Qt's own texts (standard buttons, file dialogs, command-line help) in
// Simplified Chinese, whatever the locale. Returns the translator, which the
// application owns, or null when the translation is not installed.
QTranslator *installQtChinese(QCoreApplication &application);

// How the program starts once its application exists.
struct WindowStart
{
    std::unique_ptr<Form1> window; // shown; null when the program ends at once
    int exitStatus = 0;
    QString output; // for standard output: the help or the version
    QString errors; // for standard error
};

// What runWindow does between making the application and running its event
// loop. Reads the command line, `veltrin [PICTURE]`: builds and shows the
// window, on the Decrypt page with the picture loaded when one is named. Wrong
// usage is told on standard error and in a message box, and ends with status 2.
WindowStart startWindow(const QStringList &arguments, Form1Services services);

} // namespace veltrin
