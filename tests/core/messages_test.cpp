// SPDX-License-Identifier: GPL-3.0-or-later
#include "messages.h"

#include <gtest/gtest.h>

#include <string>

namespace veltrin::testing {
namespace {

using messages::format;

TEST(Messages, FillsNamedArgumentsOnceInAnyOrder)
{
    struct Case
    {
        std::u16string said;
        std::u16string expected;
    };
    const Case cases[] = {
        {format(u"{b} then {a}", {{u"a", u"1"}, {u"b", u"2"}}), u"2 then 1"},
        {format(u"{a}{a}", {{u"a", 7}}), u"77"},
        // A value is not read again: a file named "{b}" keeps its name.
        {format(u"open {a}: {b}", {{u"a", u"{b}"}, {u"b", u"gone"}}), u"open {b}: gone"},
        // Unknown or unclosed names stay as written.
        {format(u"{c} {a", {{u"a", u"x"}}), u"{c} {a"},
        {format(u"{{a}}", {{u"a", u"x"}}), u"{x}"},
        {format(u"", {{u"a", u"x"}}), u""},
        {format(u"{a}", {{u"a", -12LL}}), u"-12"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(c.said, c.expected);
}

TEST(Messages, EachLanguageHasItsOwnWords)
{
    EXPECT_EQ(messages::text(messages::cannotRead, messages::Language::English,
                             {{u"path", u"a.txt"}, {u"reason", u"gone"}}),
              u"cannot read a.txt: gone");
    EXPECT_EQ(messages::text(messages::cannotRead, messages::Language::Chinese,
                             {{u"path", u"a.txt"}, {u"reason", u"gone"}}),
              u"无法读取 a.txt：gone");
}

} // namespace
} // namespace veltrin::testing
