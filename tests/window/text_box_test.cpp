// SPDX-License-Identifier: GPL-3.0-or-later
#include "controls.h"

#include <QTest>
#include <QTextBlock>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace veltrin::testing {
namespace {

struct Assigned
{
    const char *name;
    QString text;
    int lines; // as shown
};

class MultiLineText : public ::testing::TestWithParam<Assigned>
{};

TEST_P(MultiLineText, ComesBackExactlyUntilTheUserEditsIt)
{
    const Assigned &c = GetParam();
    MultiLineTextBox box;
    box.setMaxLength(12000);
    box.show();
    box.setText(c.text);
    EXPECT_EQ(box.Text(), c.text);
    EXPECT_EQ(box.document()->blockCount(), c.lines) << "each kind of line break shows as one";

    // Once the user types, the box holds what it shows, breaks as CR LF.
    box.moveCursor(QTextCursor::End);
    QTest::keyClick(&box, Qt::Key_Z);
    QString typed = c.text;
    typed.replace(u"\r\n"_s, u"\n"_s).replace(u'\r', u'\n').replace(u"\n"_s, u"\r\n"_s);
    EXPECT_EQ(box.Text(), typed + u'z');
}

INSTANTIATE_TEST_SUITE_P(Text2, MultiLineText,
                         ::testing::Values(Assigned{"LoneCr", u"a\rb"_s, 2},
                                           Assigned{"LoneLf", u"a\nb"_s, 2},
                                           Assigned{"CrLf", u"a\r\nb"_s, 2},
                                           Assigned{"EveryKind", u"\n\r\r\n\n\r中"_s, 6},
                                           Assigned{"LfCr", u"x\n\ry"_s, 3},
                                           Assigned{"None", u"加密"_s, 1}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(MultiLineText, ChangeEventInsideSetTextReadsTheNewText)
{
    MultiLineTextBox box;
    QString seen;
    QObject::connect(&box, &QPlainTextEdit::textChanged, [&] { seen = box.Text(); });
    box.setText(u"one\rtwo"_s);
    EXPECT_EQ(seen, u"one\rtwo"_s);
}

} // namespace
} // namespace veltrin::testing
