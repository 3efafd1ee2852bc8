// SPDX-License-Identifier: GPL-3.0-or-later
#include "random_source.h"

#include <chrono>

namespace veltrin {

void SystemRandomSource::seedFromTimer()
{
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    engine_.seed(static_cast<std::uint64_t>(
        std::chrono::duration_cast<std::chrono::nanoseconds>(now).count()));
}

double SystemRandomSource::next()
{
    // 53 random bits: every value is exact and strictly below 1.
    return static_cast<double>(engine_() >> 11) * 0x1.0p-53;
}

} // namespace veltrin
