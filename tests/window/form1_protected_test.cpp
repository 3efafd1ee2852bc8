// SPDX-License-Identifier: GPL-3.0-or-later
#include "form1_fixture.h"
#include "password_strength.h"

#include "protected_picture.h"
#include "qt_adapters.h"
#include "qt_message_box.h"

#include <QCheckBox>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QMimeData>
#include <QTimer>
#include <QToolTip>
#include <QUrl>

using namespace Qt::StringLiterals;

namespace veltrin::testing {
namespace {

const QString wrongOrChanged = u"密码不对，或者图片被改动过"_s;
// Seals without the weak password's question.
const QString strong = u"Kq7vX2mLp9Rt4Wz8"_s;

class Form1Protected : public Form1Files
{
protected:
    QCheckBox *check1() const { return control<QCheckBox>(u"Check1"_s); }
    void encryptProtected(const QString &text, const QString &password)
    {
        clickTab(0);
        check1()->setChecked(true);
        encrypt(text, password);
    }
};

TEST_F(Form1Protected, Check1StartsUncheckedAndGoesWithTheEncryptPage)
{
    EXPECT_FALSE(check1()->isChecked());
    EXPECT_EQ(check1()->text(), u"保护文字"_s);
    EXPECT_TRUE(check1()->toolTip().contains(u"无法找回"_s));
    for (int tab : {1, 0, 1}) {
        clickTab(tab);
        EXPECT_EQ(check1()->isVisible(), tab == 0);
        EXPECT_EQ(check1()->isVisible(), control(u"Label6"_s)->isVisible());
    }
    // It takes clicks on its caption too, where the caption wraps.
    clickTab(0);
    QTest::mouseClick(check1(), Qt::LeftButton, {}, QPoint(check1()->width() - 3, 5));
    EXPECT_TRUE(check1()->isChecked());
}

TEST_F(Form1Protected, TextsComeBackThroughBothDecryptButtons)
{
    const QString texts[] = {
        u"a"_s,
        u"abc"_s,
        QString(12000, u'齄'),
        u"加密解密，你好"_s,
        u"😀 emoji"_s,
        u"\uFEFF不是字节序标记"_s,
        u"\uFFFEabc"_s,
        u"第一行\r\n\r\nline 3\r\n"_s,
    };
    for (const QString &text : texts) {
        messages.shown.clear();
        encryptProtected(text, strong);
        EXPECT_TRUE(protectedPicture::hasSignature(toPicture(drawn())));
        EXPECT_EQ(decryptDrawn(strong), text);
        EXPECT_TRUE(messages.shown.empty()) << lastMessage().toStdString();
    }
    // Saved, opened and decrypted, as a classic picture is.
    save(path(u"protected.bmp"_s));
    text2()->setText(QString());
    EXPECT_EQ(openAndDecrypt(path(u"protected.bmp"_s), strong), texts[7]);
    clickTab(0);
    save(path(u"protected"_s), 2);
    text2()->setText(QString());
    EXPECT_EQ(loader.OleLoadPicturePath(path(u"protected.png"_s)).picture.value().format, "png");
    EXPECT_EQ(openAndDecrypt(path(u"protected.png"_s), strong), texts[7]);
    EXPECT_TRUE(messages.shown.empty()) << lastMessage().toStdString();
}

TEST_F(Form1Protected, WrongPasswordOrChangedPictureLosesNothing)
{
    encryptProtected(u"秘密 secret"_s, strong);
    save(path(u"p.bmp"_s));
    QImage changed = drawn();
    changed.setPixel(5, 5, changed.pixel(5, 5) ^ 0x010000);
    ASSERT_TRUE(changed.save(path(u"changed.bmp"_s)));
    QImage cut = drawn().copy(0, 0, drawn().width(), drawn().height() - 1);
    ASSERT_TRUE(cut.save(path(u"cut.png"_s)));

    struct Attempt
    {
        QString file;
        QString password;
        QString says;
    };
    const Attempt attempts[] = {
        {u"p.bmp"_s, u"Wrong1"_s, wrongOrChanged},
        {u"changed.bmp"_s, strong, wrongOrChanged},
        {u"cut.png"_s, strong, u"不完整"_s},
        {u"p.bmp"_s, u""_s, u"要有密码"_s},
    };
    for (const Attempt &attempt : attempts) {
        text2()->setText(u"kept"_s);
        messages.shown.clear();
        EXPECT_EQ(openAndDecrypt(path(attempt.file), attempt.password), u"kept"_s);
        ASSERT_EQ(messages.shown.size(), 1u) << attempt.file.toStdString();
        EXPECT_TRUE(lastMessage().contains(attempt.says)) << lastMessage().toStdString();
        EXPECT_EQ(text4()->Text(), attempt.password);
        EXPECT_TRUE(control(u"Frame2(0)"_s)->isEnabled());
    }
    EXPECT_EQ(text1()->Text(), u"秘密 secret"_s);
    // The picture drawn a moment ago, with a wrong password.
    EXPECT_EQ(decryptDrawn(u"Wrong2"_s), u"kept"_s);
    EXPECT_TRUE(lastMessage().contains(wrongOrChanged));
}

TEST_F(Form1Protected, AWeakPasswordIsAskedAboutBeforeEachSeal)
{
    struct Click
    {
        const char *what;
        bool protect;
        QString password;
        int answer;
        bool asks;
        bool seals;
        QString says; // in the question
    };
    // A build that judges by length alone asks about short passwords only.
    const bool estimated = passwordStrength::estimatesGuesses();
    const Click clicks[] = {
        {"weak, No", true, u"Pass1234"_s, MessageBox::No, estimated, !estimated,
         u"每秒能试 100 个密码"_s},
        {"weak, Yes", true, u"Pass1234"_s, MessageBox::Yes, estimated, true,
         u"约需 50 个处理器核"_s},
        {"short, No", true, u"xK8mQ2z"_s, MessageBox::No, true, false,
         estimated ? u"不到 8 个字符"_s : u"只有 7 个字符"_s},
        {"strong", true, strong, MessageBox::No, false, true, {}},
        {"classic", false, u"Pass1234"_s, MessageBox::No, false, false, {}},
    };
    const QString text = u"秘密 secret"_s;
    for (const Click &c : clicks) {
        check1()->setChecked(false);
        encrypt(u"before"_s, u""_s);
        const QImage before = drawn();
        const unsigned char bytesBefore = randomBytes.next;
        messages.shown.clear();
        messages.answers = {c.answer};
        check1()->setChecked(c.protect);
        encrypt(text, c.password);

        ASSERT_EQ(messages.shown.size(), c.asks ? 1u : 0u) << c.what;
        if (c.asks) {
            const ShownMessage &asked = messages.shown.front();
            EXPECT_EQ(asked.style,
                      MessageBox::YesNo | MessageBox::Exclamation | MessageBox::DefaultButton2);
            EXPECT_TRUE(asked.text.startsWith(u"这个密码"_s)) << c.what;
            EXPECT_TRUE(asked.text.endsWith(u"仍然加密吗？"_s)) << c.what;
            EXPECT_TRUE(asked.text.contains(c.says)) << c.what << asked.text.toStdString();
        }
        EXPECT_EQ(protectedPicture::hasSignature(toPicture(drawn())), c.seals) << c.what;
        if (c.protect && !c.seals) {
            // No changes nothing, and no key was derived.
            EXPECT_TRUE(drawn() == before) << c.what;
            EXPECT_EQ(randomBytes.next, bytesBefore) << c.what;
        }
        EXPECT_EQ(text1()->Text(), text);
        EXPECT_EQ(text3()->Text(), c.password);
        if (c.seals) {
            EXPECT_EQ(decryptDrawn(c.password), text) << c.what;
        }
    }
}

// The question in the real message box, found by a timer and answered with a
// click; a box that never shows fails the test instead of blocking it.
class Form1RealQuestion : public Form1Protected
{
protected:
    void SetUp() override
    {
        Form1Protected::SetUp();
        form = std::make_unique<Form1>(Form1Services{random, randomBytes, codePage936(), realBox,
                                                     dialogs, clock, loader, writer, threads});
        form->show();
        QApplication::setActiveWindow(form.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    }
    void TearDown() override { form.reset(); }

    struct Seen
    {
        QString text;
        bool defaultIsNo = false;
    };
    Seen answerWith(QMessageBox::StandardButton button, const std::function<void()> &asks)
    {
        Seen seen;
        int polls = 0;
        QTimer look;
        QObject::connect(&look, &QTimer::timeout, [&] {
            for (QWidget *top : QApplication::topLevelWidgets()) {
                auto *box = qobject_cast<QMessageBox *>(top);
                if (!box || !box->isVisible())
                    continue;
                look.stop();
                seen = {box->text(), box->defaultButton() == box->button(QMessageBox::No)};
                box->button(button)->click();
                return;
            }
            if (++polls == 500) {
                look.stop();
                ADD_FAILURE() << "no question was shown";
                for (QWidget *top : QApplication::topLevelWidgets())
                    if (auto *dialog = qobject_cast<QDialog *>(top); dialog && dialog->isVisible())
                        dialog->reject();
            }
        });
        look.start(10);
        asks();
        look.stop();
        return seen;
    }

    QtMessageBox realBox;
};

TEST_F(Form1RealQuestion, NoIsTheDefaultAndBothAnswersAreTaken)
{
    encrypt(u"before"_s, u""_s);
    const QImage before = drawn();
    for (const auto button : {QMessageBox::No, QMessageBox::Yes}) {
        const Seen seen = answerWith(button, [&] { encryptProtected(u"秘密"_s, u"Pass123"_s); });
        EXPECT_TRUE(seen.text.endsWith(u"仍然加密吗？"_s)) << seen.text.toStdString();
        EXPECT_TRUE(seen.defaultIsNo);
        // No leaves the classic picture; Yes seals.
        EXPECT_EQ(drawn() == before, button == QMessageBox::No);
        EXPECT_EQ(protectedPicture::hasSignature(toPicture(drawn())), button == QMessageBox::Yes);
    }
    EXPECT_EQ(decryptDrawn(u"Pass123"_s), u"秘密"_s);
}

TEST_F(Form1Protected, HostileCostIsRefusedAtOnce)
{
    encryptProtected(u"x"_s, strong);
    QImage hostile = drawn();
    // Passes are bytes 13 to 16, little-endian: 1000 = 0x3E8 puts E8 in the
    // green and 03 in the blue of pixel 4.
    hostile.setPixel(4, 0, (hostile.pixel(4, 0) & 0xFFFF0000) | 0xE803);
    ASSERT_TRUE(hostile.save(path(u"hostile.png"_s)));
    QElapsedTimer timer;
    timer.start();
    EXPECT_TRUE(openAndDecrypt(path(u"hostile.png"_s), strong).isEmpty());
    EXPECT_LT(timer.elapsed(), 200);
    EXPECT_TRUE(lastMessage().contains(u"上限"_s)) << lastMessage().toStdString();
}

TEST_F(Form1Protected, EmptyPasswordDrawsNothingAndSaysWhy)
{
    encrypt(u"classic"_s, u""_s);
    const QImage classic = drawn();
    encryptProtected(u"secret"_s, u""_s);
    EXPECT_EQ(drawn(), classic);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_TRUE(lastMessage().contains(u"必须设密码"_s));
    EXPECT_EQ(randomBytes.next, 0);
    // A classic picture still decrypts the classic way while Check1 is checked.
    EXPECT_EQ(decryptDrawn(u""_s), u"classic"_s);
}

TEST_F(Form1Protected, WindowStaysPaintedAndIgnoresClicksWhileTheKeyIsDerived)
{
    bool sawBusy = false;
    bool frameDisabled = false;
    bool tipClosed = false;
    QTimer::singleShot(30, form.get(), [&] {
        sawBusy = QApplication::overrideCursor() &&
                  QApplication::overrideCursor()->shape() == Qt::WaitCursor;
        frameDisabled = !control(u"Frame1(0)"_s)->isEnabled();
        clickTab(1); // dropped
        QToolTip::showText(form->mapToGlobal(QPoint(5, 5)), u"tip"_s, form.get());
        for (QWidget *tip : QApplication::topLevelWidgets())
            tipClosed =
                tipClosed || (tip->inherits("QTipLabel") && tip->isVisible() && tip->close());
    });
    encryptProtected(u"busy"_s, strong);
    EXPECT_TRUE(sawBusy);
    EXPECT_TRUE(frameDisabled);
    EXPECT_TRUE(tipClosed && form->isVisible()) << "a tooltip's close is not the window's";
    EXPECT_FALSE(onDecryptPage());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(control(u"Frame1(0)"_s)->isEnabled());
}

TEST_F(Form1Protected, WhatTheWaitHeldBackIsCarriedOutOrToldAfterwards)
{
    encrypt(u"plain"_s, u""_s);
    save(path(u"plain.bmp"_s));
    const QImage before = picture4().qImage();
    bool stayedOpen = false;
    QTimer::singleShot(30, form.get(), [&] {
        form->close();
        stayedOpen = form->isVisible();
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(path(u"plain.bmp"_s))});
        QWidget *onto = control(u"Picture1"_s);
        const QPoint at = onto->rect().center();
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(onto, &enter);
        QDropEvent dropped(at, Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(onto, &dropped);
        EXPECT_FALSE(dropped.isAccepted());
    });
    encryptProtected(u"busy"_s, strong);
    EXPECT_TRUE(stayedOpen);
    EXPECT_FALSE(form->isVisible()) << "the close is carried out once the key is derived";
    ASSERT_FALSE(messages.shown.empty());
    EXPECT_TRUE(messages.shown.front().text.contains(u"拖进来的图片没有打开"_s))
        << messages.shown.front().text.toStdString();
    EXPECT_TRUE(picture4().qImage() == before) << "the dropped file was not opened";
}

TEST_F(Form1Protected, AWorkerThatCannotStartLeavesTheWindowWorking)
{
    threads.fail = true;
    encryptProtected(u"secret"_s, strong);
    EXPECT_TRUE(lastMessage().contains(u"无法开始计算密钥"_s)) << lastMessage().toStdString();
    EXPECT_TRUE(control(u"Frame1(0)"_s)->isEnabled());
    EXPECT_TRUE(check1()->isEnabled());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    threads.fail = false;
    encryptProtected(u"secret"_s, strong);
    EXPECT_EQ(decryptDrawn(strong), u"secret"_s);
}

TEST_F(Form1Protected, AnotherWritersPictureIsToldInDecryptWords)
{
    auto padded = [](const QByteArray &utf8) {
        std::vector<unsigned char> bytes((utf8.size() / protectedPicture::padBlock + 1) *
                                         protectedPicture::padBlock);
        std::copy(utf8.begin(), utf8.end(), bytes.begin());
        bytes[static_cast<std::size_t>(utf8.size())] = 0x80;
        return bytes;
    };
    struct Written
    {
        const char *name;
        std::vector<unsigned char> padded;
        QString says;
        QString text; // Text2 afterwards
    };
    const Written written[] = {
        {"empty", padded({}), u"文字是空的"_s, u""_s},
        {"too long", padded(QByteArray(12001, 'a')), u"超过 12000 个字符，无法解密"_s, u"kept"_s},
        {"bad UTF-8", padded("\xFF"), u"不遵循格式"_s, u"kept"_s},
    };
    for (const Written &w : written) {
        SequenceRandomBytes random;
        const protectedPicture::Sealed made =
            protectedPicture::sealPadded(w.padded, u"pw", random, {1, 8 * 1024});
        ASSERT_TRUE(toQImage(made.image).save(path(u"other.png"_s))) << w.name;
        text2()->setText(u"kept"_s);
        messages.shown.clear();
        const QString text = openAndDecrypt(path(u"other.png"_s), u"pw"_s);
        ASSERT_EQ(messages.shown.size(), 1u) << w.name;
        EXPECT_TRUE(lastMessage().contains(w.says)) << w.name << lastMessage().toStdString();
        EXPECT_EQ(text, w.text) << w.name;
    }
}

} // namespace
} // namespace veltrin::testing
