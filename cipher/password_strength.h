// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string_view>

// Plain C++ on purpose: the window and veltrin-cli share this verdict, and a
// core without Qt can keep it.
namespace veltrin::passwordStrength {

// The attacker the time is told against: each guess costs one Argon2id run at
// the cost protected pictures are written with, a median 0.52 s of one core in
// veltrin_bench_protected, so 100 guesses a second take about 50 cores.
inline constexpr double attackerGuessesPerSecond = 100;
inline constexpr int attackerCores = 50;
// Below either one a password is weak. Short passwords stay weak however
// random they look: an attacker with more cores than the model's soon catches up.
inline constexpr double strongBits = 40; // log2 of the guesses
inline constexpr int strongLength = 8;   // characters

enum class TimeUnit { Second, Minute, Hour, Day, Year };

// A duration rounded as people say it: "about 3 hours".
struct RoughTime
{
    bool underASecond = false;
    long long count = 0;
    TimeUnit unit = TimeUnit::Second;
    bool operator==(const RoughTime &) const = default;
};
RoughTime roughTime(double seconds);

struct Verdict
{
    bool weak = true;
    bool tooShort = true;
    int characters = 0;
    // Whether bits and timeToFind hold an estimate; without one only the
    // length was judged.
    bool estimated = false;
    double bits = 0;      // zxcvbn's estimate: log2 of the guesses an attacker needs
    RoughTime timeToFind; // at attackerGuessesPerSecond
};

// The estimate of zxcvbn-c, with its word lists, where the build has it; the
// Windows build has no source of zxcvbn-c to compile and judges as the
// browser page does (judgeLength). `password` is UTF-8.
Verdict judge(std::string_view password);

// The plain rule: weak under strongLength characters, whatever they are.
Verdict judgeLength(std::string_view password);

// Whether judge() estimates the guesses, or applies the plain rule alone.
bool estimatesGuesses();

} // namespace veltrin::passwordStrength
