// SPDX-License-Identifier: GPL-3.0-or-later
#include "terminal.h"

#include <QByteArray>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace veltrin::cli {

namespace {

// The terminal and its settings while echo is off, for the signal handler.
int quietTerminal = -1;
termios savedSettings{};

constexpr int stopSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

// An interrupted prompt must not leave the user's terminal without echo.
void restoreAndRaise(int signal)
{
    if (quietTerminal >= 0)
        tcsetattr(quietTerminal, TCSAFLUSH, &savedSettings);
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

void writeAll(int fd, const QByteArray &bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n =
            ::write(fd, bytes.constData() + done, static_cast<std::size_t>(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;
        done += n;
    }
}

} // namespace

std::optional<QString> askWithoutEcho(const QString &prompt)
{
    const int fd = ::open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    termios settings{};
    if (tcgetattr(fd, &settings) != 0) {
        ::close(fd);
        return std::nullopt;
    }

    savedSettings = settings;
    quietTerminal = fd;
    struct sigaction previous[std::size(stopSignals)];
    struct sigaction restore
    {};
    restore.sa_handler = restoreAndRaise;
    sigemptyset(&restore.sa_mask);
    for (std::size_t i = 0; i < std::size(stopSignals); ++i)
        sigaction(stopSignals[i], &restore, &previous[i]);

    settings.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    settings.c_lflag |= ECHONL; // the Enter key still moves to the next line
    tcsetattr(fd, TCSAFLUSH, &settings);
    writeAll(fd, prompt.toUtf8());

    // A password is short; a line longer than this is cut here and refused by its length.
    QByteArray line;
    char ch = 0;
    while (line.size() < 1024) {
        const ssize_t n = ::read(fd, &ch, 1);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0 || ch == '\n')
            break;
        line.append(ch);
    }

    tcsetattr(fd, TCSAFLUSH, &savedSettings);
    quietTerminal = -1;
    for (std::size_t i = 0; i < std::size(stopSignals); ++i)
        sigaction(stopSignals[i], &previous[i], nullptr);
    ::close(fd);
    if (line.endsWith('\r'))
        line.chop(1);
    return QString::fromUtf8(line);
}

} // namespace veltrin::cli
