// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats.h"

#include <algorithm>

namespace veltrin::pictures {

namespace {

// A WebP file's first image chunk: lossless VP8L, lossy VP8, or none found.
enum class WebpImage : std::uint8_t { None, Lossless, Lossy };

WebpImage firstWebpImage(const QByteArray &file, std::uint64_t pos, std::uint64_t end)
{
    while (pos + 8 <= end) {
        const QByteArray chunk = file.sliced(static_cast<qsizetype>(pos), 4);
        const std::uint64_t size = u32At(file, pos + 4);
        if (chunk == "VP8L")
            return WebpImage::Lossless;
        if (chunk == "VP8 ")
            return WebpImage::Lossy;
        if (chunk == "ANMF") // an animation frame: its image follows a 16-byte header
            return firstWebpImage(file, pos + 8 + 16, std::min(end, pos + 8 + size));
        pos += 8 + size + (size & 1);
    }
    return WebpImage::None;
}

WebpImage webpImage(const QByteArray &file)
{
    if (file.size() < 12 || !file.startsWith("RIFF") || file.sliced(8, 4) != "WEBP")
        return WebpImage::None;
    return firstWebpImage(file, 12, sizeOf(file));
}

} // namespace

std::optional<OpenedPicture> decodeWebp(const QByteArray &bytes, const char *format)
{
    return readOpened(bytes, format, webpImage(bytes) != WebpImage::Lossless);
}

} // namespace veltrin::pictures
