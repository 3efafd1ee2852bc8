// SPDX-License-Identifier: GPL-3.0-or-later
// What recognising a picture costs: a robust picture read from a phone
// screenshot, and the pictures of other kinds that pay for its search.
// veltrin_bench_robust --benchmark_repetitions=5 (a Release build).
#include "picture_kind.h"
#include "picture_samples.h"
#include "qt_adapters.h"
#include "robust_picture.h"
#include "screenshot.h"

#include <QImage>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>
#include <string>

namespace veltrin {
namespace {

void recognising(benchmark::State &state, const Picture &picture, PictureKind expected)
{
    for (auto _ : state)
        if (recognise(picture).kind != expected)
            state.SkipWithError("recognised as another kind");
}

// 12000 prose-like characters in 2- or 3-pixel modules, on a dark chat at
// 0.8 of their size: the modules a screenshot leaves are the fewest pixels.
void BM_ReadScreenshot(benchmark::State &state)
{
    std::u16string text;
    std::mt19937 random(7);
    while (text.size() < std::size_t(state.range(0)))
        text.push_back(char16_t(0x4E00 + random() % 600));
    testing::Screenshot shot;
    shot.scale = 0.8;
    shot.background = QColor(17, 17, 17);
    shot.bubble = QColor(40, 40, 40);
    shot.radius = 24;
    shot.quality = 70;
    const Picture received =
        toPicture(testing::screenshotOf(toQImage(robustPicture::encode(text).image), shot));
    for (auto _ : state)
        if (robustPicture::decode(received).text != text)
            state.SkipWithError("not read");
}
BENCHMARK(BM_ReadScreenshot)->Arg(500)->Arg(12000)->Unit(benchmark::kMillisecond);

void BM_RejectGreyPhoto4000x3000(benchmark::State &state)
{
    std::mt19937 noise(3);
    QImage photo(4000, 3000, QImage::Format_RGB888);
    for (int y = 0; y < photo.height(); ++y)
        for (int x = 0; x < photo.width(); ++x) {
            const int v = std::clamp((x / 20 + y / 15) % 256 + int(noise() % 81) - 40, 0, 255);
            photo.setPixel(x, y, qRgb(v, v, v));
        }
    recognising(state, toPicture(testing::resaved(photo, "JPEG", 85)), PictureKind::Classic);
}
BENCHMARK(BM_RejectGreyPhoto4000x3000)->Unit(benchmark::kMillisecond);

void BM_RejectColourPhoto4000x3000(benchmark::State &state)
{
    const QImage photo = testing::colourPhoto(4000, 3000);
    recognising(state, toPicture(testing::resaved(photo, "JPEG", 85)), PictureKind::Classic);
}
BENCHMARK(BM_RejectColourPhoto4000x3000)->Unit(benchmark::kMillisecond);

// Random colour, as every classic picture is.
Picture randomPicture(int width, int height, bool grey)
{
    std::mt19937 noise(5);
    Picture picture(width, height);
    for (std::size_t i = 0; i < picture.rgb.size(); i += 3) {
        const auto v = static_cast<std::uint8_t>(noise());
        picture.rgb[i] = v;
        picture.rgb[i + 1] = grey ? v : static_cast<std::uint8_t>(noise());
        picture.rgb[i + 2] = grey ? v : static_cast<std::uint8_t>(noise());
    }
    return picture;
}

void BM_RecogniseNoKind1280(benchmark::State &state)
{
    recognising(state, randomPicture(1280, 1280, state.range(0)), PictureKind::Classic);
}
BENCHMARK(BM_RecogniseNoKind1280)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void BM_RecogniseClassic4096x4097(benchmark::State &state)
{
    recognising(state, randomPicture(4096, 4097, false), PictureKind::Classic);
}
BENCHMARK(BM_RecogniseClassic4096x4097)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace veltrin

BENCHMARK_MAIN();
