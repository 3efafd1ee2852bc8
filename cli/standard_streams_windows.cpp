// SPDX-License-Identifier: GPL-3.0-or-later
#include "standard_streams.h"

#include <QString>
#include <QStringDecoder>

#include <fcntl.h>
#include <io.h>
#include <windows.h>

namespace veltrin::cli {

namespace {
bool outputClosed = false;
}

void openClosedStandardStreams()
{
    for (const int fd : {0, 1, 2}) {
        // -2: the descriptor has no stream, as in a program started without a console.
        const intptr_t handle = _get_osfhandle(fd);
        if (handle != -1 && handle != -2)
            continue;
        if (fd == 1)
            outputClosed = true;
        const int null = _open("NUL", fd == 0 ? _O_RDONLY : _O_WRONLY);
        if (null >= 0 && null != fd) {
            _dup2(null, fd);
            _close(null);
        }
    }
}

bool standardOutputWasClosed()
{
    return outputClosed;
}

void useBinaryStandardStreams()
{
    _setmode(0, _O_BINARY);
    _setmode(1, _O_BINARY);
    _setmode(2, _O_BINARY);
}

ConsoleWrite writeToConsole(int fd, const QByteArray &utf8)
{
    const HANDLE handle = GetStdHandle(fd == 2 ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
    DWORD mode = 0;
    if (handle == INVALID_HANDLE_VALUE || handle == nullptr || !GetConsoleMode(handle, &mode))
        return ConsoleWrite::NotConsole;
    // fromUtf8 would drop a decrypted text's leading U+FEFF as a byte-order mark.
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
    const QString text = decoder(utf8);
    const auto *units = reinterpret_cast<const wchar_t *>(text.utf16());
    qsizetype done = 0;
    while (done < text.size()) {
        // Consoles refuse very long writes; a few thousand units at a time.
        const auto chunk = static_cast<DWORD>(consoleChunk(QStringView(text).sliced(done), 8192));
        DWORD written = 0;
        if (!WriteConsoleW(handle, units + done, chunk, &written, nullptr) || written == 0)
            return ConsoleWrite::Failed;
        done += written;
    }
    return ConsoleWrite::Written;
}

} // namespace veltrin::cli
