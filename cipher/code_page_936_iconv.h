// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>
#include <memory>

namespace veltrin {

// Code page 936 in both directions as glibc's iconv converts it, one
// character at a time. Slow (a few hundred thousand conversions), so only the
// build runs it, to write the tables the program carries (code_page_936_tables.h).
struct Cp936IconvTables
{
    // UTF-16 unit -> signed code, "?" where the code page lacks the character.
    std::array<std::int16_t, 0x10000> codes{};
    // Single byte / double-byte code -> UTF-16 unit, "?" where the bytes are
    // no single complete character.
    std::array<char16_t, 0x100> singleBytes{};
    std::array<char16_t, 0x10000> doubleBytes{};
};

// Throws std::runtime_error when iconv cannot convert code page 936.
std::unique_ptr<Cp936IconvTables> tabulateCp936WithIconv();

// Writes the tables as C++ source defining those of code_page_936_tables.h;
// returns the process's exit status.
int writeCp936TablesSource(int argc, char **argv);

} // namespace veltrin
