// SPDX-License-Identifier: GPL-3.0-or-later
#include "cipher_fixtures.h"
#include "cipher_picture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace veltrin::testing {
namespace {

// Position of the first log entry equal to `entry`, or -1.
long indexOf(const Log &log, const std::string &entry)
{
    const auto it = std::find(log.begin(), log.end(), entry);
    return it == log.end() ? -1 : it - log.begin();
}

long countOf(const Log &log, const std::string &prefix)
{
    return std::count_if(log.begin(), log.end(),
                         [&](const std::string &e) { return e.rfind(prefix, 0) == 0; });
}

struct PixelCase
{
    int x, y; // twips
    std::int32_t value;
    int red, green, blue;
};

TEST(Encryptor, WorkedExampleHello)
{
    CipherRig rig;
    rig.encrypt(QStringLiteral("Hello"), QString(), 1234567, 2);

    const PixelCase table[] = {
        {0, 0, 5, 5, 0, 0},
        {15, 0, 1234567, 135, 214, 18},
        {30, 0, 2, 2, 0, 0},
        {0, 15, 2469206, 86, 173, 37},
        {15, 15, 2469235, 115, 173, 37},
        {30, 15, 2469242, 122, 173, 37},
        {0, 30, 2469242, 122, 173, 37},
        {15, 30, 2469245, 125, 173, 37},
    };
    const QImage image = rig.picture1.qImage();
    for (const PixelCase &p : table) {
        SCOPED_TRACE(::testing::Message() << "(" << p.x << ", " << p.y << ")");
        EXPECT_EQ(rig.picture1.Point(static_cast<float>(p.x), static_cast<float>(p.y)), p.value);
        const QRgb rgb = image.pixel(p.x / 15, p.y / 15);
        EXPECT_EQ(qRed(rgb), p.red);
        EXPECT_EQ(qGreen(rgb), p.green);
        EXPECT_EQ(qBlue(rgb), p.blue);
    }
    expectCipherPicture(rig.picture1, QStringLiteral("Hello"), 0, 1234567, 2);
    EXPECT_NE(indexOf(rig.log, "Picture1.Height=80"), -1);
    EXPECT_NE(indexOf(rig.log, "Picture1.Width=80"), -1);
    EXPECT_EQ(rig.members.factorA, 1234567);
    EXPECT_EQ(rig.members.factorB, 2);
}

TEST(Encryptor, DoubleByteCharacterGivesItsNegativeCode)
{
    CipherRig rig;
    rig.encrypt(QStringLiteral("加"), QString(), 1234567, 2);
    EXPECT_EQ(rig.picture1.Point(0, 15), 2451937);
    const QRgb rgb = rig.picture1.qImage().pixel(0, 1);
    EXPECT_EQ(qRed(rgb), 225);
    EXPECT_EQ(qGreen(rgb), 105);
    EXPECT_EQ(qBlue(rgb), 37);
}

struct LengthCase
{
    int length;
    int factorA;
    int factorB;
};

std::ostream &operator<<(std::ostream &os, const LengthCase &c)
{
    return os << "L=" << c.length;
}

class EncryptLayout : public ::testing::TestWithParam<LengthCase>
{};

TEST_P(EncryptLayout, DrawsEveryCellAndSizesTheWorkSurface)
{
    const LengthCase &c = GetParam();
    const QString text = mixedText(c.length, static_cast<unsigned>(c.length));
    CipherRig rig;
    rig.encrypt(text, QString(), c.factorA, c.factorB);

    expectCipherPicture(rig.picture1, text, 0, c.factorA, c.factorB);

    // Height first, then width; the width never leaves fewer than three columns.
    const auto [width, height] = referenceCanvas(c.length);
    const CanvasExtent canvas = CanvasSize(c.length);
    EXPECT_EQ(canvas.width, width);
    EXPECT_EQ(canvas.height, height);
    const long setHeight = indexOf(rig.log, "Picture1.Height=" + std::to_string(height));
    const long setWidth = indexOf(rig.log, "Picture1.Width=" + std::to_string(std::max(width, 80)));
    ASSERT_NE(setHeight, -1);
    ASSERT_NE(setWidth, -1);
    EXPECT_LT(setHeight, setWidth);
    EXPECT_EQ(countOf(rig.log, "Picture1.Height="), 1);
    EXPECT_EQ(countOf(rig.log, "Picture1.Width="), 1);
    EXPECT_EQ(rig.picture1.outerSize(), QSize(std::max(width, 80) / 15, height / 15));
    // The header cells were drawn before the resize and survived it.
    EXPECT_EQ(rig.picture1.Point(30, 0), c.factorB);
}

INSTANTIATE_TEST_SUITE_P(Lengths, EncryptLayout,
                         ::testing::Values(LengthCase{1, 1000000, 2}, LengthCase{2, 1999999, 3},
                                           LengthCase{3, 1234567, 2}, LengthCase{4, 1500000, 3},
                                           LengthCase{8, 1000001, 2}, LengthCase{9, 1999998, 3},
                                           LengthCase{10, 1765432, 2}, LengthCase{16, 1111111, 3},
                                           LengthCase{110, 1999999, 3},
                                           LengthCase{12000, 1999999, 3},
                                           LengthCase{12000, 1000000, 2}));

TEST(Encryptor, TwelveThousandCharactersEndAtTheLastCell)
{
    CipherRig rig;
    const QString text = QString(12000, u'x');
    rig.encrypt(text, QString(), 1234567, 2);
    EXPECT_EQ(rig.picture1.Point(180, 1635), 2469134 + 120);
    EXPECT_EQ(rig.picture1.Point(195, 1635), PictureSurface::white);
    EXPECT_EQ(rig.picture1.qImage().size(), QSize(110, 110));
}

TEST(Encryptor, BlanksAreText)
{
    CipherRig rig;
    rig.encrypt(QStringLiteral("  "), QString(), 1234567, 2);
    expectCipherPicture(rig.picture1, QStringLiteral("  "), 0, 1234567, 2);
}

struct DrawCase
{
    double u1, u2;
    int factorA, factorB;
};

std::ostream &operator<<(std::ostream &os, const DrawCase &c)
{
    os.precision(17);
    return os << "u1=" << c.u1 << " u2=" << c.u2;
}

class FactorDraw : public ::testing::TestWithParam<DrawCase>
{};

TEST_P(FactorDraw, FirstDrawGivesAThenSecondGivesB)
{
    const DrawCase &c = GetParam();
    CipherRig rig;
    rig.random.push(c.u1);
    rig.random.push(c.u2);
    rig.encryptRaw(QStringLiteral("ab"), QString());
    EXPECT_EQ(rig.random.remaining(), 0u);
    EXPECT_EQ(rig.members.factorA, c.factorA);
    EXPECT_EQ(rig.members.factorB, c.factorB);
    expectCipherPicture(rig.picture1, QStringLiteral("ab"), 0, c.factorA, c.factorB);
}

const double belowOne = std::nextafter(1.0, 0.0);

INSTANTIATE_TEST_SUITE_P(
    Encryptor, FactorDraw,
    ::testing::Values(DrawCase{0.0, 0.0, 1000000, 2},        // 1.5 rounds to 2
                      DrawCase{0.2345675, 0.25, 1234567, 2}, // the worked example's factors
                      DrawCase{0.5, 1.0 / 3.0, 1500000, 2},  // exactly 2
                      DrawCase{0.5, 2.0 / 3.0, 1500000, 2},  // 2.5 rounds to even 2
                      DrawCase{0.5, 0.7, 1500000, 3}, DrawCase{0.9999994, 0.9, 1999999, 3},
                      // The largest u below 1 still gives a factor within range.
                      DrawCase{belowOne, belowOne, 1999999, 3}));

struct PasswordCase
{
    QString password;
    int key;
};

std::ostream &operator<<(std::ostream &os, const PasswordCase &c)
{
    return os << '"' << c.password.toStdString() << '"';
}

class EncryptPassword : public ::testing::TestWithParam<PasswordCase>
{};

TEST_P(EncryptPassword, RaisesEveryValueByTheKeyAndEndsWithKeyZero)
{
    const QString text = QStringLiteral("Hello, 世界\r\n加密");
    CipherRig plain;
    plain.encrypt(text, QString(), 1765432, 3);
    CipherRig keyed;
    keyed.encrypt(text, GetParam().password, 1765432, 3);

    expectCipherPicture(keyed.picture1, text, GetParam().key, 1765432, 3);
    const QImage a = plain.picture1.qImage();
    const QImage b = keyed.picture1.qImage();
    ASSERT_EQ(a.size(), b.size());
    const std::vector<std::int16_t> codes = codesOf(text);
    for (int i = 1; i <= static_cast<int>(codes.size()); ++i) {
        const Cell cell = referenceCell(i, static_cast<int>(codes.size()));
        const float x = static_cast<float>(15 * cell.column);
        const float y = static_cast<float>(15 * cell.row);
        EXPECT_EQ(keyed.picture1.Point(x, y) - plain.picture1.Point(x, y), GetParam().key);
    }
    EXPECT_EQ(keyed.members.key, 0);
}

INSTANTIATE_TEST_SUITE_P(Encryptor, EncryptPassword,
                         ::testing::Values(PasswordCase{QStringLiteral("0"), 48},
                                           PasswordCase{QStringLiteral("a"), 97},
                                           PasswordCase{QStringLiteral("abc"), 294},
                                           PasswordCase{QStringLiteral("Zz9"), 269},
                                           PasswordCase{QString(20, u'z'), 2440}));

TEST(Encryptor, EmptyTextChangesNothing)
{
    CipherRig rig;
    rig.encrypt(QStringLiteral("abc"), QStringLiteral("pw"), 1234567, 2);
    rig.members.readLength = 7; // members of the Decryptor must stay as they are too
    rig.members.readFactorA = 8;
    rig.members.factorA = 1234567;
    const CipherMembers before = rig.members;
    const QImage image1 = rig.picture1.qImage();
    const QImage image5 = rig.picture5.qImage();
    const QSize size1 = rig.picture1.outerSize();
    const QSize size5 = rig.picture5.outerSize();
    rig.log.clear();

    rig.random.push(0.1);
    rig.random.push(0.2);
    rig.encryptRaw(QString(), QStringLiteral("pw"));

    EXPECT_TRUE(rig.log.empty()) << rig.log.front();
    EXPECT_EQ(rig.random.remaining(), 2u) << "no number drawn";
    expectSameMembers(rig.members, before);
    EXPECT_EQ(rig.picture1.qImage(), image1);
    EXPECT_EQ(rig.picture5.qImage(), image5);
    EXPECT_EQ(rig.picture1.outerSize(), size1);
    EXPECT_EQ(rig.picture5.outerSize(), size5);

    // The next encryption draws the numbers this one would have drawn.
    rig.encryptRaw(QStringLiteral("x"), QString());
    EXPECT_EQ(rig.members.factorA, 1100000);
    EXPECT_EQ(rig.members.factorB, 2);
}

TEST(Encryptor, CallsInTheirOrder)
{
    CipherRig rig;
    rig.encrypt(QStringLiteral("Hello"), QStringLiteral("a"), 1234567, 2);
    const std::string width5 = "Picture5.Width=" + twips(rig.picture1.Width());
    const std::string height5 = "Picture5.Height=" + twips(rig.picture1.Height());
    const Log expected{
        "Label2(1) off",
        "Frame1(0) off",
        "Picture1.Cls",
        "Picture1.PSet(0,0)=102",
        "Picture1.PSet(15,0)=1234664",
        "Picture1.PSet(30,0)=99",
        "Picture1.Height=80",
        "Picture1.Width=80",
        "Picture1.PSet(0,15)=2469303",
        "Picture1.PSet(15,15)=2469332",
        "Picture1.PSet(30,15)=2469339",
        "Picture1.PSet(0,30)=2469339",
        "Picture1.PSet(15,30)=2469342",
        "Picture5.Cls",
        width5,
        height5,
        "Picture5.PaintPicture(0,0)",
        "Picture5.Refresh",
        "Label2(1) on",
        "Frame1(0) on",
    };
    EXPECT_EQ(rig.log, expected);
}

TEST(Encryptor, MembersAfterAnEncryption)
{
    CipherRig rig;
    rig.members.readX = 30;
    rig.members.readY = 0;
    rig.members.readLength = 11;
    rig.members.readFactorA = 12;
    rig.members.readFactorB = 13;
    rig.encrypt(mixedText(500, 5), QString(20, u'z'), 1999999, 3);
    EXPECT_EQ(rig.members.writeX, 30);
    EXPECT_EQ(rig.members.writeY, 0);
    EXPECT_EQ(rig.members.rowWidth, 0);
    EXPECT_EQ(rig.members.key, 0);
    EXPECT_EQ(rig.members.factorA, 1999999);
    EXPECT_EQ(rig.members.factorB, 3);
    EXPECT_EQ(rig.members.readX, 30);
    EXPECT_EQ(rig.members.readY, 0);
    EXPECT_EQ(rig.members.readLength, 11);
    EXPECT_EQ(rig.members.readFactorA, 12);
    EXPECT_EQ(rig.members.readFactorB, 13);
    EXPECT_TRUE(rig.members.decodedText.empty());
}

class ResultSurface : public ::testing::TestWithParam<std::vector<int>>
{};

TEST_P(ResultSurface, HoldsAnExactCopyOfTheWorkSurface)
{
    CipherRig rig;
    unsigned seed = 1;
    for (const int length : GetParam()) {
        SCOPED_TRACE(::testing::Message() << "L=" << length);
        const QString text = mixedText(length, seed++);
        rig.encrypt(text, QStringLiteral("k"), 1000000 + length, length % 2 == 0 ? 2 : 3);
        EXPECT_EQ(rig.picture5.Width(), rig.picture1.Width());
        EXPECT_EQ(rig.picture5.Height(), rig.picture1.Height());
        EXPECT_EQ(rig.picture5.qImage(), rig.picture1.qImage());
        expectCipherPicture(rig.picture5, text, 107, 1000000 + length, length % 2 == 0 ? 2 : 3);
    }
}

INSTANTIATE_TEST_SUITE_P(Sequences, ResultSurface,
                         ::testing::Values(std::vector<int>{1}, std::vector<int>{3},
                                           std::vector<int>{16}, std::vector<int>{12000, 2},
                                           std::vector<int>{3, 1, 3, 200, 3, 9}));

TEST(Encryptor, SameTextTwiceSameLayoutOtherColours)
{
    CipherRig rig;
    const QString text = mixedText(40, 9);
    rig.encrypt(text, QString(), 1234567, 2);
    const QImage first = rig.picture1.qImage();
    rig.encrypt(text, QString(), 1765432, 3);
    const QImage second = rig.picture1.qImage();
    EXPECT_EQ(first.size(), second.size());
    EXPECT_NE(first, second);
    expectCipherPicture(rig.picture1, text, 0, 1765432, 3);
}

// A surface or control call that fails stops the procedure; the members and
// the page are left as they are between encryptions.
struct FailureCase
{
    std::string surface;
    std::string call;
    int occurrence;
};

std::ostream &operator<<(std::ostream &os, const FailureCase &c)
{
    return os << c.surface << '.' << c.call << " #" << c.occurrence;
}

class EncryptFailure : public ::testing::TestWithParam<FailureCase>
{};

TEST_P(EncryptFailure, RestoresMembersAndControlsThenPropagates)
{
    const FailureCase &c = GetParam();
    CipherRig rig;
    (c.surface == "Picture1" ? rig.recorded1 : rig.recorded5).failOn(c.call, c.occurrence, 480);
    rig.members.factorA = 5;
    const auto error = runtimeErrorOf([&] {
        rig.encrypt(QStringLiteral("Hello world 加密"), QStringLiteral("abc"), 1234567, 2);
    });
    EXPECT_EQ(error, 480);
    EXPECT_EQ(rig.members.writeX, 30);
    EXPECT_EQ(rig.members.writeY, 0);
    EXPECT_EQ(rig.members.rowWidth, 0);
    EXPECT_EQ(rig.members.key, 0);
    ASSERT_GE(rig.log.size(), 4u);
    EXPECT_EQ(rig.log[0], "Label2(1) off");
    EXPECT_EQ(rig.log[1], "Frame1(0) off");
    EXPECT_EQ(rig.log[rig.log.size() - 2], "Label2(1) on");
    EXPECT_EQ(rig.log.back(), "Frame1(0) on");

    // The next encryption starts from home and makes a sound picture.
    (c.surface == "Picture1" ? rig.recorded1 : rig.recorded5).failOn({}, 0, 0);
    while (rig.random.remaining() > 0) // numbers the failed run did not draw
        rig.random.next();
    const QString text = mixedText(30, 4);
    rig.encrypt(text, QStringLiteral("abc"), 1500000, 3);
    expectCipherPicture(rig.picture1, text, 294, 1500000, 3);
}

INSTANTIATE_TEST_SUITE_P(
    Encryptor, EncryptFailure,
    ::testing::Values(FailureCase{"Picture1", "Cls", 1}, FailureCase{"Picture1", "PSet", 2},
                      FailureCase{"Picture1", "Height", 1}, FailureCase{"Picture1", "Width", 1},
                      FailureCase{"Picture1", "PSet", 6}, FailureCase{"Picture5", "Cls", 1},
                      FailureCase{"Picture5", "PaintPicture", 1},
                      FailureCase{"Picture5", "Refresh", 1}));

TEST(Encryptor, KeyOverflowIsError6BeforeAnythingIsDrawn)
{
    CipherRig rig;
    // 66183 times the lowest double-byte code sums below -2^31.
    const QString password(66183, u'丂');
    const auto error =
        runtimeErrorOf([&] { rig.encrypt(QStringLiteral("abc"), password, 1234567, 2); });
    EXPECT_EQ(error, 6);
    const Log expected{"Label2(1) off", "Frame1(0) off", "Label2(1) on", "Frame1(0) on"};
    EXPECT_EQ(rig.log, expected);
    EXPECT_EQ(rig.members.key, 0);
    EXPECT_EQ(rig.members.writeX, 30);
    EXPECT_EQ(rig.members.writeY, 0);
    EXPECT_EQ(rig.members.rowWidth, 0);
}

TEST(Encryptor, LongerTextThanAnyPictureCarriesIsError9BeforeAnythingIsDrawn)
{
    CipherRig rig;
    rig.random.push(0.1);
    rig.random.push(0.2);
    EXPECT_EQ(runtimeErrorOf([&] { rig.encryptRaw(QString(12001, u'x'), QString()); }), 9);
    const Log expected{"Label2(1) off", "Frame1(0) off", "Label2(1) on", "Frame1(0) on"};
    EXPECT_EQ(rig.log, expected);
    EXPECT_EQ(rig.random.remaining(), 2u);
}

} // namespace
} // namespace veltrin::testing
