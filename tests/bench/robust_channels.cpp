// SPDX-License-Identifier: GPL-3.0-or-later
// Sends robust pictures of Chinese prose through what chat programs do to a
// picture and prints, for each length and channel, how many came back.
// Usage: veltrin_bench_robust_channels [texts per length] [corpus files...]
// Other channels, as tests/bench/channels drives them through PIL:
//   --write DIR [texts per length] [corpus files...]  the pictures and their texts
//   --read TEXTS DIR  whether each picture in DIR gives its text back exactly
//   --time [corpus files...]  decoding and rejecting times only
#include "robust_picture.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
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

// Random Han characters, which zstd cannot pack: the most blocks for a length.
std::u16string randomHan(std::size_t length)
{
    std::mt19937 random(1);
    std::u16string text;
    while (text.size() < length)
        text.push_back(char16_t(0x4E00 + random() % 0x5000));
    return text;
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
    return text.size() < 13000 ? randomHan(13000) : text.toStdU16String();
}

// The same windows for every run and mode, so the tables compare.
std::u16string window(const std::u16string &text, std::size_t length, int t)
{
    const std::size_t start = (std::size_t(t) * 7919 * length / 20) % (text.size() - length);
    return text.substr(start, length);
}

constexpr std::size_t lengths[] = {500, 1000, 3000, 6000, 12000};

struct Channel
{
    const char *name;
    std::function<QImage(const QImage &)> send;
};

double milliseconds(std::chrono::steady_clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

int moduleOf(const Picture &picture)
{
    return picture.width / robustPicture::detect(picture).grid->modules;
}

const char *outcome(const robustPicture::Decoded &result, const std::u16string &text)
{
    switch (result.failure) {
    case robustPicture::Failure::None:
        return result.text == text ? "exact" : "different";
    case robustPicture::Failure::NotRobust:
        return "not-robust";
    case robustPicture::Failure::NewerVersion:
        return "newer";
    case robustPicture::Failure::Damaged:
        return "damaged";
    case robustPicture::Failure::NotConforming:
        return "not-conforming";
    case robustPicture::Failure::TextTooLong:
        break;
    }
    return "unexpected";
}

void table(const std::u16string &text, int perLength)
{
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
    for (std::size_t length : lengths) {
        std::vector<int> decoded(std::size(channels), 0);
        int smallest = 8, largest = 0;
        for (int t = 0; t < perLength; ++t) {
            const std::u16string piece = window(text, length, t);
            const robustPicture::Encoded encoded = robustPicture::encode(piece);
            if (encoded.failure != robustPicture::Failure::None) {
                std::printf("%zu: refused, %zu fit\n", length, encoded.fits);
                break;
            }
            const int module = moduleOf(encoded.image);
            smallest = std::min(smallest, module);
            largest = std::max(largest, module);
            const QImage image = imageOf(encoded.image);
            for (std::size_t c = 0; c < std::size(channels); ++c) {
                const Picture received = pictureOf(channels[c].send(image));
                decoded[c] += robustPicture::decode(received).text == piece;
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
}

// The machine is shared: the median of several runs, and the slowest.
void timeDecoding(const char *what, const std::u16string &text)
{
    const Picture sent = robustPicture::encode(text).image;
    const Picture received = pictureOf(jpeg(imageOf(sent), 50));
    std::vector<double> times;
    bool ok = true;
    for (int run = 0; run < 9; ++run) {
        const auto begin = std::chrono::steady_clock::now();
        ok = robustPicture::decode(received).text == text && ok;
        times.push_back(milliseconds(std::chrono::steady_clock::now() - begin));
    }
    std::sort(times.begin(), times.end());
    std::printf("decoding %zu %s (%dx%d, %d-px modules) after JPEG q50: median %.1f ms, slowest "
                "%.1f ms%s\n",
                text.size(), what, received.width, received.height, moduleOf(sent),
                times[times.size() / 2], times.back(), ok ? "" : " (DID NOT DECODE)");
}

void timings(const std::u16string &text)
{
    timeDecoding("prose characters", text.substr(0, 12000));
    timeDecoding("random Han characters", randomHan(12000));
    timeDecoding("prose characters", text.substr(0, 3000));

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
}

// DIR/LENGTH-T.png and DIR/LENGTH-T.txt (UTF-8); a line "LENGTH-T MODULE" each.
int writePictures(const QString &folder, const std::u16string &text, int perLength)
{
    if (!QDir().mkpath(folder))
        return 1;
    for (std::size_t length : lengths)
        for (int t = 0; t < perLength; ++t) {
            const std::u16string piece = window(text, length, t);
            const robustPicture::Encoded encoded = robustPicture::encode(piece);
            if (encoded.failure != robustPicture::Failure::None)
                return 1;
            const QString name = QStringLiteral("%1-%2")
                                     .arg(length, 5, 10, QLatin1Char('0'))
                                     .arg(t, 2, 10, QLatin1Char('0'));
            QFile file(folder + QLatin1Char('/') + name + QStringLiteral(".txt"));
            if (!imageOf(encoded.image)
                     .save(folder + QLatin1Char('/') + name + QStringLiteral(".png")) ||
                !file.open(QIODevice::WriteOnly) ||
                file.write(QString::fromStdU16String(piece).toUtf8()) < 0)
                return 1;
            std::printf("%s %d\n", name.toUtf8().constData(), moduleOf(encoded.image));
        }
    return 0;
}

// A line "NAME OUTCOME" for each picture in DIR, its text TEXTS/NAME.txt.
int readPictures(const QString &texts, const QString &folder)
{
    const QFileInfoList pictures = QDir(folder).entryInfoList(QDir::Files, QDir::Name);
    for (const QFileInfo &picture : pictures) {
        QFile file(texts + QLatin1Char('/') + picture.completeBaseName() + QStringLiteral(".txt"));
        if (!file.open(QIODevice::ReadOnly))
            return 1;
        const std::u16string text = QString::fromUtf8(file.readAll()).toStdU16String();
        const QImage image(picture.filePath());
        const char *result =
            image.isNull() ? "unreadable" : outcome(robustPicture::decode(pictureOf(image)), text);
        std::printf("%s %s\n", picture.completeBaseName().toUtf8().constData(), result);
    }
    return pictures.isEmpty();
}

std::u16string corpusOf(QStringList files)
{
    if (files.isEmpty())
        for (const char *name : {"chinese", "tang300", "song100"})
            files << QStringLiteral("/usr/share/games/fortunes/") + QLatin1String(name);
    return corpus(files);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    QStringList arguments = application.arguments().mid(1);
    const QString mode =
        arguments.value(0).startsWith(QLatin1String("--")) ? arguments.takeFirst() : QString();
    const bool writing = mode == QLatin1String("--write"), timing = mode == QLatin1String("--time");
    if (mode == QLatin1String("--read") && arguments.size() == 2)
        return readPictures(arguments[0], arguments[1]);
    if (!(mode.isEmpty() || writing || timing) || (writing && arguments.isEmpty())) {
        std::fprintf(stderr, "usage: see the head of tests/bench/robust_channels.cpp\n");
        return 2;
    }
    const QString folder = writing ? arguments.takeFirst() : QString();
    bool isCount = false;
    int perLength = timing ? 0 : arguments.value(0).toInt(&isCount);
    if (isCount)
        arguments.removeFirst();
    else
        perLength = 20;
    const std::u16string text = corpusOf(arguments);
    if (writing)
        return writePictures(folder, text, perLength);
    std::printf("corpus: %zu characters\n", text.size());
    if (!timing)
        table(text, perLength);
    timings(text);
    return 0;
}
