// SPDX-License-Identifier: GPL-3.0-or-later
#include "tick_counter.h"

#include <ctime>

namespace veltrin {

std::uint32_t SystemTickCounter::GetTickCount()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    const auto ms = static_cast<std::uint64_t>(ts.tv_sec) * 1000u +
                    static_cast<std::uint64_t>(ts.tv_nsec) / 1000000u;
    return static_cast<std::uint32_t>(ms);
}

} // namespace veltrin
