// SPDX-License-Identifier: GPL-3.0-or-later
#include "form1_fixture.h"

#include <QDir>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;

namespace veltrin::testing {
namespace {

// A picture three pixels wide whose header claims `length` characters.
QImage claiming(std::int32_t length)
{
    QImage image(3, 1, QImage::Format_RGB32);
    image.setPixel(0, 0, qRgb(length & 0xFF, (length >> 8) & 0xFF, (length >> 16) & 0xFF));
    image.setPixel(1, 0, qRgb(0, 0, 0));
    image.setPixel(2, 0, qRgb(0, 0, 0));
    return image;
}

class Form1Hostile : public Form1Test, public ::testing::WithParamInterface<std::int32_t>
{};

TEST_P(Form1Hostile, PictureTooSmallForItsHeaderIsRefusedAndNothingIsLost)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = QDir(dir.path()).filePath(u"claim.bmp"_s);
    ASSERT_TRUE(claiming(GetParam()).save(path, "BMP"));
    const QString typed = u"typed, not yet encrypted 文字"_s;
    text1()->setFocus();
    type(text1(), typed);

    clickTab(1);
    text2()->setText(u"earlier output"_s);
    dialogs.confirm(path);
    click(u"Command4"_s);
    click(u"Command6"_s);

    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_TRUE(messages.shown.front().text.contains(u"'9'"_s))
        << messages.shown.front().text.toStdString();
    EXPECT_EQ(text2()->Text(), u"earlier output"_s);
    EXPECT_TRUE(control(u"Frame2(0)"_s)->isEnabled());
    EXPECT_TRUE(control(u"Label2(0)"_s)->isEnabled());

    // The window goes on: what was typed is still there and encrypts and decrypts.
    clickTab(0);
    EXPECT_EQ(text1()->Text(), typed);
    click(u"Command1"_s);
    clickTab(1);
    click(u"Command2"_s);
    EXPECT_EQ(text2()->Text(), typed);
    EXPECT_EQ(messages.shown.size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Lengths, Form1Hostile, ::testing::Values(1000000, 16777214));

} // namespace
} // namespace veltrin::testing
