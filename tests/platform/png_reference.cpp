// SPDX-License-Identifier: GPL-3.0-or-later
#include "png_reference.h"

#include <QtEndian>

#include <cstdlib>

namespace veltrin::testing {

namespace {

std::uint32_t be32(const QByteArray &b, qsizetype at)
{
    return qFromBigEndian<std::uint32_t>(b.constData() + at);
}

std::uint32_t crc32(const QByteArray &bytes)
{
    std::uint32_t crc = 0xFFFFFFFFu;
    for (const char byte : bytes) {
        crc ^= std::uint8_t(byte);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

int paeth(int a, int b, int c)
{
    const int p = a + b - c;
    const int pa = std::abs(p - a);
    const int pb = std::abs(p - b);
    const int pc = std::abs(p - c);
    return pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
}

// Undoes the per-row filters of 8-bit RGB rows.
std::optional<QImage> unfilterRgb(const QByteArray &raw, int width, int height)
{
    const qsizetype stride = qsizetype(width) * 3;
    if (raw.size() != (stride + 1) * height)
        return std::nullopt;
    QImage image(width, height, QImage::Format_RGB32);
    QByteArray previous(stride, '\0');
    QByteArray row(stride, '\0');
    for (int y = 0; y < height; ++y) {
        const char *line = raw.constData() + (stride + 1) * y;
        const int filter = std::uint8_t(line[0]);
        for (qsizetype i = 0; i < stride; ++i) {
            const int x = std::uint8_t(line[1 + i]);
            const int a = i >= 3 ? std::uint8_t(row[i - 3]) : 0;
            const int b = std::uint8_t(previous[i]);
            const int c = i >= 3 ? std::uint8_t(previous[i - 3]) : 0;
            int value = 0;
            switch (filter) {
            case 0:
                value = x;
                break;
            case 1:
                value = x + a;
                break;
            case 2:
                value = x + b;
                break;
            case 3:
                value = x + (a + b) / 2;
                break;
            case 4:
                value = x + paeth(a, b, c);
                break;
            default:
                return std::nullopt;
            }
            row[i] = char(value & 0xFF);
        }
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y,
                           qRgb(std::uint8_t(row[3 * x]), std::uint8_t(row[3 * x + 1]),
                                std::uint8_t(row[3 * x + 2])));
        previous = row;
    }
    return image;
}

} // namespace

std::optional<ReferencePng> referenceReadPng(const QByteArray &file)
{
    if (!file.startsWith("\x89PNG\r\n\x1A\n"))
        return std::nullopt;
    ReferencePng png;
    QByteArray header;
    QByteArray compressed;
    for (qsizetype at = 8; at < file.size();) {
        if (file.size() - at < 12)
            return std::nullopt;
        const qsizetype length = be32(file, at);
        if (length > file.size() - at - 12)
            return std::nullopt;
        const QByteArray typeAndData = file.mid(at + 4, 4 + length);
        if (crc32(typeAndData) != be32(file, at + 8 + length))
            return std::nullopt;
        const QByteArray type = typeAndData.first(4);
        png.chunks.append(type);
        if (type == "IHDR")
            header = typeAndData.sliced(4);
        else if (type == "IDAT")
            compressed += typeAndData.sliced(4);
        at += 12 + length;
    }
    if (png.chunks.value(0) != "IHDR" || header.size() != 13 || png.chunks.last() != "IEND")
        return std::nullopt;
    const int width = int(be32(header, 0));
    const int height = int(be32(header, 4));
    png.bitDepth = std::uint8_t(header[8]);
    png.colourType = std::uint8_t(header[9]);
    png.interlace = std::uint8_t(header[12]);
    if (png.bitDepth == 8 && png.colourType == 2 && png.interlace == 0 && width > 0 && height > 0) {
        // qUncompress wants the inflated size in front of the zlib stream.
        const auto inflated = std::uint32_t((qsizetype(width) * 3 + 1) * height);
        QByteArray sized(4, '\0');
        qToBigEndian(inflated, sized.data());
        png.image = unfilterRgb(qUncompress(sized + compressed), width, height);
    }
    return png;
}

} // namespace veltrin::testing
