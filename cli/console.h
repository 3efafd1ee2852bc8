// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

#include <exception>

namespace veltrin::cli {

enum ExitStatus : int {
    Success = 0,
    NotDecrypted = 1, // the picture or the password does not decrypt: a run-time error
    Usage = 2,        // wrong usage, or a file that cannot be read as needed or written
};

// Stops a command with its exit status and one line for standard error.
class CliError : public std::exception
{
public:
    CliError(ExitStatus status, QString message) : status_(status), message_(std::move(message)) {}

    ExitStatus status() const noexcept { return status_; }
    const QString &message() const noexcept { return message_; }
    const char *what() const noexcept override { return "veltrin::cli::CliError"; }

private:
    ExitStatus status_;
    QString message_;
};

// "veltrin-cli: <message>" on standard error.
void printMessage(const QString &message);

// Throws CliError when standard output cannot take the bytes.
void writeStandardOutput(const QByteArray &bytes);

// What reading a file gave: at most `limit` bytes; `complete` is false when
// the file holds more.
struct ReadBytes
{
    QByteArray bytes;
    bool complete = true;
};

// Reads a file, or standard input for "-", without ever holding more than
// limit + 1 bytes; throws CliError(Usage) when the file cannot be read.
ReadBytes readBounded(const QString &path, qint64 limit);

// A character as messages name it: "x" (U+0078), or only its number when it
// does not print.
QString characterName(char32_t ch);

// How a path is named in messages: "-" is standard input.
QString inputName(const QString &path);

} // namespace veltrin::cli
