// SPDX-License-Identifier: GPL-3.0-or-later
// Sends robust pictures of Chinese prose through what chat programs do to a
// picture and prints, for each length and channel, how many came back.
// Usage: veltrin_bench_robust_channels [texts per length] [corpus files...]
// Other channels, as tests/bench/channels drives them through PIL:
//   --write DIR [texts per length] [corpus files...]  the pictures and their texts
//   --read TEXTS DIR  whether each picture in DIR gives its text back exactly
//   --time [corpus files...]  decoding and rejecting times only
//   --screenshots [texts per length] [corpus files...]  pictures shown in
//     synthetic phone screenshots, parameters drawn at random per case, counted
//     by pixels a module in the file received
//   --small [texts]  12000 random Han characters (2-pixel modules) scaled to
//     800 pixels by each common filter, then JPEG q50
#include "picture_kind.h"
#include "picture_samples.h"
#include "qt_adapters.h"
#include "robust_picture.h"
#include "screenshot.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QRegularExpression>
#include <QStringList>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <functional>
#include <random>
#include <string>

using namespace veltrin;

namespace {

QImage jpeg(const QImage &image, int quality)
{
    return testing::resaved(image, "JPEG", quality);
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
    const robustPicture::Grid grid = *robustPicture::detect(picture).grid;
    return int(std::lround((grid.right - grid.left) / grid.modules));
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
        {"PNG re-save", [](const QImage &i) { return testing::resaved(i, "PNG", -1); }},
        {"WebP q50", [](const QImage &i) { return testing::resaved(i, "WEBP", 50); }},
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
            const QImage image = toQImage(encoded.image);
            for (std::size_t c = 0; c < std::size(channels); ++c) {
                const Picture received = toPicture(channels[c].send(image));
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
    const Picture received = toPicture(jpeg(toQImage(sent), 50));
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
        const Picture picture = toPicture(image);
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
            if (!toQImage(encoded.image)
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
            image.isNull() ? "unreadable" : outcome(robustPicture::decode(toPicture(image)), text);
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

// A separable resampler as image libraries make them: the kernel widened by
// the reduction, so that every source pixel counts (PIL's resize does this).
QImage resampled(const QImage &source, int width, int height,
                 const std::function<double(double)> &kernel, double support)
{
    const QImage image = source.convertToFormat(QImage::Format_RGB888);
    const auto pass = [&](const std::vector<double> &from, int inLength, int outLength, int lines,
                          bool alongRows) {
        std::vector<double> to(std::size_t(outLength) * std::size_t(lines) * 3, 0);
        const double scale = double(inLength) / outLength, widen = std::max(1.0, scale);
        for (int o = 0; o < outLength; ++o) {
            const double centre = (o + 0.5) * scale;
            const int first = std::max(0, int(std::floor(centre - support * widen)));
            const int last = std::min(inLength - 1, int(std::ceil(centre + support * widen)));
            std::vector<double> weights;
            double total = 0;
            for (int i = first; i <= last; ++i) {
                weights.push_back(kernel((i + 0.5 - centre) / widen));
                total += weights.back();
            }
            for (int line = 0; line < lines; ++line)
                for (int c = 0; c < 3; ++c) {
                    double sum = 0;
                    for (int i = first; i <= last; ++i) {
                        const std::size_t at = alongRows
                                                   ? (std::size_t(line) * inLength + i) * 3 + c
                                                   : (std::size_t(i) * lines + line) * 3 + c;
                        sum += weights[std::size_t(i - first)] * from[at];
                    }
                    const std::size_t out = alongRows ? (std::size_t(line) * outLength + o) * 3 + c
                                                      : (std::size_t(o) * lines + line) * 3 + c;
                    to[out] = sum / total;
                }
        }
        return to;
    };
    std::vector<double> values(std::size_t(image.width()) * image.height() * 3);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width() * 3; ++x)
            values[std::size_t(y) * image.width() * 3 + x] = image.constScanLine(y)[x];
    const std::vector<double> rows = pass(values, image.width(), width, image.height(), true);
    const std::vector<double> both = pass(rows, image.height(), height, width, false);
    QImage out(width, height, QImage::Format_RGB888);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width * 3; ++x)
            out.scanLine(y)[x] = static_cast<uchar>(
                std::clamp(std::lround(both[std::size_t(y) * width * 3 + x]), 0L, 255L));
    return out;
}

void smallModules(int texts)
{
    const double pi = 3.14159265358979323846;
    const auto sinc = [pi](double x) { return x == 0 ? 1.0 : std::sin(pi * x) / (pi * x); };
    const auto cubic = [](double x) {
        x = std::abs(x);
        const double a = -0.5;
        return x < 1   ? (a + 2) * x * x * x - (a + 3) * x * x + 1
               : x < 2 ? a * x * x * x - 5 * a * x * x + 8 * a * x - 4 * a
                       : 0.0;
    };
    const struct
    {
        const char *name;
        std::function<QImage(const QImage &)> scale;
    } filters[] = {
        {"bilinear",
         [](const QImage &i) {
             return resampled(
                 i, 800, 800, [](double x) { return std::max(0.0, 1 - std::abs(x)); }, 1);
         }},
        {"bicubic", [&](const QImage &i) { return resampled(i, 800, 800, cubic, 2); }},
        {"box",
         [](const QImage &i) {
             return resampled(
                 i, 800, 800, [](double x) { return std::abs(x) <= 0.5 ? 1.0 : 0; }, 0.5);
         }},
        {"Lanczos",
         [&](const QImage &i) {
             return resampled(
                 i, 800, 800,
                 [&](double x) { return std::abs(x) < 3 ? sinc(x) * sinc(x / 3) : 0.0; }, 3);
         }},
        {"Qt smooth", [](const QImage &i) { return longSide(i, 800, Qt::SmoothTransformation); }},
    };
    int module = 0;
    for (const auto &filter : filters) {
        int decoded = 0;
        for (int t = 0; t < texts; ++t) {
            std::mt19937 random(unsigned(100 + t));
            std::u16string text(12000, u' ');
            for (auto &ch : text)
                ch = static_cast<char16_t>(0x4E00 + random() % 0x5000);
            const Picture sent = robustPicture::encode(text).image;
            module = moduleOf(sent);
            decoded +=
                robustPicture::decode(toPicture(jpeg(filter.scale(toQImage(sent)), 50))).text ==
                text;
        }
        std::printf("12000 random Han (%d-px modules), 800 %s, q50: %d/%d\n", module, filter.name,
                    decoded, texts);
    }
}

// Each picture shown once, in a screenshot drawn at random (seeded by the
// case), then read from the screenshot as received.
void screenshots(const std::u16string &text, int perLength)
{
    struct Band
    {
        const char *name;
        double from;
        int sent = 0, decoded = 0;
    };
    std::mt19937 random(2026);
    std::vector<double> times;
    double slowest = 0;
    QString slowestCase;
    const QString keep = qEnvironmentVariable("VELTRIN_KEEP_FAILURES");
    std::printf("%-8s | %-16s | %-16s | %-16s\n", "chars", ">= 1.5 px/module", "1.2 - 1.5",
                "< 1.2");
    for (std::size_t length : {500, 3000, 6000, 12000}) {
        Band bands[] = {{">= 1.5", 1.5}, {"1.2 - 1.5", 1.2}, {"< 1.2", 0}};
        for (int t = 0; t < perLength; ++t) {
            const std::u16string piece = window(text, length, t);
            const robustPicture::Encoded encoded = robustPicture::encode(piece);
            const robustPicture::Detected sent = robustPicture::detect(encoded.image);
            const testing::Screenshot shot = testing::randomScreenshot(random);
            QRectF placed;
            const Picture received =
                toPicture(testing::screenshotOf(toQImage(encoded.image), shot, &placed));
            const double pixels = placed.width() / encoded.image.width *
                                  (sent.grid->right - sent.grid->left) / sent.grid->modules;
            const auto begin = std::chrono::steady_clock::now();
            const robustPicture::Decoded decoded = robustPicture::decode(received);
            const bool exact = decoded.text == piece;
            times.push_back(milliseconds(std::chrono::steady_clock::now() - begin));
            if (times.back() > slowest) {
                slowest = times.back();
                slowestCase = QStringLiteral("%1-%2").arg(length).arg(t);
                if (!keep.isEmpty())
                    toQImage(received).save(keep + QStringLiteral("/slowest.png"));
            }
            // What failed, to look at: VELTRIN_KEEP_FAILURES=DIR keeps each
            // screenshot as received, named by length, case, pixels a module
            // and outcome, and the slowest read as slowest.png.
            if (!exact && !keep.isEmpty())
                toQImage(received).save(QStringLiteral("%1/%2-%3-%4-%5.png")
                                            .arg(keep)
                                            .arg(length)
                                            .arg(t)
                                            .arg(pixels, 0, 'f', 2)
                                            .arg(QLatin1String(outcome(decoded, piece))));
            Band &band = *std::find_if(std::begin(bands), std::end(bands),
                                       [&](const Band &b) { return pixels >= b.from; });
            ++band.sent;
            band.decoded += exact;
        }
        std::printf("%-8zu", length);
        for (const Band &band : bands)
            std::printf(" | %5d/%-5d %4.0f%%", band.decoded, band.sent,
                        band.sent ? 100.0 * band.decoded / band.sent : 0.0);
        std::printf("\n");
    }
    std::sort(times.begin(), times.end());
    std::printf("reading a screenshot: median %.1f ms, slowest %.1f ms (%s)\n",
                times[times.size() / 2], times.back(), slowestCase.toUtf8().constData());

    // What every other picture pays for the locator.
    const QImage photo = testing::colourPhoto(4000, 3000);
    std::mt19937 noise(9);
    Picture classic(4096, 4097);
    for (auto &byte : classic.rgb)
        byte = static_cast<std::uint8_t>(noise());
    for (const auto &[name, picture] :
         {std::pair{"rejecting a 4000x3000 photo (JPEG q85)", toPicture(jpeg(photo, 85))},
          std::pair{"recognising a 4096x4097 classic picture", classic}}) {
        std::vector<double> spent;
        for (int run = 0; run < 5; ++run) {
            const auto begin = std::chrono::steady_clock::now();
            const Recognition kind = recognise(picture);
            spent.push_back(milliseconds(std::chrono::steady_clock::now() - begin));
            if (kind.kind == PictureKind::Robust)
                std::printf("(TAKEN FOR ROBUST: wrong) ");
        }
        std::sort(spent.begin(), spent.end());
        std::printf("%s: median %.2f ms\n", name, spent[spent.size() / 2]);
    }
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    QStringList arguments = application.arguments().mid(1);
    const QString mode =
        arguments.value(0).startsWith(QLatin1String("--")) ? arguments.takeFirst() : QString();
    const bool writing = mode == QLatin1String("--write"), timing = mode == QLatin1String("--time");
    const bool shots = mode == QLatin1String("--screenshots");
    if (mode == QLatin1String("--small")) {
        smallModules(arguments.value(0, QStringLiteral("20")).toInt());
        return 0;
    }
    if (mode == QLatin1String("--read") && arguments.size() == 2)
        return readPictures(arguments[0], arguments[1]);
    if (!(mode.isEmpty() || writing || timing || shots) || (writing && arguments.isEmpty())) {
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
    if (shots) {
        screenshots(text, perLength);
        return 0;
    }
    if (!timing)
        table(text, perLength);
    timings(text);
    return 0;
}
