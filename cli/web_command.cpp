// SPDX-License-Identifier: GPL-3.0-or-later
#include "web_command.h"

#include "console.h"
#include "phrases.h"
#include "safe_output.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

namespace veltrin::cli {

namespace {
// Far more than the page's 1.5 MiB: a bound, not a size.
constexpr qint64 longestPage = 16 << 20;
} // namespace

QString installedPagePath()
{
    const QDir program(QCoreApplication::applicationDirPath());
#ifdef _WIN32
    return program.filePath(QStringLiteral("veltrin.html"));
#else
    return QDir::cleanPath(program.filePath(QStringLiteral("../share/veltrin/veltrin.html")));
#endif
}

WebCommand::WebCommand() : force_(QStringLiteral("force"), say(phrase::forcePageOption)) {}

QString WebCommand::description() const
{
    return say(phrase::webCommand);
}

QList<Argument> WebCommand::arguments() const
{
    return {{QStringLiteral("FILE"), say(phrase::pageArgument)}};
}

int WebCommand::run(const QCommandLineParser &parser, const QStringList &positional)
{
    const QString source = installedPagePath();
    QFile page(source);
    if (!page.open(QIODevice::ReadOnly) || page.size() > longestPage)
        throw CliError(Usage, say(phrase::noPage).arg(QDir::toNativeSeparators(source)));
    const QByteArray bytes = page.read(longestPage);
    writeFileSafely(positional.at(0), bytes, parser.isSet(force_),
                    [&bytes](const QByteArray &written) { return written == bytes; });
    return Success;
}

} // namespace veltrin::cli
