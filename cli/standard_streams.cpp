// SPDX-License-Identifier: GPL-3.0-or-later
#include "standard_streams.h"

namespace veltrin::cli {

// A terminal here takes UTF-8 bytes, and the streams have no text mode.
void useBinaryStandardStreams() {}

ConsoleWrite writeToConsole(int, const QByteArray &)
{
    return ConsoleWrite::NotConsole;
}

} // namespace veltrin::cli
