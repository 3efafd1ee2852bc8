// SPDX-License-Identifier: GPL-3.0-or-later
#include "console.h"

#include "phrases.h"
#include "standard_streams.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <unistd.h>

namespace veltrin::cli {

void printMessage(const QString &message)
{
    const QByteArray line = QStringLiteral("veltrin-cli: %1\n").arg(message).toUtf8();
    if (writeToConsole(2, line) != ConsoleWrite::NotConsole)
        return;
    std::fwrite(line.constData(), 1, static_cast<std::size_t>(line.size()), stderr);
    std::fflush(stderr);
}

void writeStandardOutput(const QByteArray &bytes)
{
    if (standardOutputWasClosed())
        throw CliError(Usage, say(phrase::cannotWrite, {{u"path", say(phrase::standardOutput)},
                                                        {u"reason", say(phrase::streamClosed)}}));
    switch (writeToConsole(STDOUT_FILENO, bytes)) {
    case ConsoleWrite::Written:
        return;
    case ConsoleWrite::Failed:
        throw CliError(Usage, say(phrase::cannotWrite, {{u"path", say(phrase::standardOutput)},
                                                        {u"reason", QString()}}));
    case ConsoleWrite::NotConsole:
        break;
    }
    QFile out;
    if (!out.open(STDOUT_FILENO, QIODevice::WriteOnly | QIODevice::Unbuffered) ||
        out.write(bytes) != bytes.size() || !out.flush())
        throw CliError(Usage, say(phrase::cannotWrite, {{u"path", say(phrase::standardOutput)},
                                                        {u"reason", out.errorString()}}));
}

ReadBytes readBounded(const QString &path, qint64 limit)
{
    QFile file;
    const bool standardInput = path == u"-";
    if (!standardInput && QFileInfo(path).isDir())
        throw CliError(Usage, say(phrase::cannotRead, {{u"path", inputName(path)},
                                                       {u"reason", say(phrase::isFolder)}}));
    const bool opened = standardInput ? file.open(STDIN_FILENO, QIODevice::ReadOnly)
                                      : (file.setFileName(path), file.open(QIODevice::ReadOnly));
    if (!opened)
        throw CliError(Usage, say(phrase::cannotRead,
                                  {{u"path", inputName(path)}, {u"reason", file.errorString()}}));

    ReadBytes read;
    while (read.bytes.size() <= limit) {
        const qsizetype before = read.bytes.size();
        const qsizetype chunk = std::min<qint64>(limit + 1 - before, 1 << 16);
        read.bytes.resize(before + chunk);
        const qint64 got = file.read(read.bytes.data() + before, chunk);
        read.bytes.resize(before + std::max<qint64>(got, 0));
        if (got < 0)
            throw CliError(Usage, say(phrase::cannotRead, {{u"path", inputName(path)},
                                                           {u"reason", file.errorString()}}));
        if (got == 0)
            break;
    }
    if (read.bytes.size() > limit) {
        read.bytes.truncate(limit);
        read.complete = false;
    }
    return read;
}

QString characterName(char32_t ch)
{
    const QString number = QStringLiteral("U+%1").arg(ch, 4, 16, QChar(u'0')).toUpper();
    if (!QChar::isPrint(ch))
        return number;
    return QStringLiteral("\"%1\" (%2)").arg(QString::fromUcs4(&ch, 1), number);
}

QString inputName(const QString &path)
{
    return path == u"-" ? say(phrase::standardInput) : QDir::toNativeSeparators(path);
}

} // namespace veltrin::cli
