// SPDX-License-Identifier: GPL-3.0-or-later
#include "core_fakes.h"
#include "qt_adapters.h"
#include "robust_picture.h"

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
        Channel{"12000 800 px q50", 12000,
                [](const QImage &i) { return resaved(to800(i), "JPEG", 50); }}));

} // namespace
} // namespace veltrin::testing
