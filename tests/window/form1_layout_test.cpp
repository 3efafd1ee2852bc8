// SPDX-License-Identifier: GPL-3.0-or-later
#include "form1_fixture.h"

#include <QGroupBox>

using namespace Qt::StringLiterals;

namespace veltrin::testing {
namespace {

struct ControlPlace
{
    const char16_t *name;
    const char16_t *container;
    int left, top, width, height; // twips
    int tabIndex;                 // -1: none
    bool autoSize;                // the size follows the caption in the font at hand
};

// The layout in twips, in creation order.
const ControlPlace layout[] = {
    {u"Frame1(0)", u"Form1", 1200, 240, 4335, 5175, 0, false},
    {u"Frame1(1)", u"Frame1(0)", 120, 240, 4095, 1335, 6, false},
    {u"Picture3", u"Frame1(1)", 120, 240, 2535, 975, 25, false},
    {u"Picture1", u"Picture3", 60, 60, 2325, 795, 26, false},
    {u"Command7", u"Frame1(1)", 2760, 280, 1215, 795, 7, false},
    {u"Picture5", u"Frame1(1)", 1560, 240, 2565, 915, 8, false},
    {u"Frame1(2)", u"Frame1(0)", 120, 1680, 4095, 3375, 1, false},
    {u"Text3", u"Frame1(2)", 2520, 2700, 615, 270, 18, false},
    {u"Text1", u"Frame1(2)", 120, 240, 3855, 2415, 4, false},
    {u"Command1", u"Frame1(2)", 120, 2760, 615, 495, 3, false},
    {u"Command3", u"Frame1(2)", 840, 3000, 2415, 255, 2, false},
    {u"Label3", u"Frame1(2)", 840, 2760, 1620, 180, 19, true},
    {u"Label1", u"Frame1(2)", 3360, 3050, 360, 180, 5, true},
    {u"Frame2(0)", u"Form1", 1200, 240, 4335, 5175, 9, false},
    {u"Frame2(2)", u"Frame2(0)", 120, 1320, 4095, 3735, 12, false},
    {u"Text4", u"Frame2(2)", 1800, 2800, 615, 270, 20, false},
    {u"Command6", u"Frame2(2)", 2160, 3120, 1815, 495, 15, false},
    {u"Command2", u"Frame2(2)", 120, 3120, 1815, 495, 14, false},
    {u"Text2", u"Frame2(2)", 120, 240, 3855, 2415, 13, false},
    {u"Label4", u"Frame2(2)", 120, 2850, 1620, 180, 21, true},
    {u"Frame2(1)", u"Frame2(0)", 120, 240, 4095, 975, 10, false},
    {u"Picture2", u"Frame2(1)", 1200, 240, 2760, 600, 23, false},
    {u"Picture4", u"Picture2", 240, 60, 2520, 465, 24, false},
    {u"Command4", u"Frame2(1)", 120, 280, 975, 465, 11, false},
    {u"Label5(1)", u"Form1", 240, 5280, 810, 180, 28, true},
    {u"Label6", u"Form1", 240, 3720, 840, 1260, 27, false},
    {u"Label5(0)", u"Form1", 240, 5040, 900, 180, 22, true},
    {u"Shape1", u"Form1", 120, 120, 5535, 5415, -1, false},
    {u"Label2(1)", u"Form1", 240, 720, 900, 435, 17, true},
    {u"Label2(0)", u"Form1", 240, 240, 960, 495, 16, true},
    {u"Check1", u"Form1", 240, 1320, 900, 450, 29, false},
    {u"Check2", u"Form1", 240, 1830, 900, 750, 30, false},
};

class Form1Layout : public Form1Test, public ::testing::WithParamInterface<ControlPlace>
{};

TEST_P(Form1Layout, ControlSitsInItsContainerAtItsPlace)
{
    const ControlPlace &expected = GetParam();
    const QString name = QString::fromUtf16(expected.name);
    QWidget *widget = control(name);
    ASSERT_NE(widget, nullptr);
    EXPECT_EQ(widget->parentWidget()->objectName(), QString::fromUtf16(expected.container));
    EXPECT_EQ(widget->pos(), QPoint(expected.left / 15, expected.top / 15));
    const QSize size(expected.width / 15, expected.height / 15);
    if (expected.autoSize) {
        // Caption sizes depend on the installed font: one em high exactly,
        // and within a few pixels of the width the layout was measured with.
        EXPECT_EQ(widget->height(), size.height());
        EXPECT_NEAR(widget->width(), size.width(), 6);
    } else {
        EXPECT_EQ(widget->size(), size);
    }
    if (expected.tabIndex >= 0) {
        EXPECT_EQ(widget->property("TabIndex").toInt(), expected.tabIndex);
    }
}

INSTANTIATE_TEST_SUITE_P(AllControls, Form1Layout, ::testing::ValuesIn(layout),
                         [](const auto &info) {
                             QString name = QString::fromUtf16(info.param.name);
                             name.remove(u'(').remove(u')');
                             return name.toStdString();
                         });

TEST_F(Form1Test, WindowHasItsFixedClientAreaAndCaption)
{
    EXPECT_EQ(form->windowTitle(), u"Veltrin"_s);
    EXPECT_EQ(form->size(), QSize(384, 373));
    EXPECT_EQ(form->minimumSize(), form->maximumSize());
    EXPECT_FALSE(form->windowIcon().isNull());
}

TEST_F(Form1Test, TabIndexesAreTheKeyboardOrder)
{
    // Following focus from the first focusable control visits them in TabIndex order.
    const QStringList expected{u"Command3"_s, u"Command1"_s, u"Text1"_s, u"Command7"_s, u"Text3"_s};
    control(u"Command3"_s)->setFocus();
    ASSERT_NE(QApplication::focusWidget(), nullptr);
    QStringList visited{QApplication::focusWidget()->objectName()};
    for (int i = 1; i < expected.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        ASSERT_NE(QApplication::focusWidget(), nullptr);
        visited << QApplication::focusWidget()->objectName();
    }
    EXPECT_EQ(visited, expected);
}

TEST_F(Form1Test, StartsOnTheEncryptPageWithItsCaptions)
{
    EXPECT_TRUE(control(u"Frame1(0)"_s)->isVisible());
    EXPECT_FALSE(control(u"Frame2(0)"_s)->isVisible());
    EXPECT_TRUE(control(u"Label6"_s)->isVisible());
    EXPECT_FALSE(control(u"Picture5"_s)->isVisible());
    EXPECT_EQ(label(u"Label2(0)"_s)->BorderStyle(), 1);
    EXPECT_EQ(label(u"Label2(1)"_s)->BorderStyle(), 0);
    EXPECT_EQ(control<QGroupBox>(u"Frame1(2)"_s)->title(), u"需要加密的内容/字数：0/12000"_s);
    EXPECT_EQ(label(u"Label1"_s)->caption(), u"NULL"_s);
    EXPECT_EQ(label(u"Label5(1)"_s)->caption(), u"版本：0.2"_s);
    EXPECT_EQ(control<QPushButton>(u"Command6"_s)->text(), u"解密（解上面已打开的图片）"_s);
    EXPECT_EQ(control<QPushButton>(u"Command2"_s)->text(), u"解密（解加密里未保存的图片）"_s);
    for (const auto *box : {text1(), text2()})
        EXPECT_TRUE(box->Text().isEmpty());
}

TEST_F(Form1Test, TabLabelsUseABoldHeiFontThatCanShowTheirCaptions)
{
    for (int index : {0, 1}) {
        const Label *tab = label(u"Label2(%1)"_s.arg(index));
        EXPECT_TRUE(tab->font().bold());
        EXPECT_DOUBLE_EQ(tab->font().pointSizeF(), 21.75);
        EXPECT_TRUE(QFontMetrics(tab->font()).inFont(tab->caption().at(0)));
    }
    EXPECT_TRUE(QFontMetrics(form->font()).inFont(u'密'));
}

TEST_F(Form1Test, PictureOnlyShowsThroughItsViewer)
{
    // A larger work surface stays inside Picture3, which clips it.
    text1()->setText(QString(12000, u'x'));
    click(u"Command1"_s);
    EXPECT_EQ(control(u"Picture1"_s)->size(), QSize(112, 112));
    EXPECT_EQ(control(u"Picture3"_s)->size(), QSize(169, 65));
}

} // namespace
} // namespace veltrin::testing
