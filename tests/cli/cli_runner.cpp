// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli_runner.h"

#include <QProcess>

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

#include <gtest/gtest.h>

namespace veltrin::testing {

CliRun runCli(const QStringList &arguments, const CliOptions &options)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name :
         {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY", "LANGUAGE", "LC_ALL", "LC_MESSAGES"})
        environment.remove(QString::fromLatin1(name));
    environment.insert(QStringLiteral("LANG"), QStringLiteral("C.UTF-8"));
    for (auto it = options.language.begin(); it != options.language.end(); ++it)
        environment.insert(it.key(), it.value());

    QProcess process;
    process.setProcessEnvironment(environment);
    if (!options.folder.isEmpty())
        process.setWorkingDirectory(options.folder);
#ifdef _WIN32
    if (options.withoutTerminal)
        process.setCreateProcessArgumentsModifier(
            [](QProcess::CreateProcessArguments *start) { start->flags |= DETACHED_PROCESS; });
#else
    if (options.withoutTerminal || options.closedInChild >= 0)
        process.setChildProcessModifier([options] {
            if (options.withoutTerminal)
                setsid();
            if (options.closedInChild >= 0)
                close(options.closedInChild);
        });
#endif
    QString program = qEnvironmentVariable("VELTRIN_TEST_CLI", QStringLiteral(VELTRIN_CLI));
    QStringList programArguments = arguments;
    if (const QString runner = qEnvironmentVariable("VELTRIN_TEST_CLI_RUNNER"); !runner.isEmpty()) {
        programArguments.prepend(program);
        program = runner;
    }
    process.start(program, programArguments);
    if (!process.waitForStarted()) {
        ADD_FAILURE() << "veltrin-cli did not start";
        return {};
    }
    process.write(options.input);
    process.closeWriteChannel();
    if (!process.waitForFinished(120000)) {
        process.kill();
        process.waitForFinished();
        ADD_FAILURE() << "veltrin-cli did not finish";
        return {};
    }
    CliRun run;
    run.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = process.readAllStandardOutput();
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

QByteArray unixText(const QString &windowText)
{
    QString text = windowText;
    return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).toUtf8();
}

} // namespace veltrin::testing
