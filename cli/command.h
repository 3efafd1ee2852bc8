// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QList>
#include <QString>
#include <QStringList>

namespace veltrin::cli {

// A positional argument of a command, as its help shows it.
struct Argument
{
    QString name;
    QString description;
};

// One subcommand: its name, what it does, its options and arguments, and
// the work. execute() does what every command shares: parsing, help, the
// count of arguments and the report of a failure.
class Command
{
public:
    virtual ~Command() = default;

    virtual QString name() const = 0;
    virtual QString description() const = 0;
    virtual QList<QCommandLineOption> options() const = 0;
    virtual QList<Argument> arguments() const { return {}; }

    // `arguments` start with the command's name; returns the exit status.
    int execute(const QStringList &arguments);

protected:
    // `positional` holds exactly the arguments() the command declares.
    // Failures throw CliError or RuntimeError.
    virtual int run(const QCommandLineParser &parser, const QStringList &positional) = 0;
};

} // namespace veltrin::cli
