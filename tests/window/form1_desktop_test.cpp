// SPDX-License-Identifier: GPL-3.0-or-later
#include "form1_fixture.h"

#include <QAccessible>
#include <QAction>
#include <QBuffer>
#include <QMimeData>
#include <QUrl>

using namespace Qt::StringLiterals;

namespace veltrin::testing {
namespace {

const QString sample = u"一段要加密的文字，with some ASCII 123。"_s;

QByteArray encoded(const QImage &image, const char *format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

// --- messages that help ---

enum class Trouble {
    WrongPasswordDrawn,
    NothingDecrypted, // a password whose key exceeds the length and the right key
    WrongPasswordOpened,
    JpegPicture,
    IncompletePicture
};

struct Advice
{
    Trouble trouble;
    std::size_t messages;
    QStringList says;  // every message
    QStringList never; // no message
};

class Form1Advice : public Form1Files, public ::testing::WithParamInterface<Advice>
{
protected:
    void meet(Trouble trouble)
    {
        encrypt(sample, u"right"_s);
        const QString password = trouble == Trouble::WrongPasswordOpened ? u"wrong"_s : u"right"_s;
        if (trouble == Trouble::WrongPasswordDrawn || trouble == Trouble::NothingDecrypted) {
            clickTab(1);
            text4()->setText(trouble == Trouble::NothingDecrypted ? u"wrongwrong"_s : u"wrong"_s);
            click(u"Command2"_s);
            return;
        }
        save(path(u"picture"_s));
        QString opened = path(u"picture.bmp"_s);
        const QImage saved(opened);
        if (trouble == Trouble::JpegPicture) {
            opened = path(u"picture.jpg"_s);
            ASSERT_TRUE(saved.save(opened, "JPEG", 95));
        } else if (trouble == Trouble::IncompletePicture) {
            opened = path(u"cut.png"_s);
            ASSERT_TRUE(saved.copy(0, 0, saved.width(), saved.height() / 2).save(opened));
        }
        openAndDecrypt(opened, password);
    }
};

TEST_P(Form1Advice, TheMessageSaysWhatMostLikelyHappened)
{
    const Advice &advice = GetParam();
    meet(advice.trouble);
    ASSERT_EQ(messages.shown.size(), advice.messages);
    for (const ShownMessage &shown : messages.shown) {
        const std::string text = shown.text.toStdString();
        for (const QString &part : advice.says)
            EXPECT_TRUE(shown.text.contains(part)) << part.toStdString() << " in " << text;
        for (const QString &part : advice.never)
            EXPECT_FALSE(shown.text.contains(part)) << part.toStdString() << " in " << text;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Troubles, Form1Advice,
    ::testing::Values(
        // The picture drawn a moment ago cannot be blamed.
        Advice{Trouble::WrongPasswordDrawn,
               1,
               {u"运行时错误 '"_s, u"密码很可能不对"_s},
               {u"不完整"_s, u"有损"_s}},
        Advice{Trouble::NothingDecrypted,
               1,
               {u"没有解出文字"_s, u"密码很可能不对"_s},
               {u"运行时错误"_s}},
        Advice{Trouble::WrongPasswordOpened,
               1,
               {u"运行时错误 '"_s, u"密码不对"_s, u"不完整"_s},
               {u"有损"_s}},
        // Warned at once on opening, and again by the decrypt, error or not.
        Advice{Trouble::JpegPicture, 2, {u"JPEG"_s, u"有损压缩"_s, u"BMP 或 PNG"_s}, {}},
        Advice{Trouble::IncompletePicture, 1, {u"运行时错误 '"_s, u"不完整"_s}, {u"有损"_s}}));

TEST_F(Form1Files, AJpegThatStopsEarlyIsCalledIncompleteWhenOpened)
{
    encrypt(sample, u"right"_s);
    save(path(u"picture"_s));
    const QByteArray jpeg = encoded(QImage(path(u"picture.bmp"_s)), "JPEG");
    QFile cut(path(u"cut.jpg"_s));
    ASSERT_TRUE(cut.open(QIODevice::WriteOnly));
    cut.write(jpeg.chopped(10)); // the end of the scan and the end-of-image marker
    cut.close();
    clickTab(1);
    dialogs.confirm(cut.fileName());
    click(u"Command4"_s);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_TRUE(messages.shown[0].text.contains(u"图片不完整"_s))
        << messages.shown[0].text.toStdString();
    EXPECT_TRUE(messages.shown[0].text.contains(u"有损压缩"_s));
}

// --- keyboard ---

class Form1Keys : public Form1Files
{
protected:
    void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::ControlModifier)
    {
        QWidget *focus = QApplication::focusWidget();
        QTest::keyClick(focus ? focus : form.get(), key, modifiers);
    }
};

TEST_F(Form1Keys, PageKeysSwitchAsTheTabsDoFromAnyControl)
{
    struct Key
    {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
    };
    const Key keys[] = {{Qt::Key_Tab, Qt::ControlModifier},
                        {Qt::Key_PageDown, Qt::ControlModifier},
                        {Qt::Key_PageUp, Qt::ControlModifier},
                        {Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier}};
    for (const QString &focus : {u"Form1"_s, u"Text1"_s, u"Text3"_s, u"Command1"_s}) {
        for (const Key &key : keys) {
            SCOPED_TRACE(focus.toStdString() + " " + std::to_string(key.key));
            clickTab(0);
            control(focus)->setFocus();
            for (bool decrypt : {true, false}) {
                press(key.key, key.modifiers);
                EXPECT_EQ(onDecryptPage(), decrypt);
                EXPECT_EQ(control(u"Label6"_s)->isVisible(), !decrypt);
                EXPECT_EQ(label(u"Label2(1)"_s)->BorderStyle(), decrypt ? 1 : 0);
                EXPECT_EQ(label(u"Label2(0)"_s)->BorderStyle(), decrypt ? 0 : 1);
            }
        }
    }
    EXPECT_EQ(text1()->Text(), QString()) << "no key was typed into a box";
}

TEST_F(Form1Keys, OpenAndSaveKeysGoToTheirPageAndClickTheButton)
{
    encrypt(sample, u""_s);
    text1()->setFocus();
    dialogs.confirm(path(u"keys"_s));
    press(Qt::Key_O); // on the Encrypt page: Open goes to Decrypt first
    ASSERT_EQ(dialogs.calls.size(), 1u);
    EXPECT_FALSE(dialogs.calls.back().save);
    EXPECT_TRUE(onDecryptPage());

    text4()->setFocus();
    dialogs.confirm(path(u"keys"_s));
    press(Qt::Key_S);
    EXPECT_TRUE(dialogs.calls.back().save);
    EXPECT_FALSE(onDecryptPage());
    ASSERT_TRUE(QFile::exists(path(u"keys.bmp"_s)));

    dialogs.confirm(path(u"keys.bmp"_s));
    press(Qt::Key_O);
    EXPECT_EQ(form->fileName(), path(u"keys.bmp"_s));
    EXPECT_EQ(picture4().qImage(), drawn());
}

TEST_F(Form1Test, EveryControlHasAChineseAccessibleName)
{
    const auto nameOf = [](QWidget *widget) {
        return QAccessible::queryAccessibleInterface(widget)->text(QAccessible::Name);
    };
    for (QWidget *widget : form->findChildren<QWidget *>()) {
        const QString name = widget->objectName();
        if (name.isEmpty() || name.startsWith(u"qt_"_s) || name == u"Shape1"_s)
            continue;
        EXPECT_TRUE(nameOf(widget).contains(QRegularExpression(u"\\p{Han}"_s)))
            << name.toStdString() << ": " << nameOf(widget).toStdString();
    }
    EXPECT_EQ(nameOf(text1()), u"需要加密的内容"_s);
    EXPECT_EQ(nameOf(text2()), u"解密显示的内容"_s);
    EXPECT_EQ(nameOf(text3()), u"加密密码"_s);
    EXPECT_EQ(nameOf(text4()), u"解密密码"_s);

    // The outline is decoration: nothing for a screen reader to say.
    QAccessibleInterface *shape = QAccessible::queryAccessibleInterface(control(u"Shape1"_s));
    EXPECT_TRUE(nameOf(control(u"Shape1"_s)).isEmpty());
    EXPECT_EQ(shape->role(), QAccessible::Graphic);
    EXPECT_TRUE(shape->state().invisible);
}

// --- pictures in and out ---

class Form1Pictures : public Form1Keys
{
protected:
    QAction *menuEntry(const QString &picture, const QString &text)
    {
        QWidget *box = control(picture);
        EXPECT_EQ(box->contextMenuPolicy(), Qt::ActionsContextMenu);
        for (QAction *action : box->actions())
            if (action->text() == text)
                return action;
        ADD_FAILURE() << picture.toStdString() << " offers no " << text.toStdString();
        return nullptr;
    }
    void drop(QWidget *onto, const QString &file)
    {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(file)});
        const QPoint at = onto->rect().center();
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(onto, &enter);
        QDropEvent dropped(at, Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(onto, &dropped);
        QCoreApplication::processEvents(); // the load waits for the drop's end
    }
};

TEST_F(Form1Pictures, ADroppedFileLoadsAsOpenDoesExceptOnATextBox)
{
    encrypt(sample, u""_s);
    save(path(u"dropped"_s));
    const QString file = path(u"dropped.bmp"_s);
    struct Target
    {
        QString name;
        bool loads;
    };
    for (const Target &target :
         {Target{u"Text1"_s, false}, Target{u"Text3"_s, false}, Target{u"Label6"_s, true},
          Target{u"Picture1"_s, true}, Target{u"Command1"_s, true}, Target{u"Label2(0)"_s, true}}) {
        SCOPED_TRACE(target.name.toStdString());
        clickTab(0);
        control<PictureBox>(u"Picture4"_s)->surface().setPicture(std::nullopt);
        const QImage before = picture4().qImage();
        QWidget *onto = control(target.name);
        if (auto *area = qobject_cast<QAbstractScrollArea *>(onto))
            onto = area->viewport();
        drop(onto, file);
        EXPECT_EQ(onDecryptPage(), target.loads);
        EXPECT_EQ(picture4().qImage(), target.loads ? drawn() : before);
    }
    EXPECT_TRUE(text1()->Text().contains(u"dropped.bmp"_s)) << "the box took the drop as text";
    EXPECT_EQ(form->fileName(), file);
    click(u"Command6"_s);
    EXPECT_EQ(text2()->Text(), sample);
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(Form1Pictures, CopiedPictureHoldsEveryPixelAndPastesBack)
{
    encrypt(sample, u"pw"_s);
    const QImage cipher = drawn();
    for (const QString &picture : {u"Picture1"_s, u"Picture3"_s}) {
        QApplication::clipboard()->clear();
        menuEntry(picture, u"复制图片"_s)->trigger();
        const QMimeData *copied = QApplication::clipboard()->mimeData();
        ASSERT_NE(copied, nullptr);
        EXPECT_EQ(QImage::fromData(copied->data(u"image/png"_s)).convertToFormat(cipher.format()),
                  cipher);
        EXPECT_EQ(QApplication::clipboard()->image().convertToFormat(cipher.format()), cipher);
    }
    clickTab(1);
    menuEntry(u"Picture4"_s, u"粘贴图片"_s)->trigger();
    EXPECT_EQ(picture4().qImage(), cipher);
    text4()->setText(u"pw"_s);
    click(u"Command6"_s);
    EXPECT_EQ(text2()->Text(), sample);
}

enum class Way { Picture2Menu, Picture4Menu, CtrlV };

struct Paste
{
    QStringList offered; // image/...: encoded bytes; text/uri-list: a saved file
    Way way;
    bool exact; // the lossless ways come pixel for pixel, without a warning
};

class Form1Paste : public Form1Pictures, public ::testing::WithParamInterface<Paste>
{};

TEST_P(Form1Paste, ThePictureComesFromTheClipboardThroughTheLoader)
{
    const Paste &paste = GetParam();
    encrypt(sample, u""_s);
    const QImage cipher = drawn();
    auto *data = new QMimeData;
    for (const QString &type : paste.offered) {
        if (type == u"text/uri-list"_s) {
            save(path(u"copied"_s));
            data->setUrls({QUrl::fromLocalFile(path(u"copied.bmp"_s))});
        } else if (type == u"application/x-qt-image"_s) {
            data->setImageData(cipher);
        } else {
            data->setData(type, encoded(cipher, type.section(u'/', 1).toLatin1().constData()));
        }
    }
    data->setText(u"words"_s);
    QApplication::clipboard()->setMimeData(data);

    clickTab(1);
    // In a text box Ctrl+V is the box's own: it pastes the words.
    text2()->setFocus();
    press(Qt::Key_V);
    EXPECT_EQ(text2()->Text(), u"words"_s);
    EXPECT_NE(picture4().qImage(), cipher);

    if (paste.way == Way::CtrlV) {
        control(u"Command6"_s)->setFocus();
        press(Qt::Key_V);
    } else {
        menuEntry(paste.way == Way::Picture2Menu ? u"Picture2"_s : u"Picture4"_s, u"粘贴图片"_s)
            ->trigger();
    }
    EXPECT_EQ(picture4().qImage() == cipher, paste.exact);
    EXPECT_EQ(picture4().qImage().size(), cipher.size());
    ASSERT_EQ(messages.shown.size(), paste.exact ? 0u : 1u);
    if (!paste.exact) {
        EXPECT_TRUE(messages.shown.front().text.contains(u"有损压缩"_s));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Sources, Form1Paste,
    ::testing::Values(Paste{{u"image/png"_s}, Way::Picture4Menu, true},
                      Paste{{u"image/bmp"_s}, Way::CtrlV, true},
                      Paste{{u"application/x-qt-image"_s}, Way::Picture2Menu, true},
                      Paste{{u"image/jpeg"_s, u"image/png"_s}, Way::CtrlV, true},
                      Paste{{u"text/uri-list"_s}, Way::Picture4Menu, true},
                      Paste{{u"image/jpeg"_s}, Way::CtrlV, false}));

} // namespace
} // namespace veltrin::testing
