// SPDX-License-Identifier: GPL-3.0-or-later
// A protected picture of the longest text, with the cost this version writes:
// each of encrypt and decrypt must stay under a second. peak_rss_MiB is the
// process's peak resident memory so far, Argon2id's 256 MiB included.
#include "protected_picture.h"

#include <benchmark/benchmark.h>

#include <sys/resource.h>

namespace veltrin {
namespace {

using namespace protectedPicture;

// 12000 characters of three UTF-8 bytes each: the largest padded text.
const std::u16string text(12000, u'齄');
const std::u16string password = u"Zz9Zz9Zz9Zz9Zz9Zz9Zz";

void reportPeakMemory(benchmark::State &state)
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["peak_rss_MiB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
}

void BM_ProtectedEncrypt12000(benchmark::State &state)
{
    SystemRandomBytes random;
    for (auto _ : state) {
        const Sealed sealed = seal(text, password, random);
        if (sealed.failure != Failure::None)
            state.SkipWithError("the text was not sealed");
        benchmark::DoNotOptimize(sealed.image.rgb.data());
    }
    reportPeakMemory(state);
}
BENCHMARK(BM_ProtectedEncrypt12000)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ProtectedDecrypt12000(benchmark::State &state)
{
    SystemRandomBytes random;
    const Picture image = seal(text, password, random).image;
    for (auto _ : state) {
        const Opened opened = open(image, password);
        if (opened.text != text)
            state.SkipWithError("the picture did not decrypt to its text");
        benchmark::DoNotOptimize(opened.text.data());
    }
    reportPeakMemory(state);
}
BENCHMARK(BM_ProtectedDecrypt12000)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
} // namespace veltrin
