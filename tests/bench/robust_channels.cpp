// SPDX-License-Identifier: GPL-3.0-or-later
// Sends robust pictures of Chinese prose through what chat programs do to a
// picture and prints, for each length and channel, how many came back.
// Usage: veltrin_bench_robust_channels [texts per length] [corpus files...]
#include "robust_picture.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFile>
#include <QImage>
#include <QRegularExpression>
#include <QStringList>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <random>
#include <string>

using namespace veltrin;

namespace {

Picture pictureOf(const QImage &source)
{
    const QImage image = source.convertToFormat(QImage::Format_RGB888);
    Picture picture(image.width(), image.height());
    for (int y = 0; y < image.height(); ++y) {
        const auto row = picture.row(y);
        std::copy_n(image.constScanLine(y), row.size(), row.begin());
    }
    return picture;
}

QImage imageOf(const Picture &picture)
{
    QImage image(picture.width, picture.height, QImage::Format_RGB888);
    for (int y = 0; y < picture.height; ++y) {
        const auto row = picture.row(y);
        std::copy(row.begin(), row.end(), image.scanLine(y));
    }
    return image;
}

QImage resaved(const QImage &image, const char *format, int quality)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format, quality);
    return QImage::fromData(bytes, format);
}

QImage jpeg(const QImage &image, int quality)
{
    return resaved(image, "JPEG", quality);
}

QImage longSide(const QImage &image, int side, Qt::TransformationMode mode)
{
    return image.width() >= image.height() ? image.scaledToWidth(side, mode)
                                           : image.scaledToHeight(side, mode);
}

// Han characters and Chinese punctuation of the corpus, colour codes and
// Latin lines gone; a fixed text of random Han characters without one.
std::u16string corpus(const QStringList &files)
{
    QString text;
    const QRegularExpression colour(QStringLiteral("\x1b\\[[0-9;]*[A-Za-z]"));
    const QRegularExpression han(
        QStringLiteral("[\\x{3000}-\\x{303F}\\x{4E00}-\\x{9FFF}\\x{FF00}-\\x{FFEF}]"));
    for (const QString &name : files) {
        QFile file(name);
        if (!file.open(QIODevice::ReadOnly))
            continue;
        for (QString line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'))) {
            line.remove(colour);
            for (const QChar ch : line)
                if (han.match(QString(ch)).hasMatch())
                    text.append(ch);
        }
    }
    if (text.size() < 13000) {
        std::mt19937 random(1);
        while (text.size() < 13000)
            text.append(QChar(char16_t(0x4E00 + random() % 0x5000)));
    }
    return text.toStdU16String();
}

struct Channel
{
    const char *name;
    std::function<QImage(const QImage &)> send;
};

double milliseconds(std::chrono::steady_clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    QStringList arguments = application.arguments().mid(1);
    const int perLength = arguments.isEmpty() ? 20 : arguments.takeFirst().toInt();
    if (arguments.isEmpty())
        for (const char *name : {"chinese", "tang300", "song100"})
            arguments << QStringLiteral("/usr/share/games/fortunes/") + QLatin1String(name);
    const std::u16string text = corpus(arguments);
    std::printf("corpus: %zu characters\n", text.size());

    const Channel channels[] = {
        {"PNG re-save", [](const QImage &i) { return resaved(i, "PNG", -1); }},
        {"WebP q50", [](const QImage &i) { return resaved(i, "WEBP", 50); }},
        {"JPEG q50", [](const QImage &i) { return jpeg(i, 50); }},
        {"JPEG q75, q50", [](const QImage &i) { return jpeg(jpeg(i, 75), 50); }},
        {"800 smooth, q50",
         [](const QImage &i) { return jpeg(longSide(i, 800, Qt::SmoothTransformation), 50); }},
        {"800 fast, q50",
         [](const QImage &i) { return jpeg(longSide(i, 800, Qt::FastTransformation), 50); }},
        {"800 smooth, q75, q50",
         [](const QImage &i) {
             return jpeg(jpeg(longSide(i, 800, Qt::SmoothTransformation), 75), 50);
         }},
        {"half smooth, q50",
         [](const QImage &i) {
             return jpeg(longSide(i, std::max(i.width(), i.height()) / 2, Qt::SmoothTransformation),
                         50);
         }},
    };

    std::printf("%-8s %-10s", "chars", "module px");
    for (const Channel &c : channels)
        std::printf(" | %s", c.name);
    std::printf("\n");
    for (std::size_t length : {500, 1000, 3000, 6000, 12000}) {
        std::vector<int> decoded(std::size(channels), 0);
        int smallest = 8, largest = 0;
        for (int t = 0; t < perLength; ++t) {
            const std::size_t start =
                (std::size_t(t) * 7919 * length / 20) % (text.size() - length);
            const std::u16string piece = text.substr(start, length);
            const robustPicture::Encoded encoded = robustPicture::encode(piece);
            if (encoded.failure != robustPicture::Failure::None) {
                std::printf("%zu: refused, %zu fit\n", length, encoded.fits);
                break;
            }
            const int module =
                encoded.image.width / robustPicture::detect(encoded.image).grid->modules;
            smallest = std::min(smallest, module);
            largest = std::max(largest, module);
            const QImage image = imageOf(encoded.image);
            for (std::size_t c = 0; c < std::size(channels); ++c) {
                const Picture received = pictureOf(channels[c].send(image));
                const robustPicture::Decoded result = robustPicture::decode(received);
                decoded[c] +=
                    result.failure == robustPicture::Failure::None && result.text == piece;
            }
        }
        std::printf(
            "%-8zu %-10s", length,
            (std::to_string(smallest) + (smallest == largest ? "" : "-" + std::to_string(largest)))
                .c_str());
        for (std::size_t c = 0; c < std::size(channels); ++c)
            std::printf(" | %d/%d", decoded[c], perLength);
        std::printf("\n");
    }

    // The machine is shared: the median of several runs, and the slowest.
    const std::u16string longest = text.substr(0, 12000);
    const Picture received = pictureOf(jpeg(imageOf(robustPicture::encode(longest).image), 50));
    std::vector<double> times;
    for (int run = 0; run < 9; ++run) {
        const auto begin = std::chrono::steady_clock::now();
        const bool ok = robustPicture::decode(received).text == longest;
        times.push_back(milliseconds(std::chrono::steady_clock::now() - begin));
        if (!ok)
            std::printf("the 12000-character picture did not decode\n");
    }
    std::sort(times.begin(), times.end());
    std::printf("decoding %dx%d after JPEG q50: median %.1f ms, slowest %.1f ms\n", received.width,
                received.height, times[times.size() / 2], times.back());

    std::mt19937 random(5);
    QImage noise(1280, 1280, QImage::Format_RGB888);
    for (int y = 0; y < noise.height(); ++y)
        for (int x = 0; x < noise.width() * 3; ++x)
            noise.scanLine(y)[x] = static_cast<uchar>(random());
    QImage gradient(1280, 1280, QImage::Format_RGB888);
    for (int y = 0; y < gradient.height(); ++y)
        for (int x = 0; x < gradient.width(); ++x)
            gradient.setPixel(x, y, qRgb(x / 5, y / 5, (x + y) / 10));
    // Edges that pass the first look: dark at the bottom and right, stripes on top.
    QImage framed = gradient;
    for (int i = 0; i < 1280; ++i) {
        const QRgb stripe = i / 4 % 2 ? qRgb(255, 255, 255) : qRgb(0, 0, 0);
        framed.setPixel(i, 1279, qRgb(0, 0, 0));
        framed.setPixel(1279, i, qRgb(0, 0, 0));
        framed.setPixel(i, 0, stripe);
        framed.setPixel(0, i, stripe);
    }
    for (const auto &[name, image] :
         {std::pair{"noise", noise}, std::pair{"gradient", jpeg(gradient, 50)},
          std::pair{"framed", framed}}) {
        const Picture picture = pictureOf(image);
        const auto begin = std::chrono::steady_clock::now();
        const bool found = robustPicture::detect(picture).grid.has_value();
        std::printf("rejecting 1280x1280 %s: %.2f ms%s\n", name,
                    milliseconds(std::chrono::steady_clock::now() - begin),
                    found ? " (FOUND: wrong)" : "");
    }
    return 0;
}
