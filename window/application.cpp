// SPDX-License-Identifier: GPL-3.0-or-later
#include "application.h"

#include "qt_messages.h"

#include "resources.h"
#include "system_services.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QTranslator>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace veltrin {

namespace {

void print(const QString &text, std::FILE *stream)
{
    if (!text.isEmpty()) {
        std::fputs(text.toLocal8Bit().constData(), stream);
        std::fflush(stream);
    }
}

} // namespace

QTranslator *installQtChinese(QCoreApplication &application)
{
    auto *translator = new QTranslator(&application);
    if (!translator->load(u"qtbase_zh_CN"_s, QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return nullptr;
    }
    QCoreApplication::installTranslator(translator);
    return translator;
}

WindowStart startWindow(const QStringList &arguments, Form1Services services)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(say(messages::windowDescription));
    const QCommandLineOption help({u"h"_s, u"help"_s}, say(messages::helpOption));
    const QCommandLineOption version({u"v"_s, u"version"_s}, say(messages::versionOption));
    parser.addOption(help);
    parser.addOption(version);
    parser.addPositionalArgument(say(messages::windowPictureName),
                                 say(messages::windowPictureArgument),
                                 say(messages::windowPictureSyntax));

    WindowStart start;
    QString wrong;
    if (!parser.parse(arguments))
        wrong = parser.errorText();
    else if (const qsizetype given = parser.positionalArguments().size(); given > 1)
        wrong = say(messages::tooManyPictures, {{u"count", given}});
    if (!wrong.isEmpty()) {
        start.exitStatus = 2;
        start.errors = say(messages::windowUsage, {{u"problem", wrong}});
        services.messages.show(start.errors.trimmed(), u"Veltrin"_s, MessageBox::Critical);
        return start;
    }
    if (parser.isSet(help)) {
        start.output = parser.helpText();
        return start;
    }
    if (parser.isSet(version)) {
        start.output = u"Veltrin %1\n"_s.arg(QStringLiteral(VELTRIN_VERSION));
        return start;
    }

    start.window = std::make_unique<Form1>(services);
    start.window->show();
    if (!parser.positionalArguments().isEmpty())
        start.window->openPicture(
            QFileInfo(parser.positionalArguments().constFirst()).absoluteFilePath());
    return start;
}

int runWindow(int &argc, char **argv)
{
    QApplication app(argc, argv);
    QGuiApplication::setDesktopFileName(applicationId());
    installQtChinese(app);
    SystemServices system;
    const WindowStart start = startWindow(QCoreApplication::arguments(), system.services());
    print(start.output, stdout);
    print(start.errors, stderr);
    if (!start.window)
        return start.exitStatus;
    return QApplication::exec();
}

} // namespace veltrin
