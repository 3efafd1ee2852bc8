// SPDX-License-Identifier: GPL-3.0-or-later
#include "reed_solomon.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>

namespace veltrin::testing {
namespace {

using namespace reedSolomon;

// Horner's rule on a polynomial with its highest power first.
std::uint8_t evaluate(const std::vector<std::uint8_t> &poly, std::uint8_t x)
{
    std::uint8_t y = 0;
    for (std::uint8_t c : poly)
        y = multiply(y, x) ^ c;
    return y;
}

TEST(ReedSolomon, GeneratorVanishesOnExactlyItsRoots)
{
    for (int parity : {2, 10, 16, 48, 160}) {
        const std::vector<std::uint8_t> g = generator(parity);
        ASSERT_EQ(g.size(), std::size_t(parity) + 1);
        EXPECT_EQ(g.front(), 1);
        for (int i = 0; i < 255; ++i)
            EXPECT_EQ(evaluate(g, power(i)) == 0, i < parity) << parity << " " << i;
    }
}

TEST(ReedSolomon, QrVersionOneMediumCodewords)
{
    // "HELLO WORLD" as 1-M: the data and error-correction codewords the QR
    // standard's worked example gives.
    const std::vector<std::uint8_t> data = {32, 91, 11,  120, 209, 114, 220, 77,
                                            67, 64, 236, 17,  236, 17,  236, 17};
    const std::vector<std::uint8_t> expected = {196, 35, 39, 119, 235, 215, 231, 226, 93, 23};
    EXPECT_EQ(parity(data, 10), expected);
}

struct Damage
{
    int dataBytes;
    int parityBytes;
    int errors;
    bool mends;
    int erased = 0; // of the wrong bytes, how many the reader names
};

class ReedSolomonDamage : public ::testing::TestWithParam<Damage>
{};

TEST_P(ReedSolomonDamage, MendsUpToHalfTheParity)
{
    const Damage damage = GetParam();
    std::mt19937 random(static_cast<unsigned>(damage.dataBytes * 1000 + damage.errors));
    for (int trial = 0; trial < 50; ++trial) {
        std::vector<std::uint8_t> codeword(std::size_t(damage.dataBytes));
        for (auto &byte : codeword)
            byte = static_cast<std::uint8_t>(random());
        const auto check = parity(codeword, damage.parityBytes);
        codeword.insert(codeword.end(), check.begin(), check.end());
        for (int i = 0; i < damage.parityBytes; ++i)
            ASSERT_EQ(evaluate(codeword, power(i)), 0);

        std::vector<std::uint8_t> received = codeword;
        std::vector<int> positions(codeword.size());
        std::iota(positions.begin(), positions.end(), 0);
        std::shuffle(positions.begin(), positions.end(), random);
        for (int e = 0; e < damage.errors; ++e)
            received[std::size_t(positions[std::size_t(e)])] ^=
                static_cast<std::uint8_t>(1 + random() % 255);
        const std::vector<std::uint8_t> before = received;
        const std::vector<int> erasures(positions.begin(), positions.begin() + damage.erased);
        const bool mended = correct(received, damage.parityBytes, erasures);
        if (damage.mends) {
            ASSERT_TRUE(mended) << trial;
            EXPECT_EQ(received, codeword) << trial;
        } else if (mended) {
            // Beyond the budget a miscorrection can land on another codeword,
            // never on a word that is none.
            for (int i = 0; i < damage.parityBytes; ++i)
                EXPECT_EQ(evaluate(received, power(i)), 0);
        } else {
            EXPECT_EQ(received, before);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Budgets, ReedSolomonDamage,
                         ::testing::Values(Damage{16, 10, 0, true}, Damage{16, 10, 1, true},
                                           Damage{16, 10, 5, true}, Damage{16, 10, 6, false},
                                           Damage{207, 48, 24, true}, Damage{95, 160, 80, true},
                                           Damage{95, 160, 81, false}, Damage{1, 2, 1, true},
                                           // An erasure costs one parity byte, an error two.
                                           Damage{16, 10, 10, true, 10}, Damage{16, 10, 7, true, 4},
                                           Damage{207, 48, 40, true, 32},
                                           Damage{16, 10, 7, false, 3}));

TEST(ReedSolomon, RefusesShapesNoCodewordHas)
{
    std::vector<std::uint8_t> tooLong(256, 0), allParity(10, 1);
    EXPECT_FALSE(correct(tooLong, 10));
    EXPECT_FALSE(correct(allParity, 10));
}

} // namespace
} // namespace veltrin::testing
