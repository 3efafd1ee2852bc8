// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

namespace veltrin {

// Milliseconds since the system started, as an unsigned 32-bit count that wraps.
class TickCounter
{
public:
    virtual ~TickCounter() = default;
    virtual std::uint32_t GetTickCount() = 0;
};

class SystemTickCounter final : public TickCounter
{
public:
    std::uint32_t GetTickCount() override;
};

} // namespace veltrin
