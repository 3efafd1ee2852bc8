// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "runtime_error.h"

#include <cfenv>
#include <cmath>
#include <cstdint>

// Whole-number arithmetic in which every overflow is run-time error 6.
namespace veltrin::checked {

// Out of line, so that the arithmetic stays small enough to inline into the
// per-pixel loops, where WebAssembly's compilers otherwise keep a call.
[[noreturn, gnu::noinline, gnu::cold]] inline void overflowed()
{
    throw RuntimeError::overflow();
}

inline std::int32_t add(std::int32_t a, std::int32_t b)
{
    std::int32_t r;
    if (__builtin_add_overflow(a, b, &r))
        overflowed();
    return r;
}

inline std::int32_t sub(std::int32_t a, std::int32_t b)
{
    std::int32_t r;
    if (__builtin_sub_overflow(a, b, &r))
        overflowed();
    return r;
}

inline std::int32_t mul(std::int32_t a, std::int32_t b)
{
    std::int32_t r;
    if (__builtin_mul_overflow(a, b, &r))
        overflowed();
    return r;
}

namespace detail {
inline std::int32_t narrow(double whole)
{
    // NaN fails both comparisons and lands here too.
    if (!(whole >= -2147483648.0 && whole <= 2147483647.0))
        overflowed();
    return static_cast<std::int32_t>(whole);
}
} // namespace detail

// Nearest whole number, a tie going to the even one (1.5 -> 2, 2.5 -> 2).
inline std::int32_t roundHalfEven(double value)
{
    const double whole = value - std::remainder(value, 1.0);
    return detail::narrow(whole);
}

// The whole part, rounded down (towards minus infinity).
inline std::int32_t floorToInt(double value)
{
    return detail::narrow(std::floor(value));
}

} // namespace veltrin::checked
