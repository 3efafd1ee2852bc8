// SPDX-License-Identifier: GPL-3.0-or-later
#include "picture_surface.h"
#include "qt_adapters.h"

#include <QPainter>

#include <gtest/gtest.h>

#include <random>

namespace veltrin {
namespace {

constexpr std::int32_t white = PictureSurface::white;

float tw(int pixel)
{
    return static_cast<float>(15 * pixel);
}

// Number of drawing-area pixels whose Point differs from `expected(column, row)`.
template <typename Expected> int mismatches(const PictureSurface &surface, Expected expected)
{
    const QSize size = surface.qImage().size();
    int count = 0;
    for (int row = 0; row < size.height(); ++row)
        for (int column = 0; column < size.width(); ++column)
            if (surface.Point(tw(column), tw(row)) != expected(column, row))
                ++count;
    return count;
}

class ClearedSurface : public ::testing::TestWithParam<std::int32_t>
{};

TEST_P(ClearedSurface, ReadsTheBackgroundEverywhere)
{
    const std::int32_t background = GetParam();
    PictureSurface surface(2325, 795, background);
    EXPECT_EQ(surface.qImage().size(), QSize(153, 51));
    EXPECT_EQ(mismatches(surface, [&](int, int) { return background; }), 0) << "new surface";

    surface.PSet(0, 0, 1);
    surface.PSet(tw(152), tw(50), 2);
    surface.PSet(tw(70), tw(20), 3);
    surface.Cls();
    EXPECT_EQ(mismatches(surface, [&](int, int) { return background; }), 0) << "after Cls";

    // Growing fills the new area with the background as well.
    surface.setWidth(tw(200));
    surface.setHeight(tw(70));
    EXPECT_EQ(mismatches(surface, [&](int, int) { return background; }), 0) << "after a resize";
}

INSTANTIATE_TEST_SUITE_P(Backgrounds, ClearedSurface,
                         ::testing::Values(white, 0, 0x123456, 0xFF0000, 0x0000FF));

class StoredColour : public ::testing::TestWithParam<std::int32_t>
{};

TEST_P(StoredColour, PointReturnsWhatPSetStored)
{
    const std::int32_t colour = GetParam();
    PictureSurface surface(200, 200);
    surface.PSet(tw(3), tw(4), colour);
    EXPECT_EQ(surface.Point(tw(3), tw(4)), colour);
    // Red is the low byte.
    const QRgb rgb = surface.qImage().pixel(3, 4);
    EXPECT_EQ(qRed(rgb), colour & 0xFF);
    EXPECT_EQ(qGreen(rgb), (colour >> 8) & 0xFF);
    EXPECT_EQ(qBlue(rgb), colour >> 16);
    // Neighbours keep the background.
    EXPECT_EQ(surface.Point(tw(2), tw(4)), white);
    EXPECT_EQ(surface.Point(tw(4), tw(4)), white);
    EXPECT_EQ(surface.Point(tw(3), tw(3)), white);
    EXPECT_EQ(surface.Point(tw(3), tw(5)), white);
}

INSTANTIATE_TEST_SUITE_P(Colours, StoredColour,
                         ::testing::Values(0, 1, 255, 256, 65535, 65536, 16777215, 16777214,
                                           0x010203, 0xFEDCBA, 2469134, 6002692, 1967552));

TEST(PictureSurface, EveryPixelKeepsItsOwnRandomColour)
{
    PictureSurface surface(15 * 64 + 30, 15 * 64 + 30);
    ASSERT_EQ(surface.qImage().size(), QSize(64, 64));
    std::mt19937 engine(7);
    std::uniform_int_distribution<std::int32_t> colours(0, 16777215);
    std::vector<std::int32_t> stored(64 * 64);
    for (std::size_t i = 0; i < stored.size(); ++i) {
        stored[i] = colours(engine);
        surface.PSet(tw(static_cast<int>(i % 64)), tw(static_cast<int>(i / 64)), stored[i]);
    }
    EXPECT_EQ(mismatches(surface,
                         [&](int column, int row) {
                             return stored[static_cast<std::size_t>(row * 64 + column)];
                         }),
              0);
}

TEST(PictureSurface, TwipsWithinAPixelAddressThatPixel)
{
    PictureSurface surface(200, 200);
    surface.PSet(15, 30, 4242);
    EXPECT_EQ(surface.Point(29.9f, 44.9f), 4242);
    EXPECT_EQ(surface.Point(14.9f, 30), white);
    EXPECT_EQ(surface.Point(15, 45), white);
}

struct Position
{
    float x, y;
};

class OutsidePoint : public ::testing::TestWithParam<Position>
{};

TEST_P(OutsidePoint, ReadsMinusOneAndPSetDoesNothing)
{
    PictureSurface surface(15 * 10 + 30, 15 * 6 + 30); // 10 x 6 drawing area
    const QImage before = surface.qImage();
    EXPECT_EQ(surface.Point(GetParam().x, GetParam().y), -1);
    surface.PSet(GetParam().x, GetParam().y, 0);
    EXPECT_EQ(surface.qImage(), before);
}

INSTANTIATE_TEST_SUITE_P(PictureSurface, OutsidePoint,
                         ::testing::Values(Position{-1, 0}, Position{0, -1}, Position{-15, -15},
                                           Position{-0.5f, 0}, Position{150, 0}, Position{0, 90},
                                           Position{150, 90}, Position{1e9f, 0}, Position{0, 1e12f},
                                           Position{-1e12f, 0}));

class WidthSetTo : public ::testing::TestWithParam<int>
{};

TEST_P(WidthSetTo, FifteenKPlusFiftyGivesColumnsZeroToK)
{
    const int k = GetParam();
    PictureSurface surface(2325, 795);
    surface.setWidth(static_cast<float>(15 * k + 50));
    surface.setHeight(static_cast<float>(15 * k + 50));
    EXPECT_EQ(surface.qImage().size(), QSize(k + 1, k + 1));
    EXPECT_EQ(surface.outerSize(), QSize(k + 3, k + 3));
    for (int c = 0; c <= k; ++c) {
        EXPECT_NE(surface.Point(tw(c), 0), -1) << "column " << c;
        EXPECT_NE(surface.Point(0, tw(c)), -1) << "row " << c;
    }
    EXPECT_EQ(surface.Point(tw(k + 1), 0), -1);
    EXPECT_EQ(surface.Point(0, tw(k + 1)), -1);
    // The outer size reads back in whole pixels.
    EXPECT_EQ(surface.Width(), static_cast<float>(15 * (k + 3)));
    EXPECT_EQ(surface.Height(), static_cast<float>(15 * (k + 3)));
}

INSTANTIATE_TEST_SUITE_P(PictureSurface, WidthSetTo, ::testing::Values(0, 1, 2, 3, 5, 108, 109));

TEST(PictureSurface, ResizeKeepsPixelsInsideAndFillsNewAreaWithBackground)
{
    const std::int32_t background = 0x445566;
    PictureSurface surface(15 * 10 + 30, 15 * 10 + 30, background);
    const auto pattern = [](int column, int row) { return row * 1000 + column * 7 + 1; };
    for (int row = 0; row < 10; ++row)
        for (int column = 0; column < 10; ++column)
            surface.PSet(tw(column), tw(row), pattern(column, row));

    surface.setHeight(15 * 5 + 30);
    surface.setWidth(15 * 5 + 30);
    ASSERT_EQ(surface.qImage().size(), QSize(5, 5));
    EXPECT_EQ(mismatches(surface, pattern), 0);

    // What lay outside the smaller area is gone: growing shows the background there.
    surface.setWidth(15 * 20 + 30);
    surface.setHeight(15 * 12 + 30);
    ASSERT_EQ(surface.qImage().size(), QSize(20, 12));
    EXPECT_EQ(mismatches(surface,
                         [&](int column, int row) {
                             return column < 5 && row < 5 ? pattern(column, row) : background;
                         }),
              0);
}

TEST(PictureSurface, ImageHasTheDrawingAreaSizeAndThePixels)
{
    PictureSurface surface(15 * 7 + 30, 15 * 4 + 30);
    surface.PSet(tw(6), tw(3), 0x0A0B0C);
    const QImage image = surface.qImage();
    EXPECT_EQ(image.size(), QSize(7, 4));
    EXPECT_EQ(image.pixel(6, 3) & 0xFFFFFF, 0x0C0B0Au); // QRgb is blue in the low byte
}

QImage randomPicture(QSize size, QImage::Format format, unsigned seed)
{
    QImage picture(size, QImage::Format_RGB32);
    std::mt19937 engine(seed);
    std::uniform_int_distribution<unsigned> colours(0, 0xFFFFFF);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            picture.setPixel(x, y, 0xFF000000u | colours(engine));
    return picture.convertToFormat(format);
}

std::int32_t colourOf(QRgb rgb)
{
    return qRed(rgb) | (qGreen(rgb) << 8) | (qBlue(rgb) << 16);
}

class PaintedPicture : public ::testing::TestWithParam<QImage::Format>
{};

TEST_P(PaintedPicture, IsCopiedPixelForPixelAtTheTopLeft)
{
    PictureSurface surface(15 * 10 + 30, 15 * 10 + 30);
    surface.Cls();
    surface.PSet(tw(9), tw(9), 12345);
    const QImage picture = randomPicture(QSize(7, 5), GetParam(), 3);
    surface.PaintPicture(toPicture(picture), 0, 0);
    EXPECT_EQ(mismatches(surface,
                         [&](int column, int row) {
                             if (column < 7 && row < 5)
                                 return colourOf(picture.pixel(column, row));
                             return column == 9 && row == 9 ? 12345 : white;
                         }),
              0);
}

INSTANTIATE_TEST_SUITE_P(PictureSurface, PaintedPicture,
                         ::testing::Values(QImage::Format_RGB32, QImage::Format_RGB888,
                                           QImage::Format_ARGB32));

TEST(PictureSurface, CopyOfTheImageOfAnotherSurfaceIsExact)
{
    PictureSurface source(15 * 110 + 30, 15 * 110 + 30);
    std::mt19937 engine(11);
    std::uniform_int_distribution<std::int32_t> colours(0, 16777215);
    for (int row = 0; row < 110; ++row)
        for (int column = 0; column < 110; ++column)
            source.PSet(tw(column), tw(row), colours(engine));
    PictureSurface copy(2565, 915);
    copy.Cls();
    copy.setWidth(source.Width());
    copy.setHeight(source.Height());
    copy.PaintPicture(source.Image(), 0, 0);
    EXPECT_EQ(copy.qImage(), source.qImage());
}

TEST(PictureSurface, LoadedPictureGivesItsSize)
{
    PictureSurface surface(2520, 465);
    surface.PSet(0, 0, 77);
    const QImage picture = randomPicture(QSize(37, 23), QImage::Format_RGB888, 5);
    surface.setPicture(picture);
    EXPECT_EQ(surface.qImage().size(), QSize(37, 23));
    EXPECT_EQ(surface.outerSize(), QSize(39, 25));
    EXPECT_EQ(surface.Width(), 39.0f * 15);
    EXPECT_EQ(surface.Height(), 25.0f * 15);
    EXPECT_EQ(mismatches(surface,
                         [&](int column, int row) { return colourOf(picture.pixel(column, row)); }),
              0);
    EXPECT_EQ(surface.Point(tw(37), 0), -1);
    EXPECT_EQ(surface.Point(0, tw(23)), -1);

    // No picture: the surface is cleared and keeps its size.
    surface.setPicture(std::nullopt);
    EXPECT_EQ(surface.qImage().size(), QSize(37, 23));
    EXPECT_EQ(mismatches(surface, [](int, int) { return white; }), 0);
}

TEST(PictureSurface, TransparentPartsOfALoadedPictureShowTheBackground)
{
    QImage picture(2, 1, QImage::Format_ARGB32);
    picture.setPixel(0, 0, qRgba(10, 20, 30, 255));
    picture.setPixel(1, 0, qRgba(0, 0, 0, 0));
    PictureSurface surface(200, 200, 0x112233);
    surface.setPicture(picture);
    EXPECT_EQ(surface.Point(0, 0), 10 | (20 << 8) | (30 << 16));
    EXPECT_EQ(surface.Point(15, 0), 0x112233);
}

} // namespace
} // namespace veltrin
