// SPDX-License-Identifier: GPL-3.0-or-later
#include "cipher_members.h"
#include "code_page.h"
#include "decryptor.h"
#include "fakes.h"
#include "picture_io.h"
#include "picture_surface.h"
#include "protected_picture.h"
#include "qt_printers.h"
#include "runtime_error.h"
#include "window_start.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QFile>

#include <gtest/gtest.h>

namespace veltrin::testing {
namespace {

using namespace protectedPicture;

// Cheap enough for many cases; the format is the same at every cost.
constexpr KdfCost cheap{1, 8 * 1024};

QImage sealed(const QString &text, const QString &password = QStringLiteral("pw1"))
{
    SequenceRandomBytes random;
    const Sealed result = seal(text, password, random, cheap);
    EXPECT_EQ(result.failure, Failure::None);
    return result.image;
}

// Byte `at` of the picture, as the format counts: red, green, blue, pixel by pixel.
void setByte(QImage &image, int at, int value)
{
    const int pixel = at / 3;
    const QPoint where(pixel % image.width(), pixel / image.width());
    const int shift = 16 - 8 * (at % 3);
    const QRgb colour = image.pixel(where);
    image.setPixel(where, (colour & ~(QRgb(0xFF) << shift)) | QRgb(value & 0xFF) << shift);
}

int byteAt(const QImage &image, int at)
{
    const int pixel = at / 3;
    return static_cast<int>(image.pixel(pixel % image.width(), pixel / image.width()) >>
                            (16 - 8 * (at % 3))) &
           0xFF;
}

void flipByte(QImage &image, int at)
{
    setByte(image, at, byteAt(image, at) ^ 1);
}

TEST(ProtectedPicture, TextsComeBackExactly)
{
    const QString texts[] = {
        QStringLiteral("a"),
        QStringLiteral("abc"),
        QString(12000, u'齄'),
        QStringLiteral("加密解密，你好"),
        QStringLiteral("😀 and ☃ and 𠀀"), // code page 936 has none of these
        QStringLiteral("line\r\n\r\nbreaks\r\n"),
        QString(QChar(0xFEFF)) + QStringLiteral("starts with a BOM"),
    };
    for (const QString &text : texts) {
        const QImage image = sealed(text);
        EXPECT_TRUE(hasSignature(image));
        const Opened opened = open(image, QStringLiteral("pw1"), cheap);
        EXPECT_EQ(opened.failure, Failure::None) << text.left(20).toStdString();
        EXPECT_EQ(opened.text, text);
    }
}

TEST(ProtectedPicture, SizeGivesOnlyTheSizeClass)
{
    // 1 and 255 bytes pad to the same 256; 256 bytes need the next class.
    EXPECT_EQ(sealed(QStringLiteral("a")).size(), sealed(QString(255, u'a')).size());
    EXPECT_NE(sealed(QString(255, u'a')).size(), sealed(QString(256, u'a')).size());
}

// The reference picture was written by tests/cipher/data/make_protected_fixture.py
// from the format's description with libsodium alone.
TEST(ProtectedPicture, KnownAnswer)
{
    QFile file(QStringLiteral(VELTRIN_PROTECTED_FIXTURE));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray reference = file.readAll();
    const QImage expected = QImage::fromData(reference, "BMP");
    ASSERT_FALSE(expected.isNull());
    const QString text = QStringLiteral("Veltrin 你好\r\n😀 protected");
    const QString password = QStringLiteral("Veltrin2026");

    SequenceRandomBytes random; // salt 0 to 15, nonce 16 to 39
    const Sealed made = seal(text, password, random, {2, 64 * 1024});
    ASSERT_EQ(made.failure, Failure::None);
    EXPECT_EQ(made.image.convertToFormat(QImage::Format_RGB32),
              expected.convertToFormat(QImage::Format_RGB32));

    // Shown and saved as the window does, it is the reference file to the byte.
    PictureSurface picture1(startSize::picture1Width, startSize::picture1Height);
    PictureSurface picture5(startSize::picture5Width, startSize::picture5Height);
    show(made.image, picture1, picture5);
    QBuffer bmp;
    bmp.open(QIODevice::WriteOnly);
    QtPictureWriter::writeBmp(picture5.Image(), bmp);
    EXPECT_EQ(bmp.data(), reference);

    const Opened opened = open(expected, password);
    EXPECT_EQ(opened.failure, Failure::None);
    EXPECT_EQ(opened.text, text);
    const HeaderRead read = readHeader(expected);
    EXPECT_EQ(read.header.cost, (KdfCost{2, 64 * 1024}));
    EXPECT_EQ(read.header.paddedBytes(), 256u);
}

TEST(ProtectedPicture, EveryChangedRegionIsRefused)
{
    const QString text = QStringLiteral("secret 秘密");
    const QImage original = sealed(text); // 69 + 272 bytes in 11 x 11 pixels
    struct Change
    {
        const char *region;
        int at;
        Failure failure;
    };
    const Change changes[] = {
        {"signature", 4, Failure::NotProtected},
        {"version", 11, Failure::Damaged}, // 1 becomes 0
        {"algorithm", 12, Failure::Damaged},
        {"passes", 13, Failure::Damaged},      // 1 pass becomes none
        {"memory", 18, Failure::NotAuthentic}, // the same key, but the header is bound
        {"sealed size", 26, Failure::Damaged},
        {"salt", 29 + 5, Failure::NotAuthentic},
        {"nonce", 45 + 23, Failure::NotAuthentic},
        {"ciphertext", 69 + 3, Failure::NotAuthentic},
        {"padding", 69 + 200, Failure::NotAuthentic},
        {"tag", 69 + 256 + 15, Failure::NotAuthentic},
        {"fill", 341, Failure::Changed},
    };
    for (const Change &change : changes) {
        QImage image = original;
        flipByte(image, change.at);
        const Opened opened = open(image, QStringLiteral("pw1"));
        EXPECT_EQ(opened.failure, change.failure) << change.region;
        EXPECT_TRUE(opened.text.isEmpty()) << change.region;
    }
    QImage newer = original;
    setByte(newer, 11, 2);
    EXPECT_EQ(open(newer, QStringLiteral("pw1")).failure, Failure::NewerVersion);
    EXPECT_EQ(open(original, QStringLiteral("pw2"), cheap).failure, Failure::NotAuthentic);
    EXPECT_EQ(open(original, QString(), cheap).failure, Failure::NeedsPassword);
    EXPECT_EQ(open(original.copy(0, 0, 11, 10), QStringLiteral("pw1"), cheap).failure,
              Failure::Damaged);
    EXPECT_EQ(open(original.copy(0, 0, 12, 11), QStringLiteral("pw1"), cheap).failure,
              Failure::Damaged);
    EXPECT_EQ(open(original.copy(0, 0, 11, 1), QStringLiteral("pw1"), cheap).failure,
              Failure::Damaged);
}

TEST(ProtectedPicture, AnotherWritersSealIsToldApartFromAWrongPassword)
{
    struct Written
    {
        const char *name;
        std::vector<unsigned char> padded;
        Failure failure;
    };
    auto block = [](std::initializer_list<unsigned char> start) {
        std::vector<unsigned char> bytes(padBlock);
        std::copy(start.begin(), start.end(), bytes.begin());
        return bytes;
    };
    const Written written[] = {
        {"empty text", block({0x80}), Failure::None},
        {"no padding mark", block({'a'}), Failure::NotConforming},
        {"bad UTF-8", block({0xFF, 0xFE, 0x80}), Failure::NotConforming},
        {"half a character", block({0xE4, 0xB8, 0x80}), Failure::NotConforming},
    };
    for (const Written &w : written) {
        SequenceRandomBytes random;
        const Sealed made = sealPadded(w.padded, QStringLiteral("pw1"), random, cheap);
        ASSERT_EQ(made.failure, Failure::None) << w.name;
        const Opened opened = open(made.image, QStringLiteral("pw1"));
        EXPECT_EQ(opened.failure, w.failure) << w.name;
        EXPECT_TRUE(opened.text.isEmpty()) << w.name;
        EXPECT_EQ(open(made.image, QStringLiteral("pw2")).failure, Failure::NotAuthentic) << w.name;
    }
}

TEST(ProtectedPicture, AChangedFillIsToldWithoutThePassword)
{
    QImage image = sealed(QStringLiteral("x"));
    EXPECT_EQ(readHeader(image).failure, Failure::None);
    setByte(image, 3 * image.width() * image.height() - 1, 1);
    EXPECT_EQ(readHeader(image).failure, Failure::Changed);
}

TEST(ProtectedPicture, CostAboveTheBoundIsRefusedBeforeHashing)
{
    const QImage image = sealed(QStringLiteral("x"), QStringLiteral("pw"));
    struct Claim
    {
        std::uint32_t ops;
        std::uint64_t mem;
    };
    for (const Claim claim : {Claim{1000, 256ull << 20}, Claim{3, 4ull << 30},
                              Claim{4, 256ull << 20}, Claim{3, (256ull << 20) + 1024}}) {
        QImage hostile = image;
        for (int i = 0; i < 4; ++i)
            setByte(hostile, 13 + i, static_cast<int>(claim.ops >> (8 * i) & 0xFF));
        for (int i = 0; i < 8; ++i)
            setByte(hostile, 17 + i, static_cast<int>(claim.mem >> (8 * i) & 0xFF));
        QElapsedTimer timer;
        timer.start();
        EXPECT_EQ(open(hostile, QStringLiteral("pw")).failure, Failure::TooCostly) << claim.ops;
        EXPECT_EQ(open(hostile, QStringLiteral("pw"), {claim.ops, claim.mem - 1}).failure,
                  Failure::TooCostly);
        EXPECT_LT(timer.elapsed(), 100);
        EXPECT_EQ(readHeader(hostile).header.cost, (KdfCost{claim.ops, claim.mem}));
    }
}

TEST(ProtectedPicture, NeedsAPasswordAndAText)
{
    SequenceRandomBytes random;
    EXPECT_EQ(seal(QStringLiteral("x"), QString(), random, cheap).failure, Failure::NeedsPassword);
    EXPECT_EQ(seal(QString(12001, u'x'), QStringLiteral("pw"), random, cheap).failure,
              Failure::TextTooLong);
    EXPECT_EQ(random.next, 0) << "nothing drawn for a refused text";
}

TEST(ProtectedPicture, ClassicPicturesAndDecryptorKeepApart)
{
    // The classic Decryptor finds nothing in a protected picture, or refuses it.
    const QImage image = sealed(QString(3000, u'字'));
    for (const QString &password :
         {QString(), QStringLiteral("pw1"), QStringLiteral("zzzzzzzzzz")}) {
        PictureSurface picture4(startSize::picture4Width, startSize::picture4Height);
        picture4.setPicture(image);
        CipherMembers members = membersAfterFormLoad();
        bool gaveText = false;
        try {
            Decryptor(members, codePage936())
                .run({password, picture4,
                      [&gaveText](const QString &text) { gaveText = !text.isEmpty(); }, [](bool) {},
                      [](bool) {}});
        } catch (const RuntimeError &) {
            // Refused: the header claims far more than the picture holds.
        }
        EXPECT_FALSE(gaveText) << password.toStdString();
    }
    // A classic picture has no signature: white would be a blank one.
    QImage classic(3, 1, QImage::Format_RGB32);
    classic.fill(Qt::white);
    EXPECT_FALSE(hasSignature(classic));
    EXPECT_EQ(open(classic, QStringLiteral("pw")).failure, Failure::NotProtected);
}

} // namespace
} // namespace veltrin::testing
