// SPDX-License-Identifier: GPL-3.0-or-later
// veltrin-cli with robust pictures, as a real process: made as PNG, read back
// after a chat program's JPEG.
#include "cli_runner.h"

#include "cipher_fixtures.h"
#include "qt_adapters.h"
#include "qt_printers.h"
#include "reed_solomon.h"
#include "robust_picture.h"

#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

using namespace Qt::StringLiterals;

namespace veltrin::testing {
namespace {

const QString strong = u"Kq7vX2mLp9Rt4Wz8"_s;
const QByteArray pngSignature("\x89PNG\r\n\x1A\n");

// The picture with one of its header's bytes set, redrawn as
// docs/robust-picture.md lays it out: the header's 26 bytes lead the
// whitened stream, row by row inside the timing edges.
QImage withHeaderByte(QImage picture, int modules, int index, std::uint8_t value)
{
    constexpr int headerBits = 26 * 8;
    // Version 2: two quiet modules, the frame and the timing before the data.
    const int module = picture.width() / (modules + 4), inner = modules - 3;
    std::vector<bool> mask(headerBits);
    std::uint32_t state = 0x56454C54;
    for (int i = 0; i < headerBits; ++i) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        mask[std::size_t(i)] = state & 1;
    }
    const auto corner = [&](int i) {
        return QPoint((4 + i % inner) * module, (4 + i / inner) * module);
    };
    std::vector<std::uint8_t> header(10);
    for (int i = 0; i < 80; ++i) {
        const QPoint middle = corner(i) + QPoint(module / 2, module / 2);
        const bool isDark = qGray(picture.pixel(middle)) < 128;
        if (isDark != mask[std::size_t(i)])
            header[std::size_t(i / 8)] |= std::uint8_t(1 << (7 - i % 8));
    }
    header[std::size_t(index)] = value;
    const std::vector<std::uint8_t> parity = reedSolomon::parity(header, 16);
    header.insert(header.end(), parity.begin(), parity.end());
    for (int i = 0; i < headerBits; ++i) {
        const bool bit = header[std::size_t(i / 8)] >> (7 - i % 8) & 1;
        const QRgb colour = bit != mask[std::size_t(i)] ? qRgb(0, 0, 0) : qRgb(255, 255, 255);
        for (int y = 0; y < module; ++y)
            for (int x = 0; x < module; ++x)
                picture.setPixel(corner(i) + QPoint(x, y), colour);
    }
    return picture;
}

class CliRobust : public CliFolder
{
protected:
    // As a chat program sends it on: JPEG at quality 50, 4:2:0.
    void asJpeg(const QString &from, const QString &to)
    {
        QImageWriter writer(path(to), "jpeg");
        writer.setQuality(50);
        ASSERT_TRUE(writer.write(QImage(path(from)))) << writer.errorString().toStdString();
    }
    CliRun encrypt(const QString &text, const QStringList &options, const QString &picture)
    {
        write(u"t.txt"_s, "\xEF\xBB\xBF" + unixText(text)); // Notepad's mark, dropped
        return runCli(QStringList{u"encrypt"_s, u"--robust"_s, u"-i"_s, path(u"t.txt"_s), u"-o"_s,
                                  path(picture), u"-f"_s} +
                      options);
    }
};

TEST_F(CliRobust, TextsComeBackFromPngAndFromJpeg)
{
    // Hangul and emoji: no code page 936, so only a picture of UTF-8 keeps them.
    const QString texts[] = {
        u"a"_s,
        u"加密解密，你好"_s,
        u"😀 emoji, 한글"_s,
        u"第一行\r\n\r\nline 3\r\n"_s,
        mixedText(3000, 5),
        mixedText(12000, 7),
        u"\uFEFF不是字节序标记"_s,
        u"\uFFFEabc"_s,
    };
    for (const QString &text : texts) {
        // No extension: PNG all the same, for this kind.
        const CliRun made = encrypt(text, {}, u"r"_s);
        ASSERT_EQ(made.status, 0) << made.err.toStdString();
        ASSERT_TRUE(read(u"r"_s).startsWith(pngSignature)) << text.size();
        asJpeg(u"r"_s, u"r.jpg"_s);
        for (const QString &picture : {u"r"_s, u"r.jpg"_s}) {
            const CliRun back = decrypt(picture);
            EXPECT_EQ(back.status, 0) << picture.toStdString() << back.err.toStdString();
            EXPECT_EQ(back.out, unixText(text)) << picture.toStdString() << ' ' << text.size();
            // No lossy warning: the kind is made for JPEG.
            EXPECT_TRUE(back.err.isEmpty()) << back.err.toStdString();
        }
    }
}

TEST_F(CliRobust, ASealedOneOpensOnlyWithItsPassword)
{
    const CliRun made =
        encrypt(u"受保护，经得起转发"_s, {u"--protect"_s, u"-p"_s, strong}, u"s.png"_s);
    ASSERT_EQ(made.status, 0) << made.err.toStdString();
    EXPECT_TRUE(made.err.isEmpty()) << made.err.toStdString();
    ASSERT_TRUE(read(u"s.png"_s).startsWith(pngSignature));
    asJpeg(u"s.png"_s, u"s.jpg"_s);
    // Half the rows under the header inverted: more than the parity mends.
    QImage damaged(path(u"s.png"_s));
    const int w = damaged.width(), h = damaged.height();
    for (int y = h / 16; y < h / 2; ++y)
        for (int x = w / 40; x < w - w / 40; ++x)
            damaged.setPixel(x, y, damaged.pixel(x, y) ^ 0xFFFFFF);
    ASSERT_TRUE(damaged.save(path(u"damaged.png"_s)));
    ASSERT_TRUE(QImage(path(u"s.png"_s)).copy(0, 0, w / 2, h / 2).save(path(u"cropped.png"_s)));

    struct Case
    {
        QString picture;
        QStringList password;
        int status;
        QString says;
    };
    const Case cases[] = {
        {u"s.png"_s, {u"-p"_s, strong}, 0, {}},
        {u"s.jpg"_s, {u"-p"_s, strong}, 0, {}},
        {u"s.png"_s,
         {u"-p"_s, u"Wrong1"_s},
         1,
         u"wrong password, or the picture has been changed"_s},
        {u"s.jpg"_s, {}, 2, u"is a protected picture: give its password"_s},
        {u"damaged.png"_s, {u"-p"_s, strong}, 1, u"the robust picture is too damaged"_s},
        // Its light quiet zone leads the classic reading past any picture.
        {u"cropped.png"_s, {u"-p"_s, strong}, 1, u"a picture Veltrin did not make"_s},
    };
    for (const Case &c : cases) {
        const CliRun result = decrypt(c.picture, c.password);
        EXPECT_EQ(result.status, c.status) << c.picture.toStdString();
        EXPECT_TRUE(c.says.isEmpty() ? result.err.isEmpty() : result.err.contains(c.says))
            << result.err.toStdString();
        EXPECT_EQ(result.out, c.status == 0 ? unixText(u"受保护，经得起转发"_s) : QByteArray());
    }
}

TEST_F(CliRobust, InfoNamesTheKindItsGridAndTheCarriedHeader)
{
    ASSERT_EQ(encrypt(QString(2000, u'x'), {}, u"plain.png"_s).status, 0);
    ASSERT_EQ(encrypt(u"x"_s, {u"--protect"_s, u"-p"_s, strong}, u"sealed.png"_s).status, 0);
    asJpeg(u"plain.png"_s, u"plain.jpg"_s);
    struct Case
    {
        QString picture;
        QStringList says; // lines after the size and the kind, in order
    };
    const Case cases[] = {
        {u"plain.jpg"_s, {u"packing: zstd"_s, u"opens with this version: yes"_s}},
        {u"sealed.png"_s,
         {u"packing: sealed, a protected picture:"_s, u"  kind: protected, format version 1"_s,
          u"  key derivation: Argon2id, 3 passes, 262144 KiB"_s, u"  padded text: 256 bytes"_s,
          u"  opens with this version: yes"_s}},
    };
    for (const Case &c : cases) {
        const CliRun info = runCli({u"info"_s, path(c.picture)});
        EXPECT_EQ(info.status, 0) << info.err.toStdString();
        EXPECT_TRUE(info.err.isEmpty()) << info.err.toStdString();
        const QStringList lines = QString::fromUtf8(info.out).split(u'\n');
        ASSERT_GE(lines.size(), 5 + c.says.size()) << info.out.toStdString();
        const QImage picture(path(c.picture));
        EXPECT_EQ(lines[0], u"size: %1 x %2 pixels"_s.arg(picture.width()).arg(picture.height()));
        EXPECT_EQ(lines[1], u"kind: robust (经得起转发), format version 2"_s);
        // The module is whole pixels: the grid and its quiet zone times it is the picture,
        // found where it lies, the whole file.
        const QRegularExpressionMatch grid =
            QRegularExpression(u"^grid: (\\d+) x \\1 modules of about (\\d+)\\.0 pixels$"_s)
                .match(lines[2]);
        ASSERT_TRUE(grid.hasMatch()) << lines[2].toStdString();
        EXPECT_EQ((grid.captured(1).toInt() + 4) * grid.captured(2).toInt(), picture.width());
        EXPECT_EQ(lines[3], u"found at: 0, 0, %1 x %1 pixels"_s.arg(picture.width()));
        EXPECT_TRUE(lines[4].startsWith(u"error correction: "_s)) << lines[4].toStdString();
        EXPECT_EQ(lines.mid(5, c.says.size()), c.says);
        EXPECT_EQ(lines.size(), 5 + c.says.size() + 1); // and the final line break
    }
}

TEST_F(CliRobust, AScreenshotIsReadAndInfoSaysWhereThePictureLies)
{
    ASSERT_EQ(encrypt(u"截图"_s, {}, u"r.png"_s).status, 0);
    QImage screen(1080, 2400, QImage::Format_RGB32);
    screen.fill(QColor(17, 17, 17)); // dark mode
    QPainter painter(&screen);
    painter.drawImage(QRect(100, 300, 636, 636), QImage(path(u"r.png"_s)));
    painter.end();
    ASSERT_TRUE(screen.save(path(u"shot.jpg"_s), "JPEG", 80));
    EXPECT_EQ(decrypt(u"shot.jpg"_s).out, unixText(u"截图"_s));
    const QStringList lines =
        QString::fromUtf8(runCli({u"info"_s, path(u"shot.jpg"_s)}).out).split(u'\n');
    ASSERT_GE(lines.size(), 4);
    EXPECT_EQ(lines[3], u"found at: 100, 300, 636 x 636 pixels"_s);
}

TEST_F(CliRobust, ANewerVersionAndAMakerThatBreaksTheFormatAreToldApart)
{
    ASSERT_EQ(encrypt(u"x"_s, {}, u"r.png"_s).status, 0);
    const QImage made(path(u"r.png"_s));
    const int modules = robustPicture::detect(toPicture(made)).grid->modules;
    // The same version redrawn still reads: the redrawing itself breaks nothing.
    ASSERT_TRUE(withHeaderByte(made, modules, 2, 2).save(path(u"same.png"_s)));
    ASSERT_TRUE(withHeaderByte(made, modules, 2, 3).save(path(u"newer.png"_s)));
    // Bytes the format forbids: a packing it does not know, "x" for a zstd frame.
    ASSERT_TRUE(withHeaderByte(made, modules, 3, 3).save(path(u"unknown.png"_s)));
    ASSERT_TRUE(withHeaderByte(made, modules, 3, 1).save(path(u"zstd.png"_s)));
    const QString newer = u"the robust picture was made by a newer version of Veltrin"_s;
    struct Case
    {
        QStringList arguments;
        QMap<QString, QString> language;
        int status;
        QByteArray out;
        QString says;
    };
    const Case cases[] = {
        {{u"decrypt"_s, path(u"same.png"_s)}, {}, 0, "x", {}},
        {{u"decrypt"_s, path(u"newer.png"_s)}, {}, 1, {}, newer},
        {{u"decrypt"_s, path(u"unknown.png"_s)}, {}, 1, {}, u"does not follow the format"_s},
        {{u"decrypt"_s, path(u"zstd.png"_s)}, {}, 1, {}, u"does not follow the format"_s},
        {{u"decrypt"_s, path(u"newer.png"_s)},
         {{u"LANG"_s, u"zh_CN.UTF-8"_s}},
         1,
         {},
         u"这张经得起转发的图片是更新版本的 Veltrin 做的，这个版本读不了。请更新 Veltrin。"_s},
        {{u"info"_s, path(u"newer.png"_s)},
         {},
         0,
         u"size: %1 x %1 pixels\nkind: robust (经得起转发)\nopens with this version: no (%2, "
         u"which this version cannot read; update Veltrin)\n"_s.arg(made.width())
             .arg(newer)
             .toUtf8(),
         {}},
    };
    for (const Case &c : cases) {
        CliOptions options;
        options.language = c.language;
        const CliRun run = runCli(c.arguments, options);
        EXPECT_EQ(run.status, c.status) << c.arguments.join(u' ').toStdString();
        EXPECT_EQ(run.out, c.out);
        EXPECT_TRUE(c.says.isEmpty() ? run.err.isEmpty() : run.err.contains(c.says))
            << run.err.toStdString();
    }
}

} // namespace
} // namespace veltrin::testing
