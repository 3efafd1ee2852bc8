// SPDX-License-Identifier: GPL-3.0-or-later
#include "utf8.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace veltrin::testing {
namespace {

std::optional<std::u16string> decoded(std::initializer_list<unsigned char> bytes)
{
    const std::vector<unsigned char> held(bytes);
    return utf8::decode(held);
}

TEST(Utf8, EncodesEveryLengthAndReplacesLoneSurrogates)
{
    struct Case
    {
        std::u16string text;
        std::string bytes;
    };
    const Case cases[] = {
        {u"a", "a"},
        {u"é", "\xC3\xA9"},
        {u"中", "\xE4\xB8\xAD"},
        {u"😀", "\xF0\x9F\x98\x80"},
        // Lists, not operator+: MinGW's GCC 12 reports a false -Werror=restrict there.
        {std::u16string{char16_t(0xD83D), u'x'}, "?x"},
        {std::u16string{u'x', char16_t(0xDE00)}, "x?"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(utf8::encode(c.text), c.bytes) << c.bytes;
}

TEST(Utf8, DecodesOnlyWellFormedBytes)
{
    EXPECT_EQ(decoded({0xEF, 0xBB, 0xBF, 'a'}), std::u16string(u"\uFEFFa")) << "a BOM is text";
    EXPECT_EQ(decoded({0xF0, 0x9F, 0x98, 0x80}), std::u16string(u"😀"));
    EXPECT_EQ(decoded({}), std::u16string());
    const std::vector<std::vector<unsigned char>> refused = {
        {0x80},                   // a continuation first
        {0xC0, 0x80},             // overlong NUL
        {0xE0, 0x80, 0x80},       // overlong
        {0xF0, 0x80, 0x80, 0x80}, // overlong
        {0xED, 0xA0, 0x80},       // an encoded surrogate
        {0xF4, 0x90, 0x80, 0x80}, // past U+10FFFF
        {0xE4, 0xB8},             // cut short
        {0xE4, 0x41, 0x80},       // not a continuation
        {0xFF},
    };
    for (const auto &bytes : refused)
        EXPECT_FALSE(utf8::decode(bytes)) << int(bytes[0]) << " +" << bytes.size() - 1;
}

TEST(Utf8, EveryCharacterComesBack)
{
    std::u16string all;
    for (char32_t ch = 1; ch < 0x10000; ++ch)
        if (ch < 0xD800 || ch > 0xDFFF)
            all.push_back(static_cast<char16_t>(ch));
    all += u"𠀀😀\U0010FFFF";
    const std::string bytes = utf8::encode(all);
    const auto back = utf8::decode(
        std::span(reinterpret_cast<const unsigned char *>(bytes.data()), bytes.size()));
    ASSERT_TRUE(back);
    EXPECT_TRUE(*back == all);
}

} // namespace
} // namespace veltrin::testing
