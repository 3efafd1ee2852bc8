// SPDX-License-Identifier: GPL-3.0-or-later
#include "code_page.h"
#ifdef VELTRIN_HAVE_ICONV
#include "code_page_936_iconv.h"
#endif
#include "runtime_error.h"

#include <gtest/gtest.h>

#include <limits>
#include <ostream>
#include <vector>

namespace veltrin {
namespace {

constexpr std::int16_t kQuestionMark = 63;

const CodePage &cp()
{
    return codePage936();
}

struct CodeCase
{
    char16_t ch;
    std::int16_t code;
};

std::ostream &operator<<(std::ostream &os, const CodeCase &c)
{
    return os << "U+" << std::hex << std::uppercase << static_cast<unsigned>(c.ch) << std::dec
              << " -> " << c.code;
}

class CharacterToCode : public ::testing::TestWithParam<CodeCase>
{};

TEST_P(CharacterToCode, GivesTheSignedAnsiCode)
{
    EXPECT_EQ(cp().code(GetParam().ch), GetParam().code);
}

INSTANTIATE_TEST_SUITE_P(
    Cp936, CharacterToCode,
    ::testing::Values(CodeCase{u'\0', 0}, CodeCase{u'\n', 10}, CodeCase{u'\r', 13},
                      CodeCase{u' ', 32}, CodeCase{u'0', 48}, CodeCase{u'A', 65},
                      CodeCase{u'a', 97}, CodeCase{u'z', 122}, CodeCase{u'~', 126},
                      CodeCase{u'\x7f', 127}, CodeCase{u'?', kQuestionMark}, CodeCase{u'€', 128},
                      CodeCase{u'加', -17197},         // BC D3
                      CodeCase{u'啊', -20319},         // B0 A1
                      CodeCase{u'丂', 0x8140 - 65536}, // the lowest double-byte code
                      CodeCase{u'é', 0xA8A6 - 65536},  // Latin, double-byte in GBK
                      CodeCase{u'密', 0xC3DC - 65536},
                      // What the code page lacks becomes the default character.
                      CodeCase{u'ก', kQuestionMark},      // Thai
                      CodeCase{u'\xD83D', kQuestionMark}, // lone high surrogate
                      CodeCase{u'\xDE00', kQuestionMark}, // lone low surrogate
                      CodeCase{u'\xFFFF', kQuestionMark}));

struct CharacterCase
{
    std::int32_t code;
    char16_t ch;
};

std::ostream &operator<<(std::ostream &os, const CharacterCase &c)
{
    return os << c.code << " -> U+" << std::hex << std::uppercase << static_cast<unsigned>(c.ch);
}

class CodeToCharacter : public ::testing::TestWithParam<CharacterCase>
{};

TEST_P(CodeToCharacter, GivesTheCharacterOfTheCode)
{
    EXPECT_EQ(cp().character(GetParam().code), GetParam().ch);
}

INSTANTIATE_TEST_SUITE_P(
    Cp936, CodeToCharacter,
    ::testing::Values(CharacterCase{0, u'\0'}, CharacterCase{10, u'\n'}, CharacterCase{13, u'\r'},
                      CharacterCase{97, u'a'}, CharacterCase{127, u'\x7f'},
                      CharacterCase{128, u'€'}, CharacterCase{-17197, u'加'},
                      CharacterCase{-17197 + 65536, u'加'}, CharacterCase{-20319, u'啊'},
                      CharacterCase{-20319 + 65536, u'啊'}, CharacterCase{-32448, u'丂'},
                      // No complete character of the code page: the default character.
                      CharacterCase{0x81, u'?'},              // a lone lead byte
                      CharacterCase{256, u'?'},               // bytes 01 00
                      CharacterCase{0x4142, u'?'},            // two single-byte characters
                      CharacterCase{0x81 * 256 + 0x20, u'?'}, // lead byte, invalid trail
                      CharacterCase{-32768, u'?'},            // lead byte 80
                      CharacterCase{65535, u'?'}));           // lead byte FF

struct RangeCase
{
    std::int32_t code;
    bool valid;
};

std::ostream &operator<<(std::ostream &os, const RangeCase &c)
{
    return os << c.code;
}

class CharacterRange : public ::testing::TestWithParam<RangeCase>
{};

TEST_P(CharacterRange, OutsideTheSixteenBitRangeIsError5)
{
    const RangeCase c = GetParam();
    if (c.valid) {
        EXPECT_NO_THROW(cp().character(c.code));
        return;
    }
    try {
        cp().character(c.code);
        ADD_FAILURE() << "expected run-time error 5";
    } catch (const RuntimeError &error) {
        EXPECT_EQ(error.number(), 5);
    }
}

INSTANTIATE_TEST_SUITE_P(Edges, CharacterRange,
                         ::testing::Values(RangeCase{-32768, true}, RangeCase{-32769, false},
                                           RangeCase{65535, true}, RangeCase{65536, false},
                                           RangeCase{-1, true}, RangeCase{255, true},
                                           RangeCase{256, true}, RangeCase{-1000001, false},
                                           RangeCase{15777215, false},
                                           RangeCase{std::numeric_limits<int>::min(), false},
                                           RangeCase{std::numeric_limits<int>::max(), false}));

TEST(CodePage936, CodesOfATextOnePerUtf16Unit)
{
    const std::u16string text = u"a加\r\n€ \U0001F600";
    const std::vector<std::int16_t> expected{97, -17197, 13, 10, 128, 32, 63, 63};
    EXPECT_EQ(cp().codes(text), expected);
    EXPECT_TRUE(cp().codes(u"").empty());
}

TEST(CodePage936, EveryDoubleByteCharacterRoundTrips)
{
    int characters = 0;
    for (std::int32_t code = -32768; code < 0; ++code) {
        const char16_t ch = cp().character(code);
        if (ch == u'?')
            continue;
        ++characters;
        ASSERT_EQ(cp().code(ch), code) << "U+" << std::hex << unsigned{ch};
        ASSERT_EQ(cp().character(code + 65536), ch) << code;
    }
    // GB 2312 alone has 7445; GBK's extensions bring iconv's table past 21700.
    EXPECT_GE(characters, 21700);
}

TEST(CodePage936, EverySingleByteCharacterRoundTrips)
{
    for (std::int32_t code = 0; code <= 128; ++code) {
        const char16_t ch = cp().character(code);
        ASSERT_TRUE(ch != u'?' || code == kQuestionMark) << code;
        EXPECT_EQ(cp().code(ch), code);
    }
}

TEST(CodePage936, EveryRepresentableUnicodeCharacterComesBack)
{
    // A character that has a code must come back from that code: a text of
    // such characters survives a picture unchanged.
    int representable = 0;
    for (std::uint32_t u = 0; u <= 0xFFFF; ++u) {
        const auto ch = static_cast<char16_t>(u);
        const std::int16_t code = cp().code(ch);
        if (code == kQuestionMark && ch != u'?')
            continue;
        ++representable;
        EXPECT_TRUE(code <= 128 || code < 0) << "U+" << std::hex << u << " -> " << std::dec << code;
        EXPECT_EQ(cp().character(code), ch)
            << "U+" << std::hex << u << " -> code " << std::dec << code;
    }
    EXPECT_GE(representable, 21700 + 129);
}

// Windows and the browser have no iconv: a cross build carries the tables its
// build machine wrote, and checks there.
#ifdef VELTRIN_HAVE_ICONV
TEST(CodePage936, AnswersAsIconvDoesNow)
{
    // The tables were written when the program was built; a fault in writing
    // or reading them back shows here as a difference from a fresh tabulation.
    const auto now = tabulateCp936WithIconv();
    for (std::uint32_t u = 0; u <= 0xFFFF; ++u)
        ASSERT_EQ(cp().code(static_cast<char16_t>(u)), now->codes[u]) << "U+" << std::hex << u;
    for (std::int32_t b = 0; b <= 0xFF; ++b)
        ASSERT_EQ(cp().character(b), now->singleBytes[b]) << b;
    // Codes 0..255 are single bytes, so the double-byte table starts at 256.
    for (std::int32_t w = 0x100; w <= 0xFFFF; ++w)
        ASSERT_EQ(cp().character(w), now->doubleBytes[w]) << w;
}
#endif

} // namespace
} // namespace veltrin
