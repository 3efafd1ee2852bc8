// SPDX-License-Identifier: GPL-3.0-or-later
#include "random_source.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <vector>

namespace veltrin {
namespace {

constexpr int kDraws = 200000;

std::vector<double> draw(RandomSource &source, int count)
{
    std::vector<double> values(static_cast<std::size_t>(count));
    for (double &u : values)
        u = source.next();
    return values;
}

TEST(SystemRandomSource, EveryDrawLiesInTheHalfOpenUnitInterval)
{
    SystemRandomSource unseeded;
    SystemRandomSource seeded;
    seeded.seedFromTimer();
    for (RandomSource *source :
         {static_cast<RandomSource *>(&unseeded), static_cast<RandomSource *>(&seeded)}) {
        const std::vector<double> values = draw(*source, kDraws);
        const auto [low, high] = std::minmax_element(values.begin(), values.end());
        EXPECT_GE(*low, 0.0);
        EXPECT_LT(*high, 1.0);
        // Both ends of the range are reached, so every factor can be drawn.
        EXPECT_LT(*low, 1e-3);
        EXPECT_GT(*high, 1.0 - 1e-3);
    }
}

TEST(SystemRandomSource, DrawsAreSpreadEvenly)
{
    // The unseeded engine is deterministic, so this check cannot flake.
    SystemRandomSource source;
    std::array<int, 10> buckets{};
    int aboveTwoThirds = 0;
    for (const double u : draw(source, kDraws)) {
        ++buckets[static_cast<std::size_t>(u * 10)];
        aboveTwoThirds += u > 2.0 / 3.0 ? 1 : 0;
    }
    for (const int count : buckets) {
        EXPECT_GT(count, kDraws / 10 * 95 / 100);
        EXPECT_LT(count, kDraws / 10 * 105 / 100);
    }
    // Factor B is 3 for about a third of the pictures.
    EXPECT_NEAR(aboveTwoThirds, kDraws / 3, kDraws / 100);
}

TEST(SystemRandomSource, SeedingChangesTheSequence)
{
    SystemRandomSource first;
    SystemRandomSource second;
    EXPECT_EQ(draw(first, 16), draw(second, 16)) << "same state, same sequence";

    SystemRandomSource seeded;
    seeded.seedFromTimer();
    SystemRandomSource unseeded;
    EXPECT_NE(draw(seeded, 16), draw(unseeded, 16));

    // Successive draws differ: the source is not stuck.
    const std::vector<double> values = draw(seeded, 1000);
    std::vector<double> sorted = values;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(std::unique(sorted.begin(), sorted.end()), sorted.end());
}

} // namespace
} // namespace veltrin
