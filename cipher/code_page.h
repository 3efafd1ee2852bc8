// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace veltrin {

// Character codes of the ANSI code page: the signed 16-bit code of a character,
// 0..255 for a single-byte one and lead * 256 + trail - 65536 for a double-byte one.
class CodePage
{
public:
    virtual ~CodePage() = default;

    // The code of one UTF-16 unit; a character the code page lacks gives the
    // code of the default character "?", as the platform's conversion does.
    virtual std::int16_t code(char16_t ch) const = 0;

    // The codes of a whole text, one per UTF-16 unit.
    virtual std::vector<std::int16_t> codes(std::u16string_view text) const;

    // The character of a code: 0..255 single-byte, any other value of
    // -32768..65535 a 16-bit double-byte code (c and c + 65536 are the same).
    // Anything else is no character code: run-time error 5. A code that is no
    // complete character of the code page gives the default character "?".
    char16_t character(std::int32_t code) const;

protected:
    // bytes is 0..255 for a single byte, else the 16-bit double-byte code.
    virtual char16_t decode(std::uint16_t bytes, bool singleByte) const = 0;
};

// Code page 936 (GBK) as iconv converts it, whatever the machine's locale, so
// that a picture decodes the same everywhere. The tables are written at build
// time, so the first use costs nothing.
const CodePage &codePage936();

} // namespace veltrin
