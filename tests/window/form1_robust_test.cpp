// SPDX-License-Identifier: GPL-3.0-or-later
#include "form1_fixture.h"

#include "picture_kind.h"
#include "qt_adapters.h"
#include "screenshot.h"

#include <QCheckBox>
#include <QDropEvent>
#include <QImageWriter>
#include <QMimeData>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace veltrin::testing {
namespace {

const QString strong = u"Kq7vX2mLp9Rt4Wz8"_s;

class Form1Robust : public Form1Files
{
protected:
    QCheckBox *check(int n) const { return control<QCheckBox>(u"Check%1"_s.arg(n)); }
    void encryptRobust(const QString &text, const QString &password, bool seal)
    {
        clickTab(0);
        check(1)->setChecked(seal);
        check(2)->setChecked(true);
        encrypt(text, password);
    }
    // What a chat program sends on: the saved picture as a JPEG.
    QString asJpeg(const QString &png, int quality)
    {
        const QString jpeg = path(QFileInfo(png).completeBaseName() + u".jpg"_s);
        QImageWriter writer(jpeg, "jpeg");
        writer.setQuality(quality);
        EXPECT_TRUE(writer.write(QImage(png)));
        return jpeg;
    }
};

TEST_F(Form1Robust, Check2StartsUncheckedGoesWithTheEncryptPageAndSaysWhatItHolds)
{
    EXPECT_FALSE(check(2)->isChecked());
    EXPECT_EQ(check(2)->text(), u"经得起转发"_s);
    EXPECT_TRUE(check(2)->toolTip().contains(u"12000"_s));
    for (int tab : {1, 0, 1}) {
        clickTab(tab);
        EXPECT_EQ(check(2)->isVisible(), tab == 0);
    }
}

TEST_F(Form1Robust, PlainAndSealedTextsComeBackFromAJpegOfTheSavedPicture)
{
    const struct
    {
        QString text;
        bool seal;
    } cases[] = {
        {u"经得起转发的图片，第一行\r\n第二行 😀"_s, false},
        {QString(3000, u'齄'), false},
        {u"只有知道密码的人才能读"_s, true},
        {u"\uFEFF不是字节序标记"_s, false},
        {u"\uFFFEabc"_s, true},
    };
    int n = 0;
    for (const auto &c : cases) {
        messages.shown.clear();
        encryptRobust(c.text, c.seal ? strong : QString(), c.seal);
        const Recognition kind = recognise(toPicture(drawn()));
        ASSERT_EQ(kind.kind, PictureKind::Robust);
        EXPECT_EQ(kind.sealed(), c.seal);
        // 图片显示 shows it whole, scaled into its box.
        const QWidget *shown = control<PictureBox>(u"Picture1"_s);
        EXPECT_LE(shown->width(), shown->parentWidget()->width());
        EXPECT_LE(shown->height(), shown->parentWidget()->height());
        EXPECT_EQ(decryptDrawn(c.seal ? strong : QString()), c.text);

        const QString png = path(u"robust%1.png"_s.arg(n++));
        save(png, 2);
        const QString jpeg = asJpeg(png, 50);
        text2()->setText({});
        EXPECT_EQ(openAndDecrypt(jpeg, c.seal ? strong : QString()), c.text);
        // Made for lossy channels: no warning that the JPEG lost the text.
        EXPECT_TRUE(messages.shown.empty()) << lastMessage().toStdString();
        if (c.seal) {
            EXPECT_TRUE(openAndDecrypt(jpeg, u"wrong1234"_s).isEmpty() || !lastMessage().isEmpty());
            EXPECT_TRUE(lastMessage().contains(u"密码不对"_s)) << lastMessage().toStdString();
            text2()->setText({});
            EXPECT_TRUE(openAndDecrypt(jpeg, {}).isEmpty());
            EXPECT_TRUE(lastMessage().contains(u"要有密码才能解开"_s));
        }
    }
}

TEST_F(Form1Robust, AScreenshotOfTheChatIsReadWhetherOpenedDroppedOrPasted)
{
    const QString text = u"截图里的图片，也能解出文字"_s;
    encryptRobust(text, {}, false);
    // A dark bubble on a light screen, close enough to the picture to pass for its frame.
    const QImage screenshot = screenshotOf(
        drawn(), {0.4777, QColor(240, 240, 240), QColor(40, 40, 40), 6, -1, 0, 3338463091u});
    const QString file = path(u"screenshot.png"_s);
    ASSERT_TRUE(screenshot.save(file));
    QMimeData dragged;
    dragged.setUrls({QUrl::fromLocalFile(file)});
    for (const int way : {0, 1, 2}) { // opened, dropped, pasted
        messages.shown.clear();
        clickTab(1);
        QWidget *picture = control(u"Picture4"_s);
        control<PictureBox>(u"Picture4"_s)->surface().setPicture(std::nullopt);
        if (way == 0) {
            dialogs.confirm(file);
            click(u"Command4"_s);
        } else if (way == 1) {
            QDragEnterEvent enter(picture->rect().center(), Qt::CopyAction, &dragged,
                                  Qt::LeftButton, {});
            QApplication::sendEvent(picture, &enter);
            QDropEvent dropped(enter.position(), Qt::CopyAction, &dragged, Qt::LeftButton, {});
            QApplication::sendEvent(picture, &dropped);
            QCoreApplication::processEvents(); // the load waits for the drop's end
        } else {
            QApplication::clipboard()->setImage(screenshot);
            QTest::keyClick(control(u"Command6"_s), Qt::Key_V, Qt::ControlModifier);
        }
        text2()->setText({});
        click(u"Command6"_s);
        EXPECT_EQ(text2()->Text(), text) << way;
        EXPECT_TRUE(messages.shown.empty()) << way << lastMessage().toStdString();
    }
}

TEST_F(Form1Robust, APictureDamagedBeyondRepairIsToldNotShown)
{
    encryptRobust(u"就要损坏了"_s, {}, false);
    // A third of the modules after the header's rows flipped: still found, not mended.
    QImage image = drawn().convertToFormat(QImage::Format_RGB32);
    const Recognition kind = recognise(toPicture(image));
    ASSERT_TRUE(kind.grid);
    // The quiet zone, the frame and the timing kept, the header's rows too.
    const int module = image.width() / (kind.grid->modules + 4);
    for (int y = 6 * module; y < image.height() - 4 * module; ++y)
        for (int x = 4 * module; x < image.width() - 4 * module; ++x)
            if ((x / module + y / module) % 3 == 0)
                image.setPixel(x, y, image.pixel(x, y) ^ 0xFFFFFF);
    const QString png = path(u"damaged.png"_s);
    ASSERT_TRUE(image.save(png));
    text2()->setText(u"before"_s);
    messages.shown.clear();
    openAndDecrypt(png, {});
    EXPECT_TRUE(lastMessage().contains(u"损坏得太厉害"_s)) << lastMessage().toStdString();
    EXPECT_EQ(text2()->Text(), u"before"_s);
}

TEST_F(Form1Robust, APasswordWithoutProtectionIsRefusedNotDropped)
{
    encryptRobust(u"没有保护"_s, strong, false);
    EXPECT_TRUE(lastMessage().contains(u"同时勾选“保护文字”"_s)) << lastMessage().toStdString();
    EXPECT_NE(recognise(toPicture(drawn())).kind, PictureKind::Robust);
}

TEST_F(Form1Robust, Check2IsDisabledWhileTheKeyIsDerived)
{
    bool disabled = false;
    QTimer::singleShot(30, form.get(), [&] { disabled = !check(2)->isEnabled(); });
    encryptRobust(u"busy"_s, strong, true);
    EXPECT_TRUE(disabled);
    EXPECT_TRUE(check(2)->isEnabled());
}

} // namespace
} // namespace veltrin::testing
