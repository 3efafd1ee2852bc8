// SPDX-License-Identifier: GPL-3.0-or-later
#include "form1_fixture.h"

#include <QGroupBox>

using namespace Qt::StringLiterals;

namespace veltrin::testing {
namespace {

QString counter(int count)
{
    return u"需要加密的内容/字数：%1/12000"_s.arg(count);
}

TEST_F(Form1Test, LoadSeedsTheRandomSourceAndHomesTheCursors)
{
    EXPECT_EQ(random.seeds, 1);
    EXPECT_EQ(form->members().writeX, 30);
    EXPECT_EQ(form->members().writeY, 0);
    EXPECT_EQ(form->members().readX, 30);
    EXPECT_EQ(form->members().readY, 0);
}

TEST_F(Form1Test, TabsSwitchPagesBordersAndSizes)
{
    struct Step
    {
        int tab;
        bool encryptShown;
    };
    for (const Step step :
         {Step{1, false}, Step{1, false}, Step{0, true}, Step{0, true}, Step{1, false}}) {
        clickTab(step.tab);
        SCOPED_TRACE(step.tab);
        EXPECT_EQ(control(u"Frame1(0)"_s)->isVisible(), step.encryptShown);
        EXPECT_EQ(control(u"Frame2(0)"_s)->isVisible(), !step.encryptShown);
        EXPECT_EQ(control(u"Label6"_s)->isVisible(), step.encryptShown);
        Label *encryptTab = label(u"Label2(0)"_s);
        Label *decryptTab = label(u"Label2(1)"_s);
        EXPECT_EQ(encryptTab->BorderStyle(), step.encryptShown ? 1 : 0);
        EXPECT_EQ(decryptTab->BorderStyle(), step.encryptShown ? 0 : 1);
        // The bordered tab is four pixels (60 twips) wider and higher.
        Label *bordered = step.encryptShown ? encryptTab : decryptTab;
        Label *plain = step.encryptShown ? decryptTab : encryptTab;
        EXPECT_EQ(bordered->size(), plain->size() + QSize(4, 4));
        EXPECT_EQ(plain->height(), 29);
    }
}

TEST_F(Form1Test, AnyOtherTabIndexShowsTheDecryptPage)
{
    form->Label2_Click(7);
    EXPECT_TRUE(control(u"Frame2(0)"_s)->isVisible());
    form->Label2_Click(-1);
    EXPECT_TRUE(control(u"Frame2(0)"_s)->isVisible());
}

TEST_F(Form1Test, SwitchingPagesKeepsTextsPicturesAndResult)
{
    text1()->setText(u"abc"_s);
    text3()->setText(u"pw"_s);
    click(u"Command3"_s);
    clickTab(1);
    clickTab(0);
    EXPECT_EQ(text1()->Text(), u"abc"_s);
    EXPECT_EQ(text3()->Text(), u"pw"_s);
    EXPECT_EQ(label(u"Label1"_s)->caption(), u"否"_s);
}

TEST_F(Form1Test, CounterFollowsTypedTextChineseAndLineBreaks)
{
    QGroupBox *frame = control<QGroupBox>(u"Frame1(2)"_s);
    text1()->setFocus();
    type(text1(), u"ab"_s);
    EXPECT_EQ(frame->title(), counter(2));
    type(text1(), u"加密码"_s);
    EXPECT_EQ(frame->title(), counter(5));
    QTest::keyClick(text1(), Qt::Key_Return);
    EXPECT_EQ(frame->title(), counter(7)) << "a line break is CR LF";
    EXPECT_EQ(text1()->Text(), u"ab加密码\r\n"_s);
    QTest::keyClick(text1(), Qt::Key_Backspace);
    EXPECT_EQ(frame->title(), counter(5));
    text1()->setText(QString());
    EXPECT_EQ(frame->title(), counter(0));
}

TEST_F(Form1Test, PasswordFilterKeepsLettersAndDigitsInOrder)
{
    struct Case
    {
        const char16_t *input;
        const char16_t *kept;
    };
    const Case cases[] = {
        {u"a中b", u"ab"},     {u"Az09 ,.!-_", u"Az09"},
        {u"１２ＡＢ3", u"3"}, // full-width letters and digits go
        {u"é€加x", u"x"},     {u"", u""},
    };
    for (SingleLineTextBox *box : {text3(), text4()}) {
        for (const Case &c : cases) {
            SCOPED_TRACE(QString::fromUtf16(c.input).toStdString());
            box->clear();
            box->setFocus();
            type(box, QString::fromUtf16(c.input));
            EXPECT_EQ(box->Text(), QString::fromUtf16(c.kept));
            box->clear();
            paste(box, QString::fromUtf16(c.input));
            EXPECT_EQ(box->Text(), QString::fromUtf16(c.kept));
        }
    }
}

TEST_F(Form1Test, CaretStaysAmongTheKeptCharacters)
{
    text3()->setFocus();
    type(text3(), u"abcd"_s);
    text3()->setCursorPosition(2);
    type(text3(), u"中"_s);
    EXPECT_EQ(text3()->Text(), u"abcd"_s);
    EXPECT_EQ(text3()->cursorPosition(), 2);
    type(text3(), u"X"_s);
    EXPECT_EQ(text3()->Text(), u"abXcd"_s);
}

TEST_F(Form1Test, FilteredBoxRaisesNoEndlessChanges)
{
    int changes = 0;
    QObject::connect(text3(), &QLineEdit::textChanged, form.get(), [&] { ++changes; });
    text3()->setText(u"a b"_s);
    EXPECT_EQ(text3()->Text(), u"ab"_s);
    EXPECT_EQ(changes, 2) << "the typed text, then the filtered one";
    changes = 0;
    text3()->setText(u"ab"_s);
    EXPECT_EQ(changes, 0);
}

TEST_F(Form1Test, CompareAnswersYesOrNo)
{
    struct Case
    {
        QString one, two, answer;
    };
    const Case cases[] = {
        {u""_s, u""_s, u"是"_s},
        {u"abc"_s, u"abc"_s, u"是"_s},
        {u"abc"_s, u"aBc"_s, u"否"_s},
        {u"abc"_s, u"abc "_s, u"否"_s},
        {u"a\r\nb"_s, u"a\r\nb"_s, u"是"_s},
        {u"加密"_s, u"加"_s, u"否"_s},
    };
    for (const Case &c : cases) {
        text1()->setText(c.one);
        text2()->setText(c.two);
        click(u"Command3"_s);
        EXPECT_EQ(label(u"Label1"_s)->caption(), c.answer) << c.one.toStdString();
    }
    // The answer stays until the next click, and the label takes its size.
    text2()->setText(u"other"_s);
    EXPECT_EQ(label(u"Label1"_s)->caption(), u"否"_s);
    EXPECT_EQ(label(u"Label1"_s)->height(), 12);
}

TEST_F(Form1Test, InputStopsAtTheMaximumLength)
{
    // Typing and pasting, each into a box that is nearly full.
    text1()->setText(QString(11998, u'x'));
    text1()->setFocus();
    text1()->moveCursor(QTextCursor::End);
    type(text1(), u"abc"_s);
    EXPECT_EQ(text1()->Text().size(), 12000);
    EXPECT_TRUE(text1()->Text().endsWith(u"xab"_s));

    text1()->setText(QString(11999, u'x'));
    text1()->moveCursor(QTextCursor::End);
    QTest::keyClick(text1(), Qt::Key_Return);
    EXPECT_EQ(text1()->Text().size(), 11999) << "a line break needs two characters of room";

    text1()->setText(QString(11990, u'x'));
    text1()->moveCursor(QTextCursor::End);
    paste(text1(), u"0123\r\n456789"_s);
    EXPECT_EQ(text1()->Text(), QString(11990, u'x') + u"0123\r\n4567"_s);

    // Pasting over a selection frees the selection's room first.
    text1()->selectAll();
    paste(text1(), QString(13000, u'y'));
    EXPECT_EQ(text1()->Text(), QString(12000, u'y'));

    for (SingleLineTextBox *box : {text3(), text4()}) {
        box->setFocus();
        type(box, QString(25, u'k'));
        EXPECT_EQ(box->Text(), QString(20, u'k'));
        box->clear();
        paste(box, QString(30, u'7'));
        EXPECT_EQ(box->Text(), QString(20, u'7'));
    }
}

TEST_F(Form1Test, PastedSeparatorsFillText1AndDecryptBack)
{
    for (const QChar separator : {QChar::ParagraphSeparator, QChar::LineSeparator}) {
        text1()->clear();
        paste(text1(), QString(12000, separator));
        EXPECT_EQ(control<QGroupBox>(u"Frame1(2)"_s)->title(), counter(12000));
        click(u"Command1"_s);
        clickTab(1);
        click(u"Command2"_s);
        EXPECT_EQ(text2()->Text(), QString(u"\r\n"_s).repeated(6000));
        EXPECT_TRUE(messages.shown.empty());
        clickTab(0);
    }
}

struct RoundTrip
{
    QString text;
    QString password;
};

class Form1RoundTrip : public Form1Test, public ::testing::WithParamInterface<RoundTrip>
{};

TEST_P(Form1RoundTrip, EncryptThenDecryptTheUnsavedPicture)
{
    const RoundTrip &trip = GetParam();
    text1()->setText(trip.text);
    text3()->setText(trip.password);
    click(u"Command1"_s);
    EXPECT_TRUE(control(u"Frame1(0)"_s)->isEnabled());
    EXPECT_TRUE(control(u"Label2(1)"_s)->isEnabled());

    clickTab(1);
    text4()->setText(trip.password);
    click(u"Command2"_s);
    EXPECT_EQ(text2()->Text(), trip.text);
    clickTab(0);
    click(u"Command3"_s);
    EXPECT_EQ(label(u"Label1"_s)->caption(), u"是"_s);
    EXPECT_TRUE(messages.shown.empty());
}

INSTANTIATE_TEST_SUITE_P(
    TextsAndPasswords, Form1RoundTrip,
    ::testing::Values(RoundTrip{u"Hello"_s, u""_s}, RoundTrip{u"Hello"_s, u"Secret42"_s},
                      RoundTrip{u"密文测试，第一行\r\n第二行 with ASCII"_s, u""_s},
                      RoundTrip{u"lone\rCR, lone\nLF\n\r"_s, u"k"_s},
                      RoundTrip{u"密文测试，第一行\r\n第二行 with ASCII"_s, u"zZ09"_s},
                      RoundTrip{u"abc"_s, u"abcdefghijklmnopqrst"_s},
                      RoundTrip{QString(12000, u'龍'), u"pw"_s}));

TEST_F(Form1Test, WrongPasswordReportsTheErrorAndTheWindowGoesOn)
{
    text1()->setText(u"A message of some length, 有中文。"_s);
    text3()->setText(u"right"_s);
    click(u"Command1"_s);
    clickTab(1);
    text2()->setText(u"earlier output"_s);

    text4()->setText(u"wrong"_s);
    click(u"Command2"_s);
    ASSERT_EQ(messages.shown.size(), 1u);
    const ShownMessage &shown = messages.shown.front();
    EXPECT_TRUE(shown.text.contains(u"'5'"_s) || shown.text.contains(u"'6'"_s))
        << shown.text.toStdString();
    EXPECT_EQ(shown.caption, u"Veltrin"_s);
    EXPECT_EQ(text2()->Text(), u"earlier output"_s);
    EXPECT_TRUE(control(u"Frame2(0)"_s)->isEnabled());
    EXPECT_TRUE(control(u"Label2(0)"_s)->isEnabled());
    EXPECT_EQ(form->members().readX, 30);
    EXPECT_EQ(form->members().readY, 0);
    EXPECT_TRUE(form->members().decodedText.empty());

    text4()->setText(u"right"_s);
    click(u"Command2"_s);
    EXPECT_EQ(text2()->Text(), u"A message of some length, 有中文。"_s);
    EXPECT_EQ(messages.shown.size(), 1u);
}

TEST_F(Form1Test, BlankPicturesAndEmptyTexts)
{
    // Nothing drawn yet: the white work surface decrypts to nothing, silently.
    clickTab(1);
    text2()->setText(u"kept"_s);
    click(u"Command2"_s);
    click(u"Command6"_s);
    EXPECT_EQ(text2()->Text(), u"kept"_s);
    EXPECT_TRUE(messages.shown.empty());

    // With a password the white cell is no blank: the factors overflow.
    text4()->setText(u"x"_s);
    click(u"Command2"_s);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_TRUE(messages.shown.front().text.contains(u"'6'"_s));
    EXPECT_EQ(text2()->Text(), u"kept"_s);

    // An empty text encrypts nothing and draws no random number.
    clickTab(0);
    const std::size_t before = random.remaining();
    click(u"Command1"_s);
    EXPECT_EQ(random.remaining(), before);
}

} // namespace
} // namespace veltrin::testing
