// SPDX-License-Identifier: GPL-3.0-or-later
#include "core_fakes.h"
#include "qt_adapters.h"
#include "robust_picture.h"

#include <QBuffer>
#include <QImage>

#include <gtest/gtest.h>

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
        Channel{"3000 800 px q75 q50", 3000, [](const QImage &i) {
                    return resaved(resaved(to800(i), "JPEG", 75), "JPEG", 50);
                }}));

} // namespace
} // namespace veltrin::testing
