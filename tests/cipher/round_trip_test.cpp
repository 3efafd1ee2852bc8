// SPDX-License-Identifier: GPL-3.0-or-later
#include "cipher_fixtures.h"
#include "picture_io.h"
#include "picture_samples.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImageWriter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <random>

namespace veltrin::testing {
namespace {

struct RoundTripCase
{
    const char *name;
    QString text;
};

std::ostream &operator<<(std::ostream &os, const RoundTripCase &c)
{
    return os << c.name;
}

std::vector<RoundTripCase> roundTripTexts()
{
    std::vector<RoundTripCase> cases{
        {"Hello", QStringLiteral("Hello")},
        {"Blank", QStringLiteral(" ")},
        {"Ascii",
         QStringLiteral("The quick brown fox jumps over the lazy dog 0123456789 ~!@#$%^&*()")},
        {"Chinese", QStringLiteral("加密解密对比2个文本框内容是否相同啊")},
        {"LineBreaks", QStringLiteral("第一行\r\nline 2\r\n\r\n")},
        {"LatinAndEuro", QStringLiteral("€é加a")},
        {"Controls", QString(QChar(0)) + QStringLiteral("\t\x01\x7f")},
        {"Mixed12000", mixedText(12000, 12000)},
        {"Chinese12000", QString(12000, u'齄')},
    };
    static std::vector<std::string> names;
    names.reserve(20);
    for (int length = 1; length <= 20; ++length) {
        names.push_back("Mixed" + std::to_string(length));
        cases.push_back({names.back().c_str(), mixedText(length, 100 + length)});
    }
    return cases;
}

struct Factors
{
    int a;
    int b;
};

class RoundTrip : public ::testing::TestWithParam<std::tuple<RoundTripCase, QString, Factors>>
{};

TEST_P(RoundTrip, DecryptsFromWorkResultAndReopenedPicture)
{
    const auto &[c, password, factors] = GetParam();
    CipherRig rig;
    rig.encrypt(c.text, password, factors.a, factors.b);

    rig.decrypt(rig.picture1, password);
    EXPECT_EQ(rig.text2, c.text) << "from Picture1";
    rig.text2.clear();
    rig.decrypt(rig.picture5, password);
    EXPECT_EQ(rig.text2, c.text) << "from Picture5";

    // As Open shows a saved picture: the surface takes the picture's size.
    PictureSurface picture4(2520, 465);
    picture4.setPicture(rig.picture5.qImage());
    rig.text2.clear();
    rig.decrypt(picture4, password);
    EXPECT_EQ(rig.text2, c.text) << "from Picture4";
    EXPECT_EQ(rig.text2Sets, 3);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, RoundTrip,
    ::testing::Combine(::testing::ValuesIn(roundTripTexts()),
                       ::testing::Values(QString(), QStringLiteral("a"), QStringLiteral("Zz9"),
                                         QString(20, u'z')),
                       ::testing::Values(Factors{1000000, 2}, Factors{1999999, 3})),
    [](const auto &info) {
        const QString &password = std::get<1>(info.param);
        return std::string(std::get<0>(info.param).name) + "_Key" +
               std::to_string(PasswordKey(toU16(password), codePage936())) + "_B" +
               std::to_string(std::get<2>(info.param).b);
    });

// A cipher picture that another program saved losslessly in another format
// opens and decrypts.
struct Saved
{
    const char *format;
    const char *suffix;
    std::function<QByteArray(const QImage &)> write;
};

std::ostream &operator<<(std::ostream &os, const Saved &c)
{
    return os << c.format;
}

QByteArray writtenByQt(const QImage &image, const char *format, int quality)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setQuality(quality);
    EXPECT_TRUE(writer.write(image)) << format;
    return bytes;
}

class OtherFormat : public ::testing::TestWithParam<Saved>
{};

TEST_P(OtherFormat, OpensAndDecrypts)
{
    const Saved &c = GetParam();
    const QString text = mixedText(500, 9);
    CipherRig rig;
    rig.encrypt(text, QStringLiteral("Zz9"), 1765432, 3);
    QTemporaryDir temp;
    ASSERT_TRUE(temp.isValid());
    const QString path =
        QDir(temp.path()).filePath(QStringLiteral("cipher.") + QLatin1String(c.suffix));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(c.write(rig.picture5.qImage()));
    file.close();

    QtPictureLoader loader;
    const PictureLoad load = loader.OleLoadPicturePath(path);
    ASSERT_TRUE(load.picture.has_value());
    EXPECT_EQ(load.picture->format, QByteArray(c.format));
    EXPECT_FALSE(load.picture->lossy);
    PictureSurface picture4(2520, 465);
    picture4.setPicture(load.picture->image);
    rig.decrypt(picture4, QStringLiteral("Zz9"));
    EXPECT_EQ(rig.text2, text);
}

INSTANTIATE_TEST_SUITE_P(
    Lossless, OtherFormat,
    ::testing::Values(
        Saved{"tiff", "tif", [](const QImage &image) { return writtenByQt(image, "tiff", -1); }},
        Saved{"webp", "webp", [](const QImage &image) { return writtenByQt(image, "webp", 100); }},
        Saved{"tga", "tga", [](const QImage &image) { return tgaFile(image); }},
        Saved{"png", "png", [](const QImage &image) { return writtenByQt(image, "png", -1); }}),
    [](const auto &info) { return std::string(info.param.format); });

TEST(RoundTrip, CharacterOutsideTheCodePageComesBackAsQuestionMark)
{
    CipherRig rig;
    rig.encrypt(QStringLiteral("aกb"), QString(), 1234567, 2);
    rig.decrypt(rig.picture1, QString());
    EXPECT_EQ(rig.text2, QStringLiteral("a?b"));
}

// Every header cell must survive a three-character text, and the picture
// drawn on the same surface right after it.
class AfterThreeCharacters : public ::testing::TestWithParam<int>
{};

TEST_P(AfterThreeCharacters, BothPicturesDecrypt)
{
    CipherRig rig;
    rig.encrypt(QStringLiteral("abc"), QStringLiteral("k"), 1234567, 3);
    EXPECT_EQ(rig.picture1.Point(30, 0), 3 + 107);
    EXPECT_EQ(CanvasSize(3).width, 65);
    EXPECT_GE(rig.picture1.qImage().width(), 3);
    rig.decrypt(rig.picture1, QStringLiteral("k"));
    EXPECT_EQ(rig.text2, QStringLiteral("abc"));
    rig.decrypt(rig.picture5, QStringLiteral("k"));
    EXPECT_EQ(rig.text2, QStringLiteral("abc"));

    const QString next = mixedText(GetParam(), 77);
    rig.encrypt(next, QString(), 1765432, 2);
    EXPECT_EQ(rig.picture1.Point(30, 0), 2);
    rig.decrypt(rig.picture1, QString());
    EXPECT_EQ(rig.text2, next);
    rig.decrypt(rig.picture5, QString());
    EXPECT_EQ(rig.text2, next);
}

INSTANTIATE_TEST_SUITE_P(Lengths, AfterThreeCharacters, ::testing::Values(1, 2, 3, 4, 9, 100));

TEST(RoundTrip, ManyEncryptionsOnTheSameSurfacesWithTheSystemSource)
{
    CipherMembers members = loadedMembers();
    SystemRandomSource random; // unseeded: the same sequence on every run
    PictureSurface picture1(picture1Width, picture1Height);
    PictureSurface picture5(picture5Width, picture5Height);
    Encryptor encryptor(members, random, codePage936());
    Decryptor decryptor(members, codePage936());
    std::mt19937 engine(42);
    std::uniform_int_distribution<int> length(1, 60);
    const QString passwords[] = {QString(), QStringLiteral("x"), QString(20, u'9')};
    const auto ignore = [](bool) {};

    for (int round = 0; round < 300; ++round) {
        const QString text = mixedText(round % 7 == 0 ? 3 : length(engine), 1000 + round);
        const QString &password = passwords[round % 3];
        encryptor.run(
            EncryptPage{toU16(text), toU16(password), picture1, picture5, ignore, ignore});
        ASSERT_GE(members.factorA, 1000000);
        ASSERT_LE(members.factorA, 1999999);
        ASSERT_TRUE(members.factorB == 2 || members.factorB == 3);
        for (const Surface *source :
             {static_cast<const Surface *>(&picture1), static_cast<const Surface *>(&picture5)}) {
            QString text2;
            decryptor.run(DecryptPage{toU16(password), *source,
                                      [&](const std::u16string &t) { text2 = fromU16(t); }, ignore,
                                      ignore});
            ASSERT_EQ(text2, text) << "round " << round;
        }
    }
}

} // namespace
} // namespace veltrin::testing
