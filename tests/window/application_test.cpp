// SPDX-License-Identifier: GPL-3.0-or-later
#include "application.h"
#include "form1_fixture.h"
#include "qt_file_dialogs.h"
#include "qt_message_box.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QTimer>
#include <QTranslator>

using namespace Qt::StringLiterals;

namespace veltrin::testing {
namespace {

// Shows a real dialog, reads its buttons and closes it.
QStringList buttonsOfTheDialogThat(const std::function<void()> &shows)
{
    QStringList texts;
    QTimer look;
    QObject::connect(&look, &QTimer::timeout, [&] {
        for (QWidget *top : QApplication::topLevelWidgets()) {
            auto *dialog = qobject_cast<QDialog *>(top);
            if (!dialog || !dialog->isVisible())
                continue;
            for (const QDialogButtonBox *box : dialog->findChildren<QDialogButtonBox *>())
                for (const QAbstractButton *button : box->buttons())
                    texts << button->text();
            dialog->reject();
            look.stop();
        }
    });
    look.start(10);
    shows();
    texts.sort();
    return texts;
}

TEST_F(Form1Test, QtsOwnDialogTextsAreChinese)
{
    QTranslator *chinese = installQtChinese(*QCoreApplication::instance());
    ASSERT_NE(chinese, nullptr) << "scripts/setup.sh installs qt6-translations-l10n";

    // The window's real Open dialog; a clock that moves keeps it from being retried.
    QtFileDialogs realDialogs;
    FakeTickCounter movingClock(0, 1000);
    Form1 window({random, randomBytes, codePage936(), messages, realDialogs, movingClock, loader,
                  writer, threads});
    const QStringList open =
        buttonsOfTheDialogThat([&] { window.findChild<QPushButton *>(u"Command4"_s)->click(); });
    EXPECT_EQ(open, (QStringList{u"取消"_s, u"打开(&O)"_s}));

    QtMessageBox box;
    EXPECT_EQ(buttonsOfTheDialogThat([&] { box.show(u"?"_s, u"Veltrin"_s, MessageBox::YesNo); }),
              (QStringList{u"否(&N)"_s, u"是(&Y)"_s}));
    EXPECT_EQ(buttonsOfTheDialogThat([&] { box.show(u"!"_s, u"Veltrin"_s, MessageBox::OkOnly); }),
              QStringList{u"确定"_s});
    delete chinese;
}

struct Start
{
    QStringList arguments; // "{picture}" stands for a saved cipher picture
    bool window;
    int exitStatus;
    bool decryptPage;
    std::size_t messages;
    QString told; // in the message, on standard error or on standard output
};

class CommandLine : public Form1Files, public ::testing::WithParamInterface<Start>
{};

TEST_P(CommandLine, StartsTheWindowOrSaysWhyNot)
{
    const Start &expected = GetParam();
    const QString text = u"从命令行打开的图片 text"_s;
    encrypt(text, u"pw"_s);
    save(path(u"picture"_s));
    QStringList arguments{u"veltrin"_s};
    for (const QString &argument : expected.arguments)
        arguments << QString(argument).replace(u"{picture}"_s, path(u"picture.bmp"_s));

    const WindowStart start = startWindow(arguments, {random, randomBytes, codePage936(), messages,
                                                      dialogs, clock, loader, writer, threads});
    EXPECT_EQ(start.exitStatus, expected.exitStatus);
    ASSERT_EQ(start.window != nullptr, expected.window);
    ASSERT_EQ(messages.shown.size(), expected.messages);
    const QString told = start.output + start.errors +
                         (messages.shown.empty() ? QString() : messages.shown.front().text);
    EXPECT_TRUE(told.contains(expected.told)) << told.toStdString();
    if (!start.window)
        return;
    EXPECT_TRUE(start.window->isVisible());
    EXPECT_EQ(start.window->findChild<QWidget *>(u"Frame2(0)"_s)->isVisible(),
              expected.decryptPage);
    if (expected.arguments == QStringList{u"{picture}"_s}) {
        start.window->findChild<SingleLineTextBox *>(u"Text4"_s)->setText(u"pw"_s);
        start.window->findChild<QPushButton *>(u"Command6"_s)->click();
        EXPECT_EQ(start.window->findChild<MultiLineTextBox *>(u"Text2"_s)->Text(), text);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, CommandLine,
    ::testing::Values(Start{{u"{picture}"_s}, true, 0, true, 0, {}},
                      Start{{}, true, 0, false, 0, {}},
                      Start{{u"nowhere.bmp"_s}, true, 0, true, 1, u"nowhere.bmp"_s},
                      Start{{u"{picture}"_s, u"{picture}"_s}, false, 2, false, 1, u"一张图片"_s},
                      Start{{u"--frobnicate"_s}, false, 2, false, 1, u"frobnicate"_s},
                      Start{{u"--help"_s}, false, 0, false, 0, u"[图片]"_s},
                      Start{{u"--version"_s}, false, 0, false, 0, u"Veltrin "_s}));

} // namespace
} // namespace veltrin::testing
