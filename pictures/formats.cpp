// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats.h"

#include <QBuffer>
#include <QImageReader>

#include <algorithm>
#include <cstring>

namespace veltrin {

// Declared with the loader's interface; the formats' files use both too.
qint64 pictureByteLimit()
{
    // Qt's bound on what a reader may allocate for an image, or ours when Qt
    // has none.
    const qint64 megabytes = QImageReader::allocationLimit();
    return (megabytes > 0 ? megabytes : 256) * 1024 * 1024;
}

bool samePixels(const QImage &a, const QImage &b)
{
    if (a.size() != b.size())
        return false;
    const QImage left = a.convertToFormat(QImage::Format_RGB32);
    const QImage right = b.convertToFormat(QImage::Format_RGB32);
    const auto rowBytes = static_cast<std::size_t>(left.width()) * sizeof(QRgb);
    for (int y = 0; y < left.height(); ++y) {
        const auto *l = reinterpret_cast<const QRgb *>(left.constScanLine(y));
        const auto *r = reinterpret_cast<const QRgb *>(right.constScanLine(y));
        if (std::memcmp(l, r, rowBytes) == 0)
            continue;
        // The unused top byte may differ where the colours agree.
        for (int x = 0; x < left.width(); ++x)
            if ((l[x] ^ r[x]) & 0xFFFFFF)
                return false;
    }
    return true;
}

} // namespace veltrin

namespace veltrin::pictures {

namespace {

bool indicesInsidePalette(const QImage &image)
{
    const int colours = image.colorCount();
    if (colours == 0)
        return true;
    for (int y = 0; y < image.height(); ++y) {
        if (image.format() == QImage::Format_Indexed8) {
            const uchar *line = image.constScanLine(y);
            if (std::any_of(line, line + image.width(),
                            [colours](uchar i) { return i >= colours; }))
                return false;
        } else {
            for (int x = 0; x < image.width(); ++x)
                if (image.pixelIndex(x, y) >= colours)
                    return false;
        }
    }
    return true;
}

} // namespace

bool readOnto(const QByteArray &bytes, const char *format, QImage &image)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format);
    reader.setDecideFormatFromContent(false);
    reader.setAutoTransform(false);
    return reader.read(&image);
}

QImage readPicture(const QByteArray &bytes, const char *format)
{
    QImage image;
    if (!readOnto(bytes, format, image) || !indicesInsidePalette(image))
        return {};
    if (qint64(image.width()) * image.height() * 4 > pictureByteLimit())
        return {};
    return image;
}

std::optional<OpenedPicture> readOpened(const QByteArray &bytes, const char *format, bool lossy,
                                        bool incomplete)
{
    QImage image = readPicture(bytes, format);
    if (image.isNull())
        return std::nullopt;
    return OpenedPicture{std::move(image), format, lossy, incomplete};
}

std::optional<OpenedPicture> decodePlain(const QByteArray &bytes, const char *format)
{
    return readOpened(bytes, format);
}

} // namespace veltrin::pictures
