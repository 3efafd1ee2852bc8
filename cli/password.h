// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QList>
#include <QString>

namespace veltrin::cli {

// -p PASSWORD, --password-file FILE and --ask-password, shared by the
// commands that take a password.
class PasswordOptions
{
public:
    PasswordOptions();

    QList<QCommandLineOption> options() const { return {password_, file_, ask_}; }
    // Whether the password comes from standard input.
    bool readsStandardInput(const QCommandLineParser &parser) const;

    // The password the options give (empty when none is given), refused with
    // CliError(Usage) unless it is one the window accepts: at most 20 letters
    // A-Z, a-z and digits 0-9.
    // With `confirm`, a password typed on the terminal is asked twice and
    // refused when the two differ.
    QString read(const QCommandLineParser &parser, bool confirm = false) const;

private:
    QCommandLineOption password_;
    QCommandLineOption file_;
    QCommandLineOption ask_;
};

// Refuses a password the window would not accept, naming what is wrong.
void checkPassword(const QString &password);

} // namespace veltrin::cli
