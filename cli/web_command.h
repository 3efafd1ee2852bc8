// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "command.h"

namespace veltrin::cli {

// veltrin-cli web [--force] [--site] FILE: a copy of the browser page installed
// beside the program, for someone who has no Veltrin; with --site, the folder
// FILE receives the site to publish, installed in the page's folder as site/.
class WebCommand final : public Command
{
public:
    WebCommand();
    QString name() const override { return QStringLiteral("web"); }
    QString description() const override;
    QList<QCommandLineOption> options() const override { return {force_, site_}; }
    QList<Argument> arguments() const override;

protected:
    int run(const QCommandLineParser &parser, const QStringList &positional) override;

private:
    QCommandLineOption force_;
    QCommandLineOption site_;
};

// Where the page is installed: beside the program on Windows, else in the
// data folder of the prefix the program is in.
QString installedPagePath();

} // namespace veltrin::cli
