// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>

// Code page 936 as constant tables, written at build time from iconv's answers
// (make_code_page_936), so that no program run pays for tabulating it.
namespace veltrin::cp936 {

extern const std::array<std::int16_t, 0x10000> codes;
extern const std::array<char16_t, 0x100> singleBytes;
extern const std::array<char16_t, 0x10000> doubleBytes;

} // namespace veltrin::cp936
