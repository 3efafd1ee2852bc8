// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace veltrin {

// The window's members that carry the cipher between and during clicks; all
// start at zero or empty when the window is created.
struct CipherMembers
{
    std::int32_t key = 0;
    std::int32_t keyIndex = 0;
    std::int32_t charIndex = 0;
    std::int32_t writeX = 0;
    std::int32_t writeY = 0;
    std::int32_t rowWidth = 0;
    std::int32_t factorA = 0;
    std::int32_t factorB = 0;
    std::int32_t readX = 0;
    std::int32_t readY = 0;
    std::int32_t readLength = 0;
    std::int32_t readFactorA = 0;
    std::int32_t readFactorB = 0;
    std::u16string decodedText;

    // key = the password's key; keyIndex ends past the last character, as the
    // summing loop leaves it.
    void setKey(std::span<const std::int16_t> passwordCodes);
};

} // namespace veltrin
