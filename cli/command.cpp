// SPDX-License-Identifier: GPL-3.0-or-later
#include "command.h"

#include "console.h"
#include "phrases.h"
#include "pictures.h"

#include "runtime_error.h"

namespace veltrin::cli {

namespace {

// Qt's parser errors end in a full stop; ours go on after them.
QString withoutFullStop(QString text)
{
    while (text.endsWith(u'.') || text.endsWith(u'。'))
        text.chop(1);
    return text;
}

} // namespace

int Command::execute(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(description());
    // The command's name is the first positional argument, so that the usage line shows it.
    parser.addPositionalArgument(name(), description(), name());
    for (const Argument &argument : this->arguments())
        parser.addPositionalArgument(argument.name, argument.description);
    parser.addOptions(options());
    const QCommandLineOption help = parser.addHelpOption();

    try {
        if (!parser.parse(QStringList{QStringLiteral("veltrin-cli")} + arguments))
            throw CliError(
                Usage, say(phrase::usageHint, {{u"problem", withoutFullStop(parser.errorText())},
                                               {u"command", name()}}));
        if (parser.isSet(help)) {
            writeStandardOutput(parser.helpText().toUtf8());
            return Success;
        }
        const QStringList positional = parser.positionalArguments().mid(1);
        const QList<Argument> declared = this->arguments();
        if (positional.size() < declared.size())
            throw CliError(
                Usage, say(phrase::usageHint,
                           {{u"problem", say(phrase::missingArgument,
                                             {{u"argument", declared.at(positional.size()).name}})},
                            {u"command", name()}}));
        if (positional.size() > declared.size())
            throw CliError(Usage,
                           say(phrase::usageHint,
                               {{u"problem", say(phrase::extraArgument,
                                                 {{u"argument", positional.at(declared.size())}})},
                                {u"command", name()}}));
        return run(parser, positional);
    } catch (const CliError &error) {
        printMessage(error.message());
        return error.status();
    } catch (const RuntimeError &error) {
        printMessage(describe(error));
        return NotDecrypted;
    }
}

} // namespace veltrin::cli
