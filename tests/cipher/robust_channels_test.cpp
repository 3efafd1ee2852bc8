// SPDX-License-Identifier: GPL-3.0-or-later
#include "core_fakes.h"
#include "qt_adapters.h"
#include "robust_picture.h"
#include "screenshot.h"

#include <QBuffer>
#include <QImage>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <random>

namespace veltrin::testing {
namespace {

QImage resaved(const QImage &image, const char *format, int quality)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(image.save(&buffer, format, quality));
    return QImage::fromData(bytes, format);
}

QImage to800(const QImage &image)
{
    return image.scaledToWidth(800, Qt::SmoothTransformation);
}

// Each pixel interpolated between the four nearest, as canvas and GPU scalers
// do: at 1.25 pixels a module most pixels mix two modules.
QImage bilinear800(const QImage &source)
{
    const QImage image = source.convertToFormat(QImage::Format_RGB888);
    const int width = 800, height = image.height() * 800 / image.width();
    QImage scaled(width, height, QImage::Format_RGB888);
    const double sx = double(image.width()) / width, sy = double(image.height()) / height;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const double fx = std::max(0.0, (x + 0.5) * sx - 0.5),
                         fy = std::max(0.0, (y + 0.5) * sy - 0.5);
            const int x0 = int(fx), y0 = int(fy), x1 = std::min(x0 + 1, image.width() - 1),
                      y1 = std::min(y0 + 1, image.height() - 1);
            const double ax = fx - x0, ay = fy - y0;
            const auto at = [&](int px, int py) { return qGray(image.pixel(px, py)); };
            const int v = int(std::lround((1 - ay) * ((1 - ax) * at(x0, y0) + ax * at(x1, y0)) +
                                          ay * ((1 - ax) * at(x0, y1) + ax * at(x1, y1))));
            scaled.setPixel(x, y, qRgb(v, v, v));
        }
    return scaled;
}

// Each pixel the plain mean of the source pixels centred under it: at 1.25
// pixels a module the detail keeps its full contrast, each module shared
// with its neighbours.
QImage box800(const QImage &source)
{
    const QImage image = source.convertToFormat(QImage::Format_Grayscale8);
    const int width = 800, height = image.height() * 800 / image.width();
    const double sx = double(image.width()) / width, sy = double(image.height()) / height;
    const auto first = [](int o, double scale) { return int(std::ceil(o * scale - 0.5)); };
    QImage scaled(width, height, QImage::Format_Grayscale8);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            int sum = 0, count = 0;
            for (int v = first(y, sy); v < std::min(image.height(), first(y + 1, sy)); ++v)
                for (int u = first(x, sx); u < std::min(image.width(), first(x + 1, sx)); ++u) {
                    sum += image.constScanLine(v)[u];
                    ++count;
                }
            scaled.scanLine(y)[x] = static_cast<uchar>((sum + count / 2) / count);
        }
    return scaled;
}

struct Channel
{
    const char *name;
    std::size_t length;
    std::function<QImage(const QImage &)> send;
};

class RobustChannels : public ::testing::TestWithParam<Channel>
{};

TEST_P(RobustChannels, TextComesBack)
{
    const Channel channel = GetParam();
    const std::u16string text = hanText(channel.length, 11);
    const robustPicture::Encoded encoded = robustPicture::encode(text);
    ASSERT_EQ(encoded.failure, robustPicture::Failure::None);
    const Picture received = toPicture(channel.send(toQImage(encoded.image)));
    const robustPicture::Decoded decoded = robustPicture::decode(received);
    EXPECT_EQ(decoded.failure, robustPicture::Failure::None) << channel.name;
    EXPECT_TRUE(decoded.text == text) << channel.name;
}

INSTANTIATE_TEST_SUITE_P(
    Sent, RobustChannels,
    ::testing::Values(
        Channel{"12000 JPEG q50", 12000, [](const QImage &i) { return resaved(i, "JPEG", 50); }},
        Channel{"3000 PNG", 3000, [](const QImage &i) { return resaved(i, "PNG", -1); }},
        Channel{"3000 JPEG q75 q50", 3000,
                [](const QImage &i) { return resaved(resaved(i, "JPEG", 75), "JPEG", 50); }},
        Channel{"3000 800 px q50", 3000,
                [](const QImage &i) { return resaved(to800(i), "JPEG", 50); }},
        Channel{"3000 800 px q75 q50", 3000,
                [](const QImage &i) { return resaved(resaved(to800(i), "JPEG", 75), "JPEG", 50); }},
        // Random Han characters do not pack: 2-pixel modules, 1.25 pixels after scaling.
        Channel{"12000 800 px bilinear q50", 12000,
                [](const QImage &i) { return resaved(bilinear800(i), "JPEG", 50); }},
        Channel{"12000 800 px box q50", 12000,
                [](const QImage &i) { return resaved(box800(i), "JPEG", 50); }},
        Channel{"12000 800 px q50", 12000,
                [](const QImage &i) { return resaved(to800(i), "JPEG", 50); }}));

struct Shown
{
    const char *name;
    std::size_t length;
    Screenshot shot;
};

class RobustScreenshots : public ::testing::TestWithParam<Shown>
{};

TEST_P(RobustScreenshots, FoundWhereShownAndRead)
{
    const Shown shown = GetParam();
    const std::u16string text = hanText(shown.length, 13);
    const robustPicture::Encoded encoded = robustPicture::encode(text);
    QRectF placed;
    const Picture received = toPicture(screenshotOf(toQImage(encoded.image), shown.shot, &placed));
    const robustPicture::Detected detected = robustPicture::detect(received);
    ASSERT_TRUE(detected.grid) << shown.name;
    // The frame lies inside the picture as shown, its quiet zone around it.
    EXPECT_GT(detected.grid->left, placed.left());
    EXPECT_LT(detected.grid->right, placed.right());
    EXPECT_GT(detected.grid->right - detected.grid->left, placed.width() * 0.95);
    EXPECT_NEAR(detected.grid->top - placed.top(), detected.grid->left - placed.left(), 1);
    EXPECT_TRUE(robustPicture::decode(received, *detected.grid).text == text) << shown.name;
}

INSTANTIATE_TEST_SUITE_P(
    Shown, RobustScreenshots,
    ::testing::Values(Shown{"3000 on white, PNG", 3000, {0.5, Qt::white, Qt::white, 0, -1, 0, 1}},
                      Shown{"12000 dark mode, rounded, q80",
                            12000,
                            {0.9, QColor(17, 17, 17), QColor(40, 40, 40), 32, 80, 0, 2}},
                      Shown{"500 green bubble, q50",
                            500,
                            {0.35, QColor(240, 240, 240), QColor(149, 236, 105), 16, 50, 0, 3}},
                      Shown{"3000 black, 1.3 pixels a module after 1280, q60",
                            3000,
                            {0.6, Qt::black, QColor(220, 235, 255), 20, 60, 1280, 4}}));

} // namespace
} // namespace veltrin::testing
