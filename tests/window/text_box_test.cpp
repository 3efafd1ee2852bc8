// SPDX-License-Identifier: GPL-3.0-or-later
#include "controls.h"

#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QMimeData>
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

// Each way a text reaches the box from the user.
enum class Way { Typed, Pasted, InputMethod, Dropped };

void insert(MultiLineTextBox &box, Way way, const QString &text)
{
    switch (way) {
    case Way::Typed:
        // A key types a line break as Return.
        if (text == u"\n"_s || text == u"\r"_s)
            QTest::keyClick(&box, Qt::Key_Return);
        else
            QTest::sendKeyEvent(QTest::Click, &box, Qt::Key_unknown, text, Qt::NoModifier);
        break;
    case Way::Pasted:
        QApplication::clipboard()->setText(text);
        box.paste();
        break;
    case Way::InputMethod: {
        QInputMethodEvent event;
        event.setCommitString(text);
        QCoreApplication::sendEvent(&box, &event);
        break;
    }
    case Way::Dropped: {
        QMimeData data;
        data.setText(text);
        const QPoint at(5, 5);
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(box.viewport(), &enter);
        QDragMoveEvent move(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(box.viewport(), &move);
        QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(box.viewport(), &drop);
        break;
    }
    }
}

std::string wayName(Way way)
{
    switch (way) {
    case Way::Typed:
        return "Typed";
    case Way::Pasted:
        return "Pasted";
    case Way::InputMethod:
        return "InputMethod";
    case Way::Dropped:
        return "Dropped";
    }
    return {};
}

struct Separator
{
    const char *name;
    QString text;
};

const Separator separators[] = {
    {"Lf", u"\n"_s},
    {"Cr", u"\r"_s},
    {"CrLf", u"\r\n"_s},
    {"LineSeparator", QString(QChar::LineSeparator)},
    {"ParagraphSeparator", QString(QChar::ParagraphSeparator)},
    {"BeginningOfFrame", QString(QChar(0xFDD0))},
    {"EndOfFrame", QString(QChar(0xFDD1))},
};

class LineBreakAtTheLimit : public ::testing::TestWithParam<std::tuple<Way, Separator>>
{};

TEST_P(LineBreakAtTheLimit, TakesTwoCharactersOfRoomWhateverWayItArrives)
{
    const auto &[way, separator] = GetParam();
    if (way == Way::Typed && (separator.text.size() > 1 || !separator.text.at(0).isPrint()))
        GTEST_SKIP() << "no key types it";
    for (const int before : {11998, 11999}) {
        SCOPED_TRACE(before);
        MultiLineTextBox box;
        box.setMaxLength(12000);
        box.show();
        QApplication::clipboard()->setText(QString(before, u'a'));
        box.paste();
        box.moveCursor(QTextCursor::End);
        insert(box, way, separator.text);
        // A drop lands where the mouse is, so only what the box holds is compared.
        const QString held = box.Text();
        if (before == 11998) {
            EXPECT_EQ(held.size(), 12000);
            EXPECT_EQ(held.count(u"\r\n"_s), 1);
        } else {
            EXPECT_TRUE(held == QString(11999, u'a')) << "no room for CR LF";
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Text1, LineBreakAtTheLimit,
                         ::testing::Combine(::testing::Values(Way::Typed, Way::Pasted,
                                                              Way::InputMethod, Way::Dropped),
                                            ::testing::ValuesIn(separators)),
                         [](const auto &info) {
                             return wayName(std::get<0>(info.param)) + std::get<1>(info.param).name;
                         });

class WholeAtTheLimit : public ::testing::TestWithParam<Way>
{};

TEST_P(WholeAtTheLimit, WhatDoesNotFitIsLeftOutWhole)
{
    // A surrogate pair, and a letter with a combining mark, each two units.
    for (const QString &character : {u"😀"_s, u"e\u0301"_s}) {
        SCOPED_TRACE(character.toStdString());
        MultiLineTextBox box;
        box.setMaxLength(12000);
        box.show();
        QApplication::clipboard()->setText(QString(11999, u'a'));
        box.paste();
        box.moveCursor(QTextCursor::End);
        insert(box, GetParam(), character);
        EXPECT_TRUE(box.Text() == QString(11999, u'a')) << box.Text().size();
    }
}

INSTANTIATE_TEST_SUITE_P(Text1, WholeAtTheLimit,
                         ::testing::Values(Way::Typed, Way::Pasted, Way::InputMethod, Way::Dropped),
                         [](const auto &info) { return wayName(info.param); });

TEST(MultiLineText, AnEditOverAPlacedTextRemovesOnlyWhatTheUserRemoved)
{
    // Lone LF breaks count two each: the placed text counts 18000.
    const QString placed = u"a\n"_s.repeated(6000);
    MultiLineTextBox box;
    box.setMaxLength(12000);
    box.show();
    box.setText(placed);
    box.moveCursor(QTextCursor::End);
    QTest::keyClick(&box, Qt::Key_Backspace);
    const QString left = u"a\r\n"_s.repeated(5999) + u'a';
    EXPECT_TRUE(box.Text() == left) << box.Text().size();

    // Nothing may be added while it is over the limit; a selection may be
    // replaced by as much as it held.
    QTest::keyClick(&box, Qt::Key_Z);
    EXPECT_TRUE(box.Text() == left);
    box.moveCursor(QTextCursor::Left, QTextCursor::KeepAnchor);
    QTest::keyClick(&box, Qt::Key_Z);
    EXPECT_TRUE(box.Text() == left.chopped(1) + u'z');
}

TEST(MultiLineText, NoCharacterTakesMoreRoomThanItIsCountedFor)
{
    // A box with room for one character takes any single one but a line break.
    MultiLineTextBox box;
    box.setMaxLength(1);
    for (char32_t unit = 0; unit <= 0xFFFF; ++unit) {
        box.clear();
        QApplication::clipboard()->setText(QString(QChar(static_cast<char16_t>(unit))));
        box.paste();
        ASSERT_LE(box.Text().size(), 1) << std::hex << static_cast<unsigned>(unit);
    }
}

TEST(MultiLineText, PastedSeparatorsFillTheBoxExactly)
{
    MultiLineTextBox box;
    box.setMaxLength(12000);
    QApplication::clipboard()->setText(QString(12000, QChar::ParagraphSeparator));
    box.paste();
    EXPECT_EQ(box.Text().size(), 12000);
    EXPECT_EQ(box.Text(), QString(u"\r\n"_s).repeated(6000));
}

} // namespace
} // namespace veltrin::testing
