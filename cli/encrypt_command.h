// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "command.h"
#include "password.h"

namespace veltrin::cli {

// veltrin-cli encrypt [PASSWORD OPTION] [--robust] [--protect [--require-strong]] [-i TEXT_FILE]
//                     -o PICTURE [--format FORMAT] [--force]
class EncryptCommand final : public Command
{
public:
    EncryptCommand();

    QString name() const override { return QStringLiteral("encrypt"); }
    QString description() const override;
    QList<QCommandLineOption> options() const override;

protected:
    int run(const QCommandLineParser &parser, const QStringList &positional) override;

private:
    PasswordOptions password_;
    QCommandLineOption input_;
    QCommandLineOption output_;
    QCommandLineOption force_;
    QCommandLineOption protect_;
    QCommandLineOption robust_;
    QCommandLineOption format_;
    QCommandLineOption requireStrong_;
};

} // namespace veltrin::cli
