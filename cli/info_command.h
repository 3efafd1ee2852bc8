// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "command.h"

namespace veltrin::cli {

// veltrin-cli info PICTURE: the size, the three header values as stored, and
// whether the picture decrypts in full without a password.
class InfoCommand final : public Command
{
public:
    QString name() const override { return QStringLiteral("info"); }
    QString description() const override;
    QList<QCommandLineOption> options() const override { return {}; }
    QList<Argument> arguments() const override;

protected:
    int run(const QCommandLineParser &parser, const QStringList &positional) override;
};

} // namespace veltrin::cli
