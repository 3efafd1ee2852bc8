// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats.h"

#include <algorithm>

namespace veltrin::pictures {

namespace {

struct Tga
{
    std::uint64_t pixelStart = 0; // after the header, identifier and colour map
    std::uint64_t pixelBytes = 0;
    std::uint64_t footerStart = 0;
};

// A true-colour, uncompressed TGA 2.0 file, the only kind Qt reads; none for
// any other.
std::optional<Tga> measureTga(const QByteArray &file)
{
    constexpr std::uint64_t header = 18;
    constexpr std::uint64_t footer = 26;
    const std::uint64_t n = sizeOf(file);
    if (n < header + footer || !file.sliced(file.size() - 18).startsWith("TRUEVISION-XFILE"))
        return std::nullopt;
    const std::uint32_t bits = u8At(file, 16);
    if (u8At(file, 2) != 2 || (bits != 16 && bits != 24 && bits != 32))
        return std::nullopt;
    Tga tga;
    tga.pixelStart = header + u8At(file, 0);
    if (u8At(file, 1) == 1) {
        std::uint32_t entryBits = u8At(file, 7);
        if (entryBits == 15)
            entryBits = 16;
        if (entryBits != 16 && entryBits != 24 && entryBits != 32)
            return std::nullopt;
        tga.pixelStart += u16At(file, 5) * (entryBits / 8);
    }
    tga.pixelBytes = std::uint64_t(u16At(file, 12)) * u16At(file, 14) * (bits / 8);
    tga.footerStart = n - footer;
    return tga;
}

// A TGA opens when its pixels lie before the footer. Qt's reader skips the
// identifier and the colour map twice, so it is handed the pixels right
// after the header.
std::optional<QByteArray> tgaForQt(const QByteArray &bytes)
{
    const auto tga = measureTga(bytes);
    if (!tga || tga->pixelBytes == 0 || tga->pixelStart + tga->pixelBytes > tga->footerStart)
        return std::nullopt;
    QByteArray plain = bytes.first(18);
    plain[0] = 0; // no identifier
    plain[1] = 0; // no colour map
    std::fill(plain.begin() + 3, plain.begin() + 8, '\0');
    plain += bytes.sliced(static_cast<qsizetype>(tga->pixelStart));
    return plain;
}

} // namespace

std::optional<OpenedPicture> decodeTga(const QByteArray &bytes, const char *format)
{
    const std::optional<QByteArray> plain = tgaForQt(bytes);
    if (!plain)
        return std::nullopt;
    return readOpened(*plain, format);
}

} // namespace veltrin::pictures
