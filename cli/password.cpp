// SPDX-License-Identifier: GPL-3.0-or-later
#include "password.h"

#include "console.h"
#include "phrases.h"
#include "terminal.h"

#include "cipher_picture.h"

#include <QList>

namespace veltrin::cli {

namespace {

// A password file's first line is read from at most this much.
constexpr qint64 passwordFileLimit = 4096;

} // namespace

PasswordOptions::PasswordOptions()
    : password_({QStringLiteral("p"), QStringLiteral("password")}, say(phrase::passwordOption),
                QStringLiteral("PASSWORD")),
      file_(QStringLiteral("password-file"), say(phrase::passwordFileOption),
            QStringLiteral("FILE")),
      ask_(QStringLiteral("ask-password"), say(phrase::askPasswordOption))
{}

bool PasswordOptions::readsStandardInput(const QCommandLineParser &parser) const
{
    return parser.isSet(file_) && parser.value(file_) == u"-";
}

QString PasswordOptions::read(const QCommandLineParser &parser, bool confirm) const
{
    const int given =
        int(parser.isSet(password_)) + int(parser.isSet(file_)) + int(parser.isSet(ask_));
    if (given > 1)
        throw CliError(Usage, say(phrase::passwordOptions));

    QString password;
    if (parser.isSet(password_)) {
        password = parser.value(password_);
    } else if (parser.isSet(file_)) {
        const ReadBytes read = readBounded(parser.value(file_), passwordFileLimit);
        const qsizetype end = read.bytes.indexOf('\n');
        QByteArray line = end < 0 ? read.bytes : read.bytes.left(end);
        if (line.endsWith('\r'))
            line.chop(1);
        password = QString::fromUtf8(line);
    } else if (parser.isSet(ask_)) {
        const std::optional<QString> answer = askWithoutEcho(say(phrase::passwordPrompt));
        if (!answer)
            throw CliError(Usage, say(phrase::noTerminal));
        password = *answer;
        if (confirm && askWithoutEcho(say(phrase::passwordAgainPrompt)) != answer)
            throw CliError(Usage, say(phrase::passwordsDiffer));
    }
    checkPassword(password);
    return password;
}

void checkPassword(const QString &password)
{
    if (password.size() > longestPassword)
        throw CliError(Usage, say(phrase::passwordTooLong, {{u"count", password.size()}}));
    qsizetype position = 0;
    for (const char32_t ch : password.toUcs4()) {
        ++position;
        // Letters and digits are ASCII, so their code is their Unicode value.
        if (ch > 127 || !IsPasswordCode(static_cast<std::int32_t>(ch)))
            throw CliError(Usage,
                           say(phrase::passwordCharacter,
                               {{u"position", position}, {u"character", characterName(ch)}}));
    }
}

} // namespace veltrin::cli
