// SPDX-License-Identifier: GPL-3.0-or-later
// veltrin-cli with protected pictures, as a real process.
#include "cli_runner.h"
#include "password_strength.h"

#include "qt_printers.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace veltrin::testing {
namespace {

// Seals without the weak password's warning.
const QString strong = u"Kq7vX2mLp9Rt4Wz8"_s;
const QByteArray strongLine = strong.toUtf8() + '\n';

class CliProtected : public CliFolder
{
protected:
    CliRun encrypt(const QString &textFile, const QStringList &password)
    {
        return runCli(QStringList{u"encrypt"_s, u"--protect"_s, u"-i"_s, path(textFile), u"-o"_s,
                                  path(u"p.bmp"_s), u"-f"_s} +
                      password);
    }
};

TEST_F(CliProtected, TextsComeBack)
{
    const QString texts[] = {
        u"a"_s,
        u"abc"_s,
        QString(12000, u'齄'),
        u"加密解密，你好"_s,
        u"😀 emoji, 한글"_s,
        u"第一行\r\n\r\nline 3\r\n"_s,
        u"\uFEFF不是字节序标记"_s,
        u"\uFFFEabc"_s,
    };
    for (const QString &text : texts) {
        write(u"t.txt"_s, "\xEF\xBB\xBF" + unixText(text)); // Notepad's mark, dropped
        const CliRun made = encrypt(u"t.txt"_s, {u"-p"_s, strong});
        ASSERT_EQ(made.status, 0) << made.err.toStdString();
        const CliRun back = decrypt(u"p.bmp"_s, {u"-p"_s, strong});
        EXPECT_EQ(back.status, 0) << back.err.toStdString();
        EXPECT_EQ(back.out, unixText(text));
    }
}

TEST_F(CliProtected, APngComesBackToo)
{
    write(u"t.txt"_s, unixText(u"受保护的 PNG"_s));
    const CliRun made = runCli({u"encrypt"_s, u"--protect"_s, u"-p"_s, u"Pass9"_s, u"-i"_s,
                                path(u"t.txt"_s), u"-o"_s, path(u"p.png"_s)});
    ASSERT_EQ(made.status, 0) << made.err.toStdString();
    QFile png(path(u"p.png"_s));
    ASSERT_TRUE(png.open(QIODevice::ReadOnly));
    EXPECT_TRUE(png.read(8) == "\x89PNG\r\n\x1A\n");
    const CliRun back = decrypt(u"p.png"_s, {u"-p"_s, u"Pass9"_s});
    EXPECT_EQ(back.status, 0) << back.err.toStdString();
    EXPECT_EQ(back.out, unixText(u"受保护的 PNG"_s));
}

TEST_F(CliProtected, RefusalsSayWhyWithTheirStatus)
{
    write(u"t.txt"_s, "secret\n");
    write(u"pw.txt"_s, strongLine);
    // Without a password nothing is written.
    for (const QStringList &none : {QStringList{}, QStringList{u"-p"_s, u""_s}}) {
        const CliRun refused = encrypt(u"t.txt"_s, none);
        EXPECT_EQ(refused.status, 2);
        EXPECT_TRUE(refused.err.contains(u"--protect needs a password"_s))
            << refused.err.toStdString();
        EXPECT_FALSE(QFile::exists(path(u"p.bmp"_s)));
    }
    ASSERT_EQ(encrypt(u"t.txt"_s, {u"--password-file"_s, path(u"pw.txt"_s)}).status, 0);
    QImage changed(path(u"p.bmp"_s));
    changed.setPixel(10, 10, changed.pixel(10, 10) ^ 0x000100);
    ASSERT_TRUE(changed.save(path(u"changed.png"_s)));

    struct Case
    {
        QString picture;
        QStringList password;
        int status;
        QString says;
    };
    const Case cases[] = {
        {u"p.bmp"_s, {u"-p"_s, strong}, 0, {}},
        {u"p.bmp"_s,
         {u"-p"_s, u"Wrong1"_s},
         1,
         u"wrong password, or the picture has been changed"_s},
        {u"changed.png"_s, {u"-p"_s, strong}, 1, u"has been changed"_s},
        {u"p.bmp"_s, {}, 2, u"is a protected picture: give its password"_s},
    };
    for (const Case &c : cases) {
        const CliRun result = decrypt(c.picture, c.password);
        EXPECT_EQ(result.status, c.status) << c.picture.toStdString();
        EXPECT_TRUE(result.err.contains(c.says)) << result.err.toStdString();
        EXPECT_EQ(result.out, c.status == 0 ? QByteArray("secret\n") : QByteArray());
    }
}

TEST_F(CliProtected, AWeakPasswordIsWarnedAboutOrRefused)
{
    write(u"t.txt"_s, "secret\n");
    struct Case
    {
        const char *what;
        QStringList arguments;
        QMap<QString, QString> language;
        int status;
        QString says; // on standard error; empty: nothing at all
    };
    // A build that judges by length alone finds a short password weak only.
    const bool estimated = passwordStrength::estimatesGuesses();
    const QString weak = estimated ? u"Pass1234"_s : u"Pass123"_s;
    const Case cases[] = {
        {"weak",
         {u"--protect"_s, u"-p"_s, weak},
         {},
         0,
         estimated ? u"warning: this password could be found in "_s
                   : u"warning: this password has only 7 characters"_s},
        {"weak, in Chinese",
         {u"--protect"_s, u"-p"_s, weak},
         {{u"LANG"_s, u"zh_CN.UTF-8"_s}},
         0,
         estimated ? u"警告：这个密码大约 "_s : u"警告：这个密码只有 7 个字符"_s},
        {"weak, refused",
         {u"--protect"_s, u"--require-strong"_s, u"-p"_s, weak},
         {},
         2,
         u"refused (--require-strong), nothing written"_s},
        {"short, refused",
         {u"--protect"_s, u"--require-strong"_s, u"-p"_s, u"xK8mQ2z"_s},
         {},
         2,
         estimated ? u"fewer than 8 characters"_s : u"at least 8 characters"_s},
        {"strong", {u"--protect"_s, u"--require-strong"_s, u"-p"_s, strong}, {}, 0, {}},
        {"classic", {u"-p"_s, u"Pass1234"_s}, {}, 0, {}},
        {"classic, strength asked for",
         {u"--require-strong"_s, u"-p"_s, strong},
         {},
         2,
         u"--require-strong goes with --protect"_s},
    };
    for (const Case &c : cases) {
        QFile::remove(path(u"p.bmp"_s));
        CliOptions options;
        options.language = c.language;
        const CliRun run =
            runCli(QStringList{u"encrypt"_s, u"-i"_s, path(u"t.txt"_s), u"-o"_s, path(u"p.bmp"_s)} +
                       c.arguments,
                   options);
        EXPECT_EQ(run.status, c.status) << c.what << run.err.toStdString();
        // Nothing at all on standard error where nothing is to be said.
        EXPECT_TRUE(c.says.isEmpty() ? run.err.isEmpty() : run.err.contains(c.says))
            << c.what << run.err.toStdString();
        EXPECT_EQ(QFile::exists(path(u"p.bmp"_s)), c.status == 0) << c.what;
        if (c.status == 0) { // warned, and still a picture that opens
            EXPECT_EQ(decrypt(u"p.bmp"_s, {u"-p"_s, c.arguments.last()}).out,
                      QByteArray("secret\n"))
                << c.what;
        }
    }
}

TEST_F(CliProtected, InfoTellsTheKindAndCostButNothingOfThePassword)
{
    write(u"t.txt"_s, QByteArray(300, 'x'));
    ASSERT_EQ(encrypt(u"t.txt"_s, {u"-p"_s, strong}).status, 0);
    const CliRun info = runCli({u"info"_s, path(u"p.bmp"_s)});
    EXPECT_EQ(info.status, 0);
    EXPECT_EQ(QString::fromUtf8(info.out), u"size: 15 x 14 pixels\n"
                                           "kind: protected, format version 1\n"
                                           "key derivation: Argon2id, 3 passes, 262144 KiB\n"
                                           "padded text: 512 bytes\n"
                                           "opens with this version: yes\n"_s);
}

} // namespace
} // namespace veltrin::testing
