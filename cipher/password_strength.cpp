// SPDX-License-Identifier: GPL-3.0-or-later
#include "password_strength.h"

#ifndef VELTRIN_PASSWORD_LENGTH_RULE
#include <zxcvbn.h>
#endif

#include <algorithm>
#include <array>
#include <cmath>
#include <string>

namespace veltrin::passwordStrength {

namespace {

// Code points, not bytes: continuation bytes do not start a character.
int characters(std::string_view utf8)
{
    return static_cast<int>(std::count_if(utf8.begin(), utf8.end(), [](char byte) {
        return (static_cast<unsigned char>(byte) & 0xC0) != 0x80;
    }));
}

} // namespace

RoughTime roughTime(double seconds)
{
    if (!(seconds >= 0.5))
        return {true, 1, TimeUnit::Second};
    struct Step
    {
        TimeUnit unit;
        double seconds;
        long long intoNext; // how many make the next unit
    };
    constexpr std::array<Step, 5> steps{{
        {TimeUnit::Second, 1, 60},
        {TimeUnit::Minute, 60, 60},
        {TimeUnit::Hour, 3600, 24},
        {TimeUnit::Day, 86400, 365},
        {TimeUnit::Year, 365.25 * 86400, 0},
    }};
    std::size_t i = 0;
    while (i + 1 < steps.size() && seconds >= steps[i + 1].seconds)
        ++i;
    // A count that rounds up to the next unit is said in that unit ("1 hour",
    // not "60 minutes"); the clamp keeps the conversion defined.
    long long count = std::llround(std::min(seconds / steps[i].seconds, 1e15));
    if (i + 1 < steps.size() && count >= steps[i].intoNext) {
        ++i;
        count = 1;
    }
    return {false, std::max(count, 1LL), steps[i].unit};
}

Verdict judgeLength(std::string_view password)
{
    Verdict verdict;
    verdict.characters = characters(password);
    verdict.tooShort = verdict.characters < strongLength;
    verdict.weak = verdict.tooShort;
    return verdict;
}

bool estimatesGuesses()
{
#ifdef VELTRIN_PASSWORD_LENGTH_RULE
    return false;
#else
    return true;
#endif
}

Verdict judge(std::string_view password)
{
    Verdict verdict = judgeLength(password);
#ifndef VELTRIN_PASSWORD_LENGTH_RULE
    const std::string terminated(password);
    verdict.estimated = true;
    verdict.bits = ZxcvbnMatch(terminated.c_str(), nullptr, nullptr);
    verdict.weak = verdict.tooShort || verdict.bits < strongBits;
    verdict.timeToFind = roughTime(std::exp2(verdict.bits) / attackerGuessesPerSecond);
#endif
    return verdict;
}

} // namespace veltrin::passwordStrength
