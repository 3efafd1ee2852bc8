// SPDX-License-Identifier: GPL-3.0-or-later
#include "web_command.h"

#include "console.h"
#include "phrases.h"
#include "safe_output.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace veltrin::cli {

namespace {
// Far more than the page's 1.5 MiB: a bound, not a size.
constexpr qint64 longestPage = 16 << 20;
// A file of the installed page, written only once it reads back the same.
void copyFile(const QString &source, const QString &target, bool replace)
{
    QFile file(source);
    if (!file.open(QIODevice::ReadOnly) || file.size() > longestPage)
        throw CliError(Usage, say(phrase::noPage, {{u"paths", QDir::toNativeSeparators(source)}}));
    const QByteArray bytes = file.read(longestPage);
    writeFileSafely(target, bytes, replace,
                    [&bytes](const QByteArray &written) { return written == bytes; });
}
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

WebCommand::WebCommand()
    : force_(QStringLiteral("force"), say(phrase::forcePageOption)),
      site_(QStringLiteral("site"), say(phrase::sitePageOption))
{}

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
    const QString page = installedPagePath();
    if (!parser.isSet(site_)) {
        copyFile(page, positional.at(0), parser.isSet(force_));
        return Success;
    }
    const QDir site(QFileInfo(page).dir().filePath(QStringLiteral("site")));
    const QStringList files = site.entryList(QDir::Files, QDir::Name);
    if (files.isEmpty())
        throw CliError(Usage,
                       say(phrase::noPage, {{u"paths", QDir::toNativeSeparators(site.path())}}));
    const QDir target(positional.at(0));
    QDir().mkpath(target.path()); // where it cannot be made, the first write says why
    for (const QString &file : files)
        copyFile(site.filePath(file), target.filePath(file), parser.isSet(force_));
    return Success;
}

} // namespace veltrin::cli
