// SPDX-License-Identifier: GPL-3.0-or-later
// The window icon built from the compiled-in pixels of the icon file.

#include "resources.h"

#include <QImage>
#include <QPixmap>

#include <gtest/gtest.h>

namespace {

class ApplicationIcon : public ::testing::TestWithParam<int>
{};

TEST(ApplicationIconSizes, AreTheIconFileSizes)
{
    const QList<QSize> sizes = veltrin::applicationIcon().availableSizes();
    EXPECT_EQ(sizes.size(), 4);
    for (const int size : {16, 32, 48, 128}) {
        EXPECT_TRUE(sizes.contains(QSize(size, size))) << size;
    }
}

// Where the file has a size at several depths the icon shows the deepest one,
// which is the same drawing as the theme icon of that size.
TEST_P(ApplicationIcon, ShowsTheFullColourImage)
{
    const int size = GetParam();
    const QImage shown = veltrin::applicationIcon()
                             .pixmap(QSize(size, size))
                             .toImage()
                             .convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const QImage theme =
        QImage(QStringLiteral(VELTRIN_RESOURCES_DIR "/icons/%1x%1/io.github.veltrin.Veltrin.png")
                   .arg(size))
            .convertToFormat(QImage::Format_ARGB32_Premultiplied);
    ASSERT_FALSE(theme.isNull());
    // Premultiplied on both sides: the pixmap keeps its pixels that way.
    EXPECT_EQ(shown, theme);
}

INSTANTIATE_TEST_SUITE_P(Sizes, ApplicationIcon, ::testing::Values(16, 32, 48, 128));

} // namespace
