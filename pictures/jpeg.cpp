// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats.h"

namespace veltrin::pictures {

namespace {

// Whether the file runs to its end-of-image marker; Qt's reader fills in
// what is missing when it stops before. None for a file that is no JPEG.
std::optional<bool> jpegComplete(const QByteArray &file)
{
    const std::uint64_t n = sizeOf(file);
    if (n < 2 || u8At(file, 0) != 0xFF || u8At(file, 1) != 0xD8)
        return std::nullopt;
    std::uint64_t pos = 2;
    while (pos + 2 <= n) {
        if (u8At(file, pos) != 0xFF) {
            ++pos; // entropy-coded data of a scan
            continue;
        }
        const std::uint32_t marker = u8At(file, pos + 1);
        if (marker == 0xD9)
            return true;
        // Stuffed zeros, fill bytes and restart markers stand inside a scan.
        if (marker == 0x00 || marker == 0x01 || marker == 0xFF ||
            (marker >= 0xD0 && marker <= 0xD7)) {
            pos += marker == 0xFF ? 1 : 2;
            continue;
        }
        if (pos + 4 > n)
            return false;
        pos += 2 + ((u8At(file, pos + 2) << 8) | u8At(file, pos + 3));
    }
    return false;
}

} // namespace

std::optional<OpenedPicture> decodeJpeg(const QByteArray &bytes, const char *format)
{
    return readOpened(bytes, format, true, !jpegComplete(bytes).value_or(true));
}

} // namespace veltrin::pictures
