// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "busy_work.h"
#include "code_page.h"
#include "controls.h"
#include "fakes.h"
#include "form1.h"
#include "picture_io.h"
#include "qt_printers.h"
#include "scripted_file_dialogs.h"

#include <QApplication>
#include <QClipboard>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <system_error>

namespace veltrin::testing {

// Real threads, until a test makes the system run out of them.
class FailableWorkerThreads final : public WorkerThreads
{
public:
    bool fail = false;
    std::thread start(std::function<void()> work) override
    {
        if (fail)
            throw std::system_error(
                std::make_error_code(std::errc::resource_unavailable_try_again));
        return std::thread(std::move(work));
    }
};

// A window on the offscreen platform with scripted randomness and a message
// box that records instead of blocking.
class Form1Test : public ::testing::Test
{
protected:
    void SetUp() override
    {
        for (int i = 0; i < 64; ++i)
            random.push((i % 7) / 7.0);
        form = std::make_unique<Form1>(Form1Services{random, randomBytes, codePage936(), messages,
                                                     dialogs, clock, loader, writer, threads});
        form->show();
        // Keyboard focus needs an active window, also offscreen.
        QApplication::setActiveWindow(form.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    }

    template <typename T = QWidget> T *control(const QString &name) const
    {
        T *found =
            form->objectName() == name ? qobject_cast<T *>(form.get()) : form->findChild<T *>(name);
        EXPECT_NE(found, nullptr) << name.toStdString();
        return found;
    }

    MultiLineTextBox *text1() const { return control<MultiLineTextBox>(QStringLiteral("Text1")); }
    MultiLineTextBox *text2() const { return control<MultiLineTextBox>(QStringLiteral("Text2")); }
    SingleLineTextBox *text3() const { return control<SingleLineTextBox>(QStringLiteral("Text3")); }
    SingleLineTextBox *text4() const { return control<SingleLineTextBox>(QStringLiteral("Text4")); }
    Label *label(const QString &name) const { return control<Label>(name); }

    void click(const QString &button) { control<QPushButton>(button)->click(); }
    void clickTab(int index)
    {
        Label *tab = label(QStringLiteral("Label2(%1)").arg(index));
        QTest::mouseClick(tab, Qt::LeftButton, {}, QPoint(5, 5));
    }
    // Types each character as a key press; QTest::keyClicks only knows Latin-1.
    static void type(QWidget *box, const QString &text)
    {
        for (const QChar ch : text)
            QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown, QString(ch), Qt::NoModifier);
    }
    void paste(QWidget *box, const QString &text)
    {
        QApplication::clipboard()->setText(text);
        box->setFocus();
        QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
    }

    ScriptedRandom random;
    SequenceRandomBytes randomBytes;
    RecordingMessageBox messages;
    FakeTickCounter clock;
    ScriptedFileDialogs dialogs{clock};
    QtPictureLoader loader;
    QtPictureWriter writer;
    FailableWorkerThreads threads;
    std::unique_ptr<Form1> form;
};

// The same window with a temporary folder for its pictures, and the steps a
// user takes with files.
class Form1Files : public Form1Test
{
protected:
    QString path(const QString &name) const { return dir.filePath(name); }

    void encrypt(const QString &text, const QString &password)
    {
        clickTab(0);
        text1()->setText(text);
        text3()->setText(password);
        click(QStringLiteral("Command1"));
    }
    void save(const QString &chosen)
    {
        dialogs.confirm(chosen);
        click(QStringLiteral("Command7"));
    }
    // Saves with the Save dialog's filter `filter`: 1 BMP, 2 PNG.
    void save(const QString &chosen, std::uint32_t filter)
    {
        dialogs.confirmWithFilter(chosen, filter);
        click(QStringLiteral("Command7"));
    }
    QString openAndDecrypt(const QString &chosen, const QString &password)
    {
        clickTab(1);
        dialogs.confirm(chosen);
        click(QStringLiteral("Command4"));
        text4()->setText(password);
        click(QStringLiteral("Command6"));
        return text2()->Text();
    }
    const PictureSurface &picture4() const
    {
        return control<PictureBox>(QStringLiteral("Picture4"))->surface();
    }
    // The cipher picture that Encrypt drew last.
    QImage drawn() const
    {
        return control<PictureBox>(QStringLiteral("Picture5"))->surface().qImage();
    }
    bool onDecryptPage() const { return control(QStringLiteral("Frame2(0)"))->isVisible(); }
    // Decrypts the picture that Encrypt drew, with `password` typed.
    QString decryptDrawn(const QString &password)
    {
        clickTab(1);
        text4()->setText(password);
        click(QStringLiteral("Command2"));
        return text2()->Text();
    }
    QString lastMessage() const
    {
        return messages.shown.empty() ? QString() : messages.shown.back().text;
    }

    QTemporaryDir dir;
};

} // namespace veltrin::testing
