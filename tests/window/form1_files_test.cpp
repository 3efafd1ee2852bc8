// SPDX-License-Identifier: GPL-3.0-or-later
#include "form1_fixture.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

using namespace Qt::StringLiterals;

namespace veltrin::testing {
namespace {

struct FileTrip
{
    int length;
    QString password;
};

class Form1FileRoundTrip : public Form1Files, public ::testing::WithParamInterface<FileTrip>
{};

TEST_P(Form1FileRoundTrip, SavedPictureOpensAndDecryptsInFull)
{
    const FileTrip &trip = GetParam();
    const QString sample = u"汉字 text，混合\r\n"_s;
    QString text;
    while (text.size() < trip.length)
        text += sample;
    text.truncate(trip.length);

    encrypt(text, trip.password);
    save(path(u"picture"_s));
    EXPECT_EQ(form->fileName(), path(u"picture"_s));
    ASSERT_TRUE(QFile::exists(path(u"picture.bmp"_s)));

    EXPECT_EQ(openAndDecrypt(path(u"picture.bmp"_s), trip.password), text);
    EXPECT_EQ(form->fileName(), path(u"picture.bmp"_s));
    // Picture4 takes the picture's size, whatever its viewer shows.
    const QSize drawn = control<PictureBox>(u"Picture5"_s)->surface().qImage().size();
    EXPECT_EQ(picture4().qImage().size(), drawn);
    clickTab(0);
    click(u"Command3"_s);
    EXPECT_EQ(label(u"Label1"_s)->caption(), u"是"_s);
    EXPECT_TRUE(messages.shown.empty());
}

INSTANTIATE_TEST_SUITE_P(Lengths, Form1FileRoundTrip,
                         ::testing::Values(FileTrip{1, u""_s}, FileTrip{1, u"pw1"_s},
                                           FileTrip{3, u""_s}, FileTrip{3, u"Key"_s},
                                           FileTrip{9, u""_s}, FileTrip{9, u"k9"_s},
                                           FileTrip{16, u""_s}, FileTrip{16, u"SixTeen16"_s},
                                           FileTrip{12000, u""_s},
                                           FileTrip{12000, u"abcdefghijklmnopqrst"_s}));

struct FilterTrip
{
    const char *name;
    std::uint32_t filter;
    QString chosen;
    QString written;
};

class Form1SaveFilter : public Form1Files, public ::testing::WithParamInterface<FilterTrip>
{};

TEST_P(Form1SaveFilter, TheChosenFormatAndNameAreWrittenAndDecryptInFull)
{
    const FilterTrip &trip = GetParam();
    QString text;
    while (text.size() < 12000)
        text += u"汉字 PNG，混合\r\n"_s;
    text.truncate(12000);

    encrypt(text, u"abcdefghijklmnopqrst"_s);
    save(path(trip.chosen), trip.filter);

    EXPECT_EQ(form->fileName(), path(trip.chosen));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{trip.written});
    const PictureLoad saved = loader.OleLoadPicturePath(path(trip.written));
    ASSERT_TRUE(saved);
    EXPECT_EQ(saved.picture->format, trip.filter == 2 ? "png" : "bmp");
    EXPECT_EQ(openAndDecrypt(path(trip.written), u"abcdefghijklmnopqrst"_s), text);
    EXPECT_TRUE(messages.shown.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Filters, Form1SaveFilter,
    ::testing::Values(FilterTrip{"bmp", 1, u"result"_s, u"result.bmp"_s},
                      FilterTrip{"bmpAfterPng", 1, u"result.png"_s, u"result.png.bmp"_s},
                      FilterTrip{"png", 2, u"result"_s, u"result.png"_s},
                      FilterTrip{"pngKept", 2, u"result.png"_s, u"result.png"_s},
                      FilterTrip{"pngAfterBmp", 2, u"result.bmp"_s, u"result.bmp.png"_s}),
    [](const auto &info) { return std::string(info.param.name); });

std::uint32_t u32(const QByteArray &bytes, int at)
{
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.constData()) + at;
    return p[0] | p[1] << 8 | p[2] << 16 | std::uint32_t(p[3]) << 24;
}

TEST_F(Form1Files, SavedFileHoldsEveryCellAsA24BitPixel)
{
    // u1 gives A = 1234567 and u2 gives B = 2 (1.5 rounds to the even 2).
    random = ScriptedRandom{0.2345675, 0.0};
    encrypt(u"Hello"_s, u""_s);
    save(path(u"hello.bmp"_s));

    QFile file(path(u"hello.bmp"_s));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bmp = file.readAll();
    ASSERT_GE(bmp.size(), 54);
    const int width = 3; // 80 twips outer: three pixels inside the border
    const int height = 3;
    const int stride = 12; // 9 bytes padded to 4
    EXPECT_EQ(bmp.left(2), "BM");
    EXPECT_EQ(u32(bmp, 2), std::uint32_t(bmp.size()));
    EXPECT_EQ(bmp.size(), 54 + stride * height);
    EXPECT_EQ(u32(bmp, 10), 54u);
    EXPECT_EQ(u32(bmp, 18), std::uint32_t(width));
    EXPECT_EQ(u32(bmp, 22), std::uint32_t(height)); // bottom-up
    EXPECT_EQ(u32(bmp, 28) & 0xFFFF, 24u);
    EXPECT_EQ(u32(bmp, 30), 0u); // no compression

    const std::int32_t white = 16777215;
    const std::int32_t product = 1234567 * 2;
    const std::int32_t expected[3][3] = {
        {5, 1234567, 2},
        {product + 'H', product + 'e', product + 'l'},
        {product + 'l', product + 'o', white},
    };
    for (int row = 0; row < height; ++row) {
        for (int column = 0; column < width; ++column) {
            const int at = 54 + (height - 1 - row) * stride + column * 3;
            const auto byte = [&](int i) { return static_cast<unsigned char>(bmp.at(at + i)); };
            const std::int32_t value = byte(2) | byte(1) << 8 | byte(0) << 16; // B, G, R
            EXPECT_EQ(value, expected[row][column]) << "cell (" << column << ", " << row << ")";
        }
    }
}

TEST_F(Form1Files, SaveNeverDoublesTheExtensionNorReplacesSilently)
{
    encrypt(u"first"_s, u""_s);
    save(path(u"result.bmp"_s));
    save(path(u"RESULT.BMP"_s));
    EXPECT_TRUE(QFile::exists(path(u"RESULT.BMP"_s)));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 2);

    QFile file(path(u"result.bmp"_s));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray before = file.readAll();
    file.close();

    // A name typed without extension meets an existing .bmp: asked first, kept on no.
    encrypt(u"second, longer text"_s, u""_s);
    messages.answers.push_back(MessageBox::No);
    save(path(u"result"_s));
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_TRUE(messages.shown.front().text.contains(u"result.bmp"_s));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), before);
    file.close();

    messages.answers.push_back(MessageBox::Yes);
    save(path(u"result"_s));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_NE(file.readAll(), before);
}

TEST_F(Form1Files, FailedSaveIsReportedInChineseAndTheWindowGoesOn)
{
    QFile blocker(path(u"not-a-folder"_s));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.write("x");
    blocker.close();

    encrypt(u"keep me"_s, u""_s);
    struct Failure
    {
        QString chosen, reason;
    };
    for (const Failure &failure : {Failure{u"not-a-folder/picture"_s, u"不是文件夹"_s},
                                   Failure{u"missing/picture"_s, u"不存在"_s}}) {
        messages.shown.clear();
        save(path(failure.chosen));
        ASSERT_EQ(messages.shown.size(), 1u) << failure.chosen.toStdString();
        const QString text = messages.shown.front().text;
        EXPECT_EQ(messages.shown.front().style, MessageBox::Critical);
        EXPECT_TRUE(text.contains(failure.reason)) << text.toStdString();
        // The line after the path is the reason, with no system English in it.
        EXPECT_FALSE(text.section(u'\n', 1).contains(QRegularExpression(u"[A-Za-z]"_s)))
            << text.toStdString();
    }
    EXPECT_EQ(text1()->Text(), u"keep me"_s);

    // Everything still works: the same picture saves elsewhere and decrypts.
    messages.shown.clear();
    save(path(u"picture"_s));
    EXPECT_EQ(openAndDecrypt(path(u"picture.bmp"_s), u""_s), u"keep me"_s);
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(Form1Files, CancelledDialogsChangeNothing)
{
    encrypt(u"abc"_s, u""_s);
    save(path(u"picture"_s));
    openAndDecrypt(path(u"picture.bmp"_s), u""_s);
    const QImage shown = picture4().qImage();

    dialogs.cancel();
    click(u"Command4"_s);
    EXPECT_TRUE(form->fileName().isEmpty());
    EXPECT_EQ(picture4().qImage(), shown);

    clickTab(0);
    dialogs.cancel();
    click(u"Command7"_s);
    EXPECT_TRUE(form->fileName().isEmpty());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{u"picture.bmp"_s});
}

TEST_F(Form1Files, FilesThatAreNoPictureClearPicture4AndSayWhy)
{
    QFile text(path(u"text.bmp"_s));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("This is not a picture at all.\n");
    text.close();
    QFile empty(path(u"empty.bmp"_s));
    ASSERT_TRUE(empty.open(QIODevice::WriteOnly));
    empty.close();

    encrypt(u"a picture to truncate"_s, u""_s);
    save(path(u"whole"_s));
    QFile whole(path(u"whole.bmp"_s));
    ASSERT_TRUE(whole.open(QIODevice::ReadOnly));
    const QByteArray bytes = whole.readAll();
    QFile cut(path(u"cut.bmp"_s));
    ASSERT_TRUE(cut.open(QIODevice::WriteOnly));
    cut.write(bytes.left(bytes.size() / 2));
    cut.close();

    for (const QString &name : {u"missing.bmp"_s, u"text.bmp"_s, u"empty.bmp"_s, u"cut.bmp"_s}) {
        SCOPED_TRACE(name.toStdString());
        openAndDecrypt(path(u"whole.bmp"_s), u""_s);
        ASSERT_EQ(text2()->Text(), u"a picture to truncate"_s);
        messages.shown.clear();

        dialogs.confirm(path(name));
        click(u"Command4"_s);
        EXPECT_EQ(picture4().Point(0, 0), PictureSurface::white);
        EXPECT_EQ(picture4().Point(15, 15), PictureSurface::white);
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_TRUE(messages.shown.front().text.contains(name))
            << messages.shown.front().text.toStdString();
        EXPECT_EQ(messages.shown.front().style, MessageBox::Exclamation);
    }
}

} // namespace
} // namespace veltrin::testing
