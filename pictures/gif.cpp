// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats.h"

namespace veltrin::pictures {

namespace {

// Whether the file runs to the end of its first image's data; Qt's reader
// fills in what is missing when it stops before. None for a file that is no
// GIF.
std::optional<bool> gifComplete(const QByteArray &file)
{
    const std::uint64_t n = sizeOf(file);
    if (n < 13 || !(file.startsWith("GIF87a") || file.startsWith("GIF89a")))
        return std::nullopt;
    const auto colourTable = [&](std::uint64_t flagsAt) -> std::uint64_t {
        const std::uint32_t flags = u8At(file, flagsAt);
        return flags & 0x80 ? 3ull << ((flags & 7) + 1) : 0;
    };
    // Sub-blocks up to their zero terminator; false when the file ends first.
    const auto skipSubBlocks = [&](std::uint64_t &pos) {
        while (pos < n) {
            const std::uint32_t size = u8At(file, pos);
            pos += 1 + size;
            if (size == 0)
                return pos <= n;
        }
        return false;
    };
    std::uint64_t pos = 13 + colourTable(10);
    while (pos < n) {
        const std::uint32_t block = u8At(file, pos);
        if (block == 0x21) { // an extension: its label, then sub-blocks
            pos += 2;
            if (!skipSubBlocks(pos))
                return false;
        } else if (block == 0x2C) { // the first image: descriptor, colours, data
            if (pos + 10 > n)
                return false;
            pos += 10 + colourTable(pos + 9) + 1;
            return skipSubBlocks(pos);
        } else {
            return false;
        }
    }
    return false;
}

} // namespace

std::optional<OpenedPicture> decodeGif(const QByteArray &bytes, const char *format)
{
    return readOpened(bytes, format, false, !gifComplete(bytes).value_or(true));
}

} // namespace veltrin::pictures
