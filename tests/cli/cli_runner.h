// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QFile>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace veltrin::testing {

// What one run of the real veltrin-cli gave.
struct CliRun
{
    int status = -1;
    QByteArray out;
    QString err;
};

struct CliOptions
{
    QByteArray input;                // standard input
    QMap<QString, QString> language; // locale variables on top of LANG=C.UTF-8
    QString folder;                  // the working folder
    bool withoutTerminal = false;    // no controlling terminal (Windows: no console)
    int closedInChild = -1;          // a descriptor the program starts without (not on Windows)
};

// Runs veltrin-cli as a user would on a machine without a display: no
// platform plugin chosen, no X, English unless the test sets a locale.
// VELTRIN_TEST_CLI names another build's veltrin-cli to run instead, and
// VELTRIN_TEST_CLI_RUNNER a program to start it with (wine, for a Windows
// build's, so that its pictures meet this build's).
CliRun runCli(const QStringList &arguments, const CliOptions &options = {});

// The text as a user's file holds it: LF line breaks, in UTF-8.
QByteArray unixText(const QString &windowText);

// A test with a folder of its own for the files it hands the program.
class CliFolder : public ::testing::Test
{
protected:
    QString path(const QString &name) const { return dir.filePath(name); }
    void write(const QString &name, const QByteArray &bytes)
    {
        QFile file(path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    QByteArray read(const QString &name) const
    {
        QFile file(path(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    CliRun decrypt(const QString &picture, const QStringList &options = {})
    {
        return runCli(QStringList{QStringLiteral("decrypt"), path(picture)} + options);
    }

    QTemporaryDir dir;
};

} // namespace veltrin::testing
