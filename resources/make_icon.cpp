// SPDX-License-Identifier: GPL-3.0-or-later
// Draws the application icon and writes the Windows icon file and the PNGs of
// the freedesktop icon theme, and the page's web app icons. The outputs are committed so that a
// normal build never runs this; rebuild them with the veltrin_icon target after changing the
// drawing.
//
// The picture is laid out on a 16 x 16 grid, so every edge falls on a whole
// pixel at 16, 32, 48, 128 and 256 pixels and the small sizes stay sharp: a
// few light text lines above a row of coloured pixels, on a blue-to-teal tile.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QRect>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <utility>
#include <vector>

namespace {

constexpr int gridCells = 16;
// Rendered this many times larger without anti-aliasing, then averaged down:
// the rounded corners get soft edges and the output does not depend on the
// rasteriser's anti-aliasing code.
constexpr int supersample = 4;

const QString applicationId = QStringLiteral("io.github.veltrin.Veltrin");

struct Scheme
{
    QRgb top;
    QRgb bottom;
    QRgb text;
    std::array<QRgb, 8> cells;
    // Separates the cells where they would otherwise run together (one colour).
    bool cellGaps;
};

const Scheme fullColour{qRgb(0x1f, 0x4f, 0x8f),
                        qRgb(0x0f, 0x6f, 0x73),
                        qRgb(0xee, 0xf6, 0xff),
                        {qRgb(0x4f, 0xd1, 0xc5), qRgb(0x63, 0xb3, 0xed), qRgb(0x9d, 0xec, 0xe1),
                         qRgb(0x3a, 0x8e, 0xe0), qRgb(0x38, 0xb2, 0xac), qRgb(0x90, 0xcd, 0xf4),
                         qRgb(0x2c, 0xc4, 0xd8), qRgb(0xc4, 0xf1, 0xff)},
                        false};

// The classic 16-colour palette; black first so that masked pixels (index 0)
// leave the screen untouched.
const std::vector<QRgb> vgaPalette{
    qRgb(0x00, 0x00, 0x00), qRgb(0x80, 0x00, 0x00), qRgb(0x00, 0x80, 0x00), qRgb(0x80, 0x80, 0x00),
    qRgb(0x00, 0x00, 0x80), qRgb(0x80, 0x00, 0x80), qRgb(0x00, 0x80, 0x80), qRgb(0xc0, 0xc0, 0xc0),
    qRgb(0x80, 0x80, 0x80), qRgb(0xff, 0x00, 0x00), qRgb(0x00, 0xff, 0x00), qRgb(0xff, 0xff, 0x00),
    qRgb(0x00, 0x00, 0xff), qRgb(0xff, 0x00, 0xff), qRgb(0x00, 0xff, 0xff), qRgb(0xff, 0xff, 0xff)};

const QRgb navy = vgaPalette[4];
const QRgb teal = vgaPalette[6];
const QRgb silver = vgaPalette[7];
const QRgb aqua = vgaPalette[14];
const QRgb white = vgaPalette[15];
const QRgb black = vgaPalette[0];

// Drawn only in colours of the 16-colour palette, so it maps onto it exactly.
const Scheme sixteenColours{
    navy, navy, white, {aqua, teal, silver, aqua, teal, silver, aqua, teal}, false};

const std::vector<QRgb> monoPalette{black, white};
const Scheme twoColours{
    black, black, white, {white, white, white, white, white, white, white, white}, true};

int mix(int from, int to, int step, int steps)
{
    return from + ((to - from) * step + steps / 2) / steps;
}

// Straight (not premultiplied) ARGB; fully transparent outside the tile.
QImage render(int size, const Scheme &scheme)
{
    const int big = size * supersample;
    const int unit = size / gridCells * supersample;
    QImage canvas(big, big, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::transparent);
    {
        QPainter painter(&canvas);
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setPen(Qt::NoPen);

        QPainterPath tile;
        tile.addRoundedRect(QRectF(0, 0, big, big), 2.5 * unit, 2.5 * unit);
        painter.setClipPath(tile);
        // One colour per output row, so averaging down adds no in-between colours.
        for (int row = 0; row < size; ++row) {
            const int steps = std::max(size - 1, 1);
            const QColor colour(mix(qRed(scheme.top), qRed(scheme.bottom), row, steps),
                                mix(qGreen(scheme.top), qGreen(scheme.bottom), row, steps),
                                mix(qBlue(scheme.top), qBlue(scheme.bottom), row, steps));
            painter.fillRect(QRect(0, row * supersample, big, supersample), colour);
        }
        painter.setClipping(false);

        // Three lines of "text", the last one short like the end of a paragraph.
        const std::array<int, 3> lineLengths{10, 9, 6};
        for (std::size_t line = 0; line < lineLengths.size(); ++line) {
            const int y = 3 + 2 * static_cast<int>(line);
            painter.fillRect(QRect(3 * unit, y * unit, lineLengths[line] * unit, unit),
                             QColor(scheme.text));
        }

        // The text turned into pixels: five cells, then three.
        const int gap = scheme.cellGaps ? supersample : 0;
        for (std::size_t cell = 0; cell < scheme.cells.size(); ++cell) {
            const int column = static_cast<int>(cell < 5 ? cell : cell - 5);
            const int y = cell < 5 ? 9 : 11;
            painter.fillRect(
                QRect((3 + 2 * column) * unit, y * unit, 2 * unit - gap, 2 * unit - gap),
                QColor(scheme.cells[cell]));
        }
    }

    QImage out(size, size, QImage::Format_ARGB32);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            int red = 0, green = 0, blue = 0, alpha = 0;
            for (int dy = 0; dy < supersample; ++dy) {
                for (int dx = 0; dx < supersample; ++dx) {
                    const QRgb p = canvas.pixel(x * supersample + dx, y * supersample + dy);
                    red += qRed(p);
                    green += qGreen(p);
                    blue += qBlue(p);
                    alpha += qAlpha(p);
                }
            }
            constexpr int samples = supersample * supersample;
            if (alpha == 0) {
                out.setPixel(x, y, qRgba(0, 0, 0, 0));
                continue;
            }
            const auto unpremultiply = [alpha](int sum) { return (sum * 255 + alpha / 2) / alpha; };
            out.setPixel(x, y,
                         qRgba(unpremultiply(red), unpremultiply(green), unpremultiply(blue),
                               (alpha + samples / 2) / samples));
        }
    }
    return out;
}

// Pixels the AND mask hides; the low colour depths have no other transparency.
bool masked(QRgb pixel)
{
    return qAlpha(pixel) < 128;
}

int nearest(const std::vector<QRgb> &palette, QRgb colour)
{
    int best = 0;
    int bestDistance = INT32_MAX;
    for (std::size_t i = 0; i < palette.size(); ++i) {
        const int dr = qRed(palette[i]) - qRed(colour);
        const int dg = qGreen(palette[i]) - qGreen(colour);
        const int db = qBlue(palette[i]) - qBlue(colour);
        const int distance = dr * dr + dg * dg + db * db;
        if (distance < bestDistance) {
            best = static_cast<int>(i);
            bestDistance = distance;
        }
    }
    return best;
}

// The image's own colours, black first; empty if there are more than 256.
std::vector<QRgb> exactPalette(const QImage &image)
{
    std::vector<QRgb> palette{black};
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            if (masked(pixel)) {
                continue;
            }
            const QRgb colour = qRgb(qRed(pixel), qGreen(pixel), qBlue(pixel));
            if (std::find(palette.begin(), palette.end(), colour) == palette.end()) {
                palette.push_back(colour);
            }
        }
    }
    if (palette.size() > 256) {
        return {};
    }
    palette.resize(256, black);
    return palette;
}

void putU8(QByteArray &out, int value)
{
    out.append(static_cast<char>(value & 0xff));
}

void putU16(QByteArray &out, int value)
{
    putU8(out, value);
    putU8(out, value >> 8);
}

void putU32(QByteArray &out, std::uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8) {
        putU8(out, static_cast<int>(value >> shift));
    }
}

int rowBytes(int width, int bitCount)
{
    return (width * bitCount + 31) / 32 * 4;
}

struct Entry
{
    QImage image;
    int bitCount;
    std::vector<QRgb> palette; // empty for 32 bits
};

// A BITMAPINFOHEADER, the palette, the colour (XOR) bitmap and the AND mask,
// both bottom-up; the header's height covers the two bitmaps together.
QByteArray bitmap(const Entry &entry)
{
    const QImage &image = entry.image;
    const int width = image.width();
    const int height = image.height();
    const int colourStride = rowBytes(width, entry.bitCount);
    const int maskStride = rowBytes(width, 1);

    QByteArray out;
    putU32(out, 40);
    putU32(out, static_cast<std::uint32_t>(width));
    putU32(out, static_cast<std::uint32_t>(2 * height));
    putU16(out, 1);
    putU16(out, entry.bitCount);
    putU32(out, 0); // BI_RGB
    putU32(out, static_cast<std::uint32_t>((colourStride + maskStride) * height));
    putU32(out, 0);
    putU32(out, 0);
    putU32(out, static_cast<std::uint32_t>(entry.palette.size()));
    putU32(out, 0);
    for (const QRgb colour : entry.palette) {
        putU8(out, qBlue(colour));
        putU8(out, qGreen(colour));
        putU8(out, qRed(colour));
        putU8(out, 0);
    }

    for (int y = height - 1; y >= 0; --y) {
        QByteArray row(colourStride, '\0');
        for (int x = 0; x < width; ++x) {
            const QRgb pixel = image.pixel(x, y);
            if (entry.bitCount == 32) {
                const bool clear = qAlpha(pixel) == 0;
                row[4 * x] = static_cast<char>(clear ? 0 : qBlue(pixel));
                row[4 * x + 1] = static_cast<char>(clear ? 0 : qGreen(pixel));
                row[4 * x + 2] = static_cast<char>(clear ? 0 : qRed(pixel));
                row[4 * x + 3] = static_cast<char>(qAlpha(pixel));
                continue;
            }
            // Index 0 is black: a masked pixel then changes nothing on screen.
            const int index = masked(pixel) ? 0 : nearest(entry.palette, pixel);
            const int perByte = 8 / entry.bitCount;
            const int shift = (perByte - 1 - x % perByte) * entry.bitCount;
            row[x / perByte] = static_cast<char>(row[x / perByte] | (index << shift));
        }
        out.append(row);
    }

    for (int y = height - 1; y >= 0; --y) {
        QByteArray row(maskStride, '\0');
        for (int x = 0; x < width; ++x) {
            if (masked(image.pixel(x, y))) {
                row[x / 8] = static_cast<char>(row[x / 8] | (0x80 >> (x % 8)));
            }
        }
        out.append(row);
    }
    return out;
}

QByteArray iconFile(const std::vector<Entry> &entries)
{
    constexpr int directorySize = 6;
    constexpr int entrySize = 16;
    std::vector<QByteArray> bitmaps;
    for (const Entry &entry : entries) {
        bitmaps.push_back(bitmap(entry));
    }

    QByteArray out;
    putU16(out, 0);
    putU16(out, 1); // icon, not cursor
    putU16(out, static_cast<int>(entries.size()));
    auto offset = static_cast<std::uint32_t>(directorySize + entrySize * entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const Entry &entry = entries[i];
        putU8(out, entry.image.width() % 256); // 0 stands for 256
        putU8(out, entry.image.height() % 256);
        putU8(out, entry.bitCount < 8 ? 1 << entry.bitCount : 0);
        putU8(out, 0);
        putU16(out, 1);
        putU16(out, entry.bitCount);
        putU32(out, static_cast<std::uint32_t>(bitmaps[i].size()));
        putU32(out, offset);
        offset += static_cast<std::uint32_t>(bitmaps[i].size());
    }
    for (const QByteArray &b : bitmaps) {
        out.append(b);
    }
    return out;
}

bool writeFile(const QString &path, const QByteArray &data)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(data) != data.size()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <resources folder>\n", argv[0]);
        return 2;
    }
    const QDir outDir(QString::fromLocal8Bit(argv[1]));

    std::vector<Entry> entries;
    entries.push_back({render(32, twoColours), 1, monoPalette});
    entries.push_back({render(48, sixteenColours), 4, vgaPalette});
    for (const int size : {48, 32, 16}) {
        QImage image = render(size, fullColour);
        std::vector<QRgb> palette = exactPalette(image);
        if (palette.empty()) {
            std::fprintf(stderr, "the %dx%d picture has more than 256 colours\n", size, size);
            return 1;
        }
        entries.push_back({std::move(image), 8, std::move(palette)});
    }
    for (const int size : {128, 48, 32, 16}) {
        entries.push_back({render(size, fullColour), 32, {}});
    }
    if (!writeFile(outDir.filePath(QStringLiteral("veltrin.ico")), iconFile(entries))) {
        return 1;
    }

    for (const int size : {16, 32, 48, 128, 256}) {
        const QString folder = QStringLiteral("icons/%1x%1").arg(size);
        const QString path =
            outDir.filePath(folder + u'/' + applicationId + QStringLiteral(".png"));
        if (!outDir.mkpath(folder) || !render(size, fullColour).save(path, "PNG")) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    // The sizes a web app manifest asks for, for the page's site.
    for (const int size : {192, 512}) {
        const QString path = outDir.filePath(QStringLiteral("icons/web/veltrin-%1.png").arg(size));
        if (!outDir.mkpath(QStringLiteral("icons/web")) ||
            !render(size, fullColour).save(path, "PNG")) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    return 0;
}
