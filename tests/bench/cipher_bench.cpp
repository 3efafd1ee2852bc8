// SPDX-License-Identifier: GPL-3.0-or-later
#include "cipher_members.h"
#include "code_page.h"
#include "decryptor.h"
#include "encryptor.h"
#include "memory_surface.h"
#include "random_source.h"

#include <QImage>

#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

namespace veltrin {
namespace {

constexpr int kLength = 12000;

// Deterministic and endless: every run draws the same factors.
class CyclingRandom final : public RandomSource
{
public:
    void seedFromTimer() override {}
    double next() override
    {
        static constexpr double values[] = {0.2345675, 0.9, 0.7654321, 0.25};
        return values[index_++ % 4];
    }

private:
    unsigned index_ = 0;
};

// Half ASCII, half Chinese, with line breaks: the mix the text box holds.
std::u16string mixedText()
{
    const std::u16string pieces[] = {u"Hello, world! ", u"加密解密的内容", u"\r\n",
                                     u"对比2个文本框 abc "};
    std::u16string text;
    for (int i = 0; text.size() < kLength; ++i)
        text += pieces[i % 4];
    text.resize(kLength);
    return text;
}

void ignoreEnabled(bool) {}

struct Pages
{
    CipherMembers members;
    CyclingRandom random;
    MemorySurface picture1{2325, 795};
    MemorySurface picture5{2565, 915};
    std::u16string text = mixedText();
    std::u16string password = u"Zz9";

    Pages()
    {
        members.writeX = 30;
        members.readX = 30;
    }

    void encrypt()
    {
        Encryptor(members, random, codePage936())
            .run(EncryptPage{text, password, picture1, picture5, ignoreEnabled, ignoreEnabled});
    }
};

void BM_Encrypt12000(benchmark::State &state)
{
    Pages pages;
    for (auto _ : state) {
        pages.encrypt();
        benchmark::DoNotOptimize(pages.picture5.Point(0, 0));
    }
    state.SetItemsProcessed(state.iterations() * kLength);
}
BENCHMARK(BM_Encrypt12000)->Unit(benchmark::kMicrosecond);

void BM_Decrypt12000(benchmark::State &state)
{
    Pages pages;
    pages.encrypt();
    std::u16string text2;
    Decryptor decryptor(pages.members, codePage936());
    const DecryptPage page{pages.password, pages.picture1,
                           [&](const std::u16string &text) { text2 = text; }, ignoreEnabled,
                           ignoreEnabled};
    for (auto _ : state) {
        decryptor.run(page);
        benchmark::DoNotOptimize(text2.data());
    }
    if (text2 != pages.text)
        state.SkipWithError("the picture did not decrypt to its text");
    state.SetItemsProcessed(state.iterations() * kLength);
}
BENCHMARK(BM_Decrypt12000)->Unit(benchmark::kMicrosecond);

// The floor: writing the same number of pixels straight into a plain image of
// the work surface's drawing-area size.
void BM_Floor_WritePixels12000(benchmark::State &state)
{
    Pages pages;
    pages.encrypt();
    QImage image(pages.picture1.Image().width, pages.picture1.Image().height, QImage::Format_RGB32);
    const int width = image.width();
    for (auto _ : state) {
        image.fill(0xFFFFFFFFu);
        for (int i = 0; i < kLength; ++i)
            image.setPixel(i % width, i / width, 0xFF000000u | static_cast<std::uint32_t>(i));
        benchmark::DoNotOptimize(image.constBits());
    }
    state.SetItemsProcessed(state.iterations() * kLength);
}
BENCHMARK(BM_Floor_WritePixels12000)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace veltrin
