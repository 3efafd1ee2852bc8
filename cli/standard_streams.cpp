// SPDX-License-Identifier: GPL-3.0-or-later
#include "standard_streams.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace veltrin::cli {

namespace {
bool outputClosed = false;
}

void openClosedStandardStreams()
{
    for (const int fd : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) {
        if (::fcntl(fd, F_GETFD) == -1 && errno == EBADF) {
            ::open("/dev/null", fd == STDIN_FILENO ? O_RDONLY : O_WRONLY);
            if (fd == STDOUT_FILENO)
                outputClosed = true;
        }
    }
}

bool standardOutputWasClosed()
{
    return outputClosed;
}

// A terminal here takes UTF-8 bytes, and the streams have no text mode.
void useBinaryStandardStreams() {}

ConsoleWrite writeToConsole(int, const QByteArray &)
{
    return ConsoleWrite::NotConsole;
}

} // namespace veltrin::cli
