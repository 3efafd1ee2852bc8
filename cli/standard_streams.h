// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QStringView>

namespace veltrin::cli {

// A descriptor 0 to 2 that the caller left closed would go to the next file
// opened, Qt's own event descriptor among them, and our output with it: each
// gets the null device before anything else is opened.
// Output meant for a stream that was closed is lost: standardOutputWasClosed
// lets the writer fail instead of reporting success.
void openClosedStandardStreams();
bool standardOutputWasClosed();

// Makes the standard input and output pass bytes unchanged: on Windows their
// text mode turns "\n" into "\r\n" and stops reading at Ctrl+Z, which would
// corrupt a picture or a text read or written through a pipe.
void useBinaryStandardStreams();

enum class ConsoleWrite { NotConsole, Written, Failed };

// Writes UTF-8 text as characters when `fd` (1 or 2) is a console: a Windows
// console shows UTF-16 through WriteConsoleW, whatever its code page. A pipe
// or a file is NotConsole, for the caller to write the UTF-8 bytes to.
ConsoleWrite writeToConsole(int fd, const QByteArray &utf8);

// The length of the next console write of at most `most` units: never half a
// surrogate pair, which the console would show as two broken characters.
inline qsizetype consoleChunk(QStringView rest, qsizetype most)
{
    if (rest.size() <= most)
        return rest.size();
    return most > 1 && rest.at(most - 1).isHighSurrogate() ? most - 1 : most;
}

} // namespace veltrin::cli
