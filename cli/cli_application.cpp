// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli_application.h"

#include "commands.h"
#include "console.h"
#include "phrases.h"
#include "standard_streams.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <algorithm>

namespace veltrin::cli {

int runCommandLine(int &argc, char **argv)
{
    openClosedStandardStreams();
    // Core only: no display, no platform plugin.
    QCoreApplication app(argc, argv);
    useBinaryStandardStreams();
    QCoreApplication::setApplicationName(QStringLiteral("veltrin-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VELTRIN_VERSION));

    setChinese(chineseLocale());
    // Qt's own texts, such as the option parser's help and errors.
    QTranslator qtTexts;
    if (chinese() &&
        qtTexts.load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"),
                     QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&qtTexts);

    const std::vector<std::unique_ptr<Command>> commands = makeCommands();
    QString description =
        say(phrase::program) + QStringLiteral("\n\n") + say(phrase::commandsHeading);
    for (const auto &command : commands)
        description +=
            QStringLiteral("\n  %1  %2").arg(command->name(), -8).arg(command->description());
    description += QStringLiteral("\n\n") + say(phrase::commandHelp);

    QCommandLineParser parser;
    parser.setApplicationDescription(description);
    parser.addPositionalArgument(QStringLiteral("command"), say(phrase::commandArgument));
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();

    try {
        if (!parser.parse(QCoreApplication::arguments()))
            throw CliError(Usage, parser.errorText());
        if (parser.isSet(version)) {
            writeStandardOutput(QStringLiteral("%1 %2\n")
                                    .arg(QCoreApplication::applicationName(),
                                         QCoreApplication::applicationVersion())
                                    .toUtf8());
            return Success;
        }
        if (parser.isSet(help)) {
            writeStandardOutput(parser.helpText().toUtf8());
            return Success;
        }
        const QStringList arguments = parser.positionalArguments();
        if (arguments.isEmpty())
            throw CliError(Usage, say(phrase::noCommand));
        const auto found = std::find_if(commands.begin(), commands.end(), [&](const auto &command) {
            return command->name() == arguments.first();
        });
        if (found == commands.end())
            throw CliError(Usage, say(phrase::unknownCommand, {{u"command", arguments.first()}}));
        return (*found)->execute(arguments);
    } catch (const CliError &error) {
        printMessage(error.message());
        return error.status();
    }
}

} // namespace veltrin::cli
