// SPDX-License-Identifier: GPL-3.0-or-later
#include "terminal.h"

#include <windows.h>

namespace veltrin::cli {

namespace {

// The console input and its mode while echo is off, for the Ctrl+C handler.
HANDLE quietConsole = INVALID_HANDLE_VALUE;
DWORD savedMode = 0;

// An interrupted prompt must not leave the user's console without echo.
BOOL WINAPI restoreOnInterrupt(DWORD)
{
    if (quietConsole != INVALID_HANDLE_VALUE)
        SetConsoleMode(quietConsole, savedMode);
    return FALSE; // and let the default handler end the process
}

void writeText(HANDLE console, const QString &text)
{
    DWORD written = 0;
    WriteConsoleW(console, reinterpret_cast<const wchar_t *>(text.utf16()),
                  static_cast<DWORD>(text.size()), &written, nullptr);
}

} // namespace

std::optional<QString> askWithoutEcho(const QString &prompt)
{
    // The console itself, not standard input, which holds the text or the picture.
    const HANDLE input =
        CreateFileW(L"CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
    const HANDLE output =
        CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
    DWORD mode = 0;
    if (input == INVALID_HANDLE_VALUE || output == INVALID_HANDLE_VALUE ||
        !GetConsoleMode(input, &mode)) {
        if (input != INVALID_HANDLE_VALUE)
            CloseHandle(input);
        if (output != INVALID_HANDLE_VALUE)
            CloseHandle(output);
        return std::nullopt;
    }

    savedMode = mode;
    quietConsole = input;
    SetConsoleCtrlHandler(restoreOnInterrupt, TRUE);
    SetConsoleMode(input, (mode & ~static_cast<DWORD>(ENABLE_ECHO_INPUT)) | ENABLE_LINE_INPUT |
                              ENABLE_PROCESSED_INPUT);
    writeText(output, prompt);

    // A password is short; a line longer than this is cut here and refused by its length.
    QString line;
    wchar_t ch = 0;
    while (line.size() < 1024) {
        DWORD read = 0;
        if (!ReadConsoleW(input, &ch, 1, &read, nullptr) || read == 0 || ch == L'\n')
            break;
        line.append(QChar(static_cast<char16_t>(ch)));
    }

    SetConsoleMode(input, savedMode);
    quietConsole = INVALID_HANDLE_VALUE;
    SetConsoleCtrlHandler(restoreOnInterrupt, FALSE);
    writeText(output, QStringLiteral("\r\n")); // the Enter key was not echoed either
    CloseHandle(input);
    CloseHandle(output);
    if (line.endsWith(u'\r'))
        line.chop(1);
    return line;
}

} // namespace veltrin::cli
