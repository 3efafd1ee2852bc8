// SPDX-License-Identifier: GPL-3.0-or-later
#include "code_page.h"

#include "code_page_936_tables.h"
#include "runtime_error.h"

namespace veltrin {

std::vector<std::int16_t> CodePage::codes(std::u16string_view text) const
{
    std::vector<std::int16_t> result;
    result.reserve(static_cast<std::size_t>(text.size()));
    for (const char16_t ch : text)
        result.push_back(code(ch));
    return result;
}

char16_t CodePage::character(std::int32_t code) const
{
    if (code < -32768 || code > 65535)
        throw RuntimeError::invalidProcedureCall();
    if (code >= 0 && code <= 255)
        return decode(static_cast<std::uint16_t>(code), true);
    return decode(static_cast<std::uint16_t>(code & 0xFFFF), false);
}

namespace {

class Cp936 final : public CodePage
{
public:
    std::int16_t code(char16_t ch) const override { return cp936::codes[ch]; }
    // A text of 12000 units, without a virtual call per unit.
    std::vector<std::int16_t> codes(std::u16string_view text) const override
    {
        std::vector<std::int16_t> result(text.size());
        for (std::size_t i = 0; i < text.size(); ++i)
            result[i] = cp936::codes[text[i]];
        return result;
    }

protected:
    char16_t decode(std::uint16_t bytes, bool singleByte) const override
    {
        return singleByte ? cp936::singleBytes[bytes] : cp936::doubleBytes[bytes];
    }
};

} // namespace

const CodePage &codePage936()
{
    static const Cp936 table;
    return table;
}

} // namespace veltrin
