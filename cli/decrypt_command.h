// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "command.h"
#include "password.h"

namespace veltrin::cli {

// veltrin-cli decrypt [PASSWORD OPTION] [--crlf] PICTURE
class DecryptCommand final : public Command
{
public:
    DecryptCommand();

    QString name() const override { return QStringLiteral("decrypt"); }
    QString description() const override;
    QList<QCommandLineOption> options() const override;
    QList<Argument> arguments() const override;

protected:
    int run(const QCommandLineParser &parser, const QStringList &positional) override;

private:
    PasswordOptions password_;
    QCommandLineOption crlf_;
};

} // namespace veltrin::cli
