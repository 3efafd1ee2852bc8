// SPDX-License-Identifier: GPL-3.0-or-later
#include "password_strength.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>

namespace veltrin::passwordStrength {
namespace {

struct Known
{
    const char *password; // UTF-8
    bool weak;
    bool tooShort;
    std::optional<TimeUnit> foundWithin; // for a weak one: the largest unit its time may take
};

// Known answers of the kind an attacker tries first, not zxcvbn's own tables.
TEST(PasswordStrength, KnownPasswordsGetTheirVerdict)
{
    if (!estimatesGuesses())
        GTEST_SKIP() << "this build judges by length alone";
    const Known known[] = {
        {"password", true, false, TimeUnit::Second},   // a common word
        {"qwertyuiop", true, false, TimeUnit::Minute}, // a keyboard walk
        {"19841225", true, false, TimeUnit::Hour},     // a date
        {"Pass1234", true, false, TimeUnit::Minute},   // a word and a run of digits
        {"xK8mQ2z", true, true, std::nullopt},         // random, but short
        {"\xE5\xAF\x86\xE7\xA0\x81\xE5\xAF\x86\xE7\xA0\x81\xE5\xAF\x86\xE7\xA0\x81\xE5\xAF\x86",
         true, true, std::nullopt},               // 密码密码密码密: 7 characters in 21 bytes
        {"Xk8Mq2Lp", false, false, std::nullopt}, // 8 random letters and digits
        {"7hQm2Xw9Rk4Lp8Zs3Tn6", false, false, std::nullopt}, // 20 of them
    };
    for (const Known &k : known) {
        const Verdict verdict = judge(k.password);
        EXPECT_EQ(verdict.weak, k.weak) << k.password << ": " << verdict.bits << " bits";
        EXPECT_EQ(verdict.tooShort, k.tooShort) << k.password;
        if (k.foundWithin) {
            EXPECT_TRUE(verdict.timeToFind.underASecond ||
                        verdict.timeToFind.unit <= *k.foundWithin)
                << k.password << ": " << verdict.bits << " bits";
        }
    }
}

// The rule the Windows build and the browser page judge by: characters, not
// bytes, and nothing but their number.
TEST(PasswordStrength, TheLengthRuleCountsCharacters)
{
    const std::pair<const char *, int> cases[] = {
        {"", 0},
        {"xK8mQ2z", 7},
        {"password", 8}, // common, but long enough for this rule
        {"\xE5\xAF\x86\xE7\xA0\x81\xE5\xAF\x86\xE7\xA0\x81\xE5\xAF\x86\xE7\xA0\x81\xE5\xAF\x86",
         7}, // 密码密码密码密
        {"\xF0\x9F\x94\x91\xF0\x9F\x94\x91"
         "abcdef",
         8}, // 🔑🔑abcdef
    };
    for (const auto &[password, characters] : cases) {
        const Verdict verdict = estimatesGuesses() ? judgeLength(password) : judge(password);
        EXPECT_EQ(verdict.characters, characters) << password;
        EXPECT_EQ(verdict.weak, characters < 8) << password;
        EXPECT_FALSE(verdict.estimated);
    }
}

TEST(PasswordStrength, RoughTimesAreSaidInTheLargestWholeUnit)
{
    struct Case
    {
        double seconds;
        RoughTime said;
    };
    const Case cases[] = {
        {0, {true, 1, TimeUnit::Second}},
        {0.49, {true, 1, TimeUnit::Second}},
        {NAN, {true, 1, TimeUnit::Second}},
        {1, {false, 1, TimeUnit::Second}},
        {59.4, {false, 59, TimeUnit::Second}},
        {59.6, {false, 1, TimeUnit::Minute}}, // not "60 seconds"
        {90, {false, 2, TimeUnit::Minute}},
        {3599, {false, 1, TimeUnit::Hour}},
        {5 * 3600, {false, 5, TimeUnit::Hour}},
        {2.2 * 86400, {false, 2, TimeUnit::Day}},
        {364.8 * 86400, {false, 1, TimeUnit::Year}},
        {1e40, {false, 1'000'000'000'000'000, TimeUnit::Year}}, // clamped, still defined
    };
    for (const Case &c : cases)
        EXPECT_EQ(roughTime(c.seconds), c.said) << c.seconds;
}

} // namespace
} // namespace veltrin::passwordStrength
