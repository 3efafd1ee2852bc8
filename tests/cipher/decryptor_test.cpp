// SPDX-License-Identifier: GPL-3.0-or-later
#include "cipher_fixtures.h"

#include <gtest/gtest.h>

#include <limits>
#include <variant>

namespace veltrin::testing {
namespace {

constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();

const Log decryptedLog{"Frame2(0) off", "Label2(0) off", "Text2 set", "Label2(0) on",
                       "Frame2(0) on"};
const Log failedLog{"Frame2(0) off", "Label2(0) off", "Label2(0) on", "Frame2(0) on"};

// A source picture whose cells hold header (length, A, B) and, for each
// character, c + key + A * B, at the cells of the layout for `length`.
CellSurface handMade(int columns, int rows, std::int32_t length, std::int32_t factorA,
                     std::int32_t factorB, std::int32_t key, const std::vector<std::int32_t> &cs)
{
    CellSurface surface(columns, rows);
    surface.set(0, 0, length + key);
    surface.set(1, 0, factorA + key);
    surface.set(2, 0, factorB + key);
    for (int i = 1; i <= static_cast<int>(cs.size()); ++i) {
        const Cell cell = referenceCell(i, length);
        surface.set(cell.column, cell.row,
                    cs[static_cast<std::size_t>(i - 1)] + key + factorA * factorB);
    }
    return surface;
}

void expectAtHome(const CipherMembers &m)
{
    EXPECT_EQ(m.readX, 30);
    EXPECT_EQ(m.readY, 0);
    EXPECT_TRUE(m.decodedText.empty());
}

struct ExampleCase
{
    std::vector<std::int32_t> cells; // values at (0, 15), (15, 15), (0, 30) with key 0
    QString password;
    std::int32_t key;
    QString text;
};

std::ostream &operator<<(std::ostream &os, const ExampleCase &c)
{
    return os << c.text.toStdString() << " with \"" << c.password.toStdString() << '"';
}

class WorkedExample : public ::testing::TestWithParam<ExampleCase>
{};

TEST_P(WorkedExample, ReadsTheHeaderAndTheThreeCells)
{
    const ExampleCase &c = GetParam();
    PictureSurface source(75, 75); // three columns, three rows
    source.Cls();
    source.PSet(0, 0, 3 + c.key);
    source.PSet(15, 0, 1234567 + c.key);
    source.PSet(30, 0, 2 + c.key);
    source.PSet(0, 15, c.cells[0] + c.key);
    source.PSet(15, 15, c.cells[1] + c.key);
    source.PSet(0, 30, c.cells[2] + c.key);

    CipherRig rig;
    rig.decrypt(source, c.password);
    EXPECT_EQ(rig.text2, c.text);
    EXPECT_EQ(rig.log, decryptedLog);
    EXPECT_EQ(rig.members.key, c.key);
    EXPECT_EQ(rig.members.readLength, 3);
    EXPECT_EQ(rig.members.readFactorA, 1234567);
    EXPECT_EQ(rig.members.readFactorB, 2);
    expectAtHome(rig.members);
}

INSTANTIATE_TEST_SUITE_P(
    Decryptor, WorkedExample,
    ::testing::Values(
        ExampleCase{{2469231, 2469232, 2469233}, QString(), 0, QStringLiteral("abc")},
        ExampleCase{{2448815, 2469232, 2469233}, QString(), 0, QStringLiteral("啊bc")},
        ExampleCase{{2469231, 2469232, 2469233}, QStringLiteral("Ab"), 163, QStringLiteral("abc")},
        ExampleCase{
            {2469231, 2448815, 2451937}, QStringLiteral("zz"), 244, QStringLiteral("a啊加")}));

TEST(Decryptor, ReadsEachDataCellOnceInWalkOrder)
{
    const QString text = QStringLiteral("sixteen chars 加!");
    ASSERT_EQ(text.size(), 16);
    std::vector<std::int32_t> cs;
    for (const std::int16_t code : codesOf(text))
        cs.push_back(code);
    CellSurface source = handMade(5, 4, 16, 1999999, 3, 97, cs);
    CipherRig rig;
    rig.decrypt(source, QStringLiteral("a"));
    EXPECT_EQ(rig.text2, text);

    std::vector<Cell> dataReads;
    for (const Cell &cell : source.reads())
        if (cell.row > 0 || cell.column > 2)
            dataReads.push_back(cell);
    std::vector<Cell> walk;
    for (int i = 1; i <= 16; ++i)
        walk.push_back(referenceCell(i, 16));
    EXPECT_EQ(dataReads, walk);
}

TEST(Decryptor, BlankPictureWithEmptyPasswordChangesNothing)
{
    CipherRig rig;
    rig.members.key = 55;
    rig.members.keyIndex = 5;
    rig.members.charIndex = 6;
    rig.members.readLength = 9;
    rig.members.readFactorA = 8;
    rig.members.readFactorB = 7;
    CipherMembers expected = rig.members;
    expected.key = 0;

    CellSurface blank(10, 10);
    rig.decrypt(blank, QString());
    EXPECT_TRUE(rig.log.empty());
    EXPECT_EQ(rig.text2Sets, 0);
    for (const Cell &cell : blank.reads())
        EXPECT_EQ(cell, (Cell{0, 0})) << "only the top-left cell is read";
    expectSameMembers(rig.members, expected);

    // Picture1 before the first encryption reads its white background.
    PictureSurface neverDrawn(picture1Width, picture1Height);
    rig.decrypt(neverDrawn, QString());
    EXPECT_TRUE(rig.log.empty());
    EXPECT_EQ(rig.text2Sets, 0);
    expectSameMembers(rig.members, expected);
}

class BlankWithPassword : public ::testing::TestWithParam<std::pair<QString, std::int32_t>>
{};

TEST_P(BlankWithPassword, FactorProductOverflows)
{
    const auto &[password, key] = GetParam();
    CipherRig rig;
    PictureSurface neverDrawn(picture1Width, picture1Height);
    EXPECT_EQ(runtimeErrorOf([&] { rig.decrypt(neverDrawn, password); }), 6);
    EXPECT_EQ(rig.members.readLength, 16777215 - key);
    EXPECT_EQ(rig.members.readFactorA, 16777215 - key);
    EXPECT_EQ(rig.members.readFactorB, 16777215 - key);
    EXPECT_EQ(rig.text2Sets, 0);
    EXPECT_EQ(rig.log, failedLog);
    expectAtHome(rig.members);
}

INSTANTIATE_TEST_SUITE_P(Decryptor, BlankWithPassword,
                         ::testing::Values(std::pair{QStringLiteral("a"), 97},
                                           std::pair{QStringLiteral("abc"), 294},
                                           std::pair{QString(20, u'z'), 2440}));

struct LengthCase
{
    std::int32_t topLeft;
    QString password;
};

class NoDataCell : public ::testing::TestWithParam<LengthCase>
{};

TEST_P(NoDataCell, LengthOfZeroOrLessEmptiesText2)
{
    CellSurface source(10, 10);
    source.set(0, 0, GetParam().topLeft);
    source.set(1, 0, 1234567);
    source.set(2, 0, 2);
    CipherRig rig;
    rig.decrypt(source, GetParam().password);
    EXPECT_EQ(rig.text2Sets, 1);
    EXPECT_EQ(rig.text2, QString());
    EXPECT_EQ(rig.log, decryptedLog);
    for (const Cell &cell : source.reads())
        EXPECT_EQ(cell.row, 0) << "no data cell is read: " << cell;
    expectAtHome(rig.members);
}

INSTANTIATE_TEST_SUITE_P(Decryptor, NoDataCell,
                         ::testing::Values(LengthCase{0, QString()},            // black
                                           LengthCase{97, QStringLiteral("a")}, // 0 with key
                                           LengthCase{50, QStringLiteral("a")}, // negative
                                           LengthCase{-1, QString()}));

// What the third character's value c does; the other two are 'x' and 'y'.
struct SkipCase
{
    QString password;
    std::int32_t c;
    std::optional<QString> text; // nullopt: run-time error 5
};

std::ostream &operator<<(std::ostream &os, const SkipCase &c)
{
    return os << "c=" << c.c << " password \"" << c.password.toStdString() << '"';
}

class SkipValue : public ::testing::TestWithParam<SkipCase>
{};

TEST_P(SkipValue, IsSkippedOrIsNoCharacter)
{
    const SkipCase &c = GetParam();
    const std::int32_t key = PasswordKey(toU16(c.password), codePage936());
    CellSurface source = handMade(3, 3, 3, 1, 1, key, {120, c.c, 121});
    CipherRig rig;
    const auto error = runtimeErrorOf([&] { rig.decrypt(source, c.password); });
    if (c.text) {
        EXPECT_FALSE(error);
        EXPECT_EQ(rig.text2, *c.text);
        EXPECT_EQ(rig.log, decryptedLog);
    } else {
        EXPECT_EQ(error, 5);
        EXPECT_EQ(rig.text2Sets, 0);
        EXPECT_EQ(rig.log, failedLog);
    }
    expectAtHome(rig.members);
}

INSTANTIATE_TEST_SUITE_P(
    Decryptor, SkipValue,
    ::testing::Values(SkipCase{QString(), -1000001, QStringLiteral("xy")},
                      SkipCase{QString(), 15777215, QStringLiteral("xy")},
                      SkipCase{QString(), 15776773, std::nullopt},
                      SkipCase{QStringLiteral("a"), -1000001, QStringLiteral("xy")},
                      SkipCase{QStringLiteral("a"), 15776773, QStringLiteral("xy")},
                      SkipCase{QStringLiteral("a"), 15777215, std::nullopt},
                      SkipCase{QString(), -1000000, std::nullopt},
                      SkipCase{QString(), 65536, std::nullopt},
                      SkipCase{QString(), -32769, std::nullopt},
                      // Within the 16-bit range every value is a character.
                      SkipCase{QString(), 65535, QStringLiteral("x?y")},
                      SkipCase{QString(), -32768, QStringLiteral("x?y")},
                      SkipCase{QString(), -17197 + 65536, QStringLiteral("x加y")}));

// A header on a hand-made surface: the walk of its L cells either fits the
// surface or is refused before the first data cell, whatever the cells hold.
struct FitCase
{
    const char *name;
    int columns, rows;
    std::int32_t length;
    QString password;
    std::optional<int> error; // nullopt: decrypts to `length` copies of 'a'
};

std::ostream &operator<<(std::ostream &os, const FitCase &c)
{
    return os << c.name;
}

class WalkAndSurface : public ::testing::TestWithParam<FitCase>
{};

TEST_P(WalkAndSurface, CellsPastThePictureAreRefusedBeforeAnyDataCell)
{
    const FitCase &c = GetParam();
    const std::int32_t key = PasswordKey(toU16(c.password), codePage936());
    // Product 1000000 with key 0: a cell outside would read as a skipped one.
    CellSurface source(c.columns, c.rows);
    source.set(0, 0, c.length + key);
    source.set(1, 0, 1000000 + key);
    source.set(2, 0, 1 + key);
    for (int i = 1; i <= std::min(c.length, c.columns * c.rows); ++i) {
        const Cell cell = referenceCell(i, c.length);
        if (cell.column < c.columns && cell.row < c.rows)
            source.set(cell.column, cell.row, 1000000 + key + 'a');
    }
    CipherRig rig;
    EXPECT_EQ(runtimeErrorOf([&] { rig.decrypt(source, c.password); }), c.error);
    if (c.error) {
        EXPECT_EQ(rig.text2Sets, 0);
        EXPECT_EQ(rig.log, failedLog);
        for (const Cell &cell : source.reads())
            EXPECT_EQ(cell.row, 0) << "no data cell is read: " << cell;
    } else {
        EXPECT_EQ(rig.text2, QString(c.length, u'a'));
    }
    expectAtHome(rig.members);
}

INSTANTIATE_TEST_SUITE_P(
    Decryptor, WalkAndSurface,
    ::testing::Values(FitCase{"LastCellInTheCorner", 3, 3, 6, QString(), std::nullopt},
                      FitCase{"OneRowTooFew", 3, 3, 7, QString(), 9},
                      FitCase{"OneColumnTooFew", 2, 3, 4, QString(), 9},
                      FitCase{"WithPassword", 3, 3, 7, QStringLiteral("a"), 9},
                      FitCase{"TinyPictureClaimingAMillion", 3, 1, 1000000, QString(), 9},
                      FitCase{"TinyPictureClaimingTheMost", 3, 1, 16777214, QString(), 9}),
    [](const auto &info) { return std::string(info.param.name); });

// Texts past the text box's limit are refused, never cut; skipped cells do
// not count.
struct LimitCase
{
    std::int32_t length;
    int skipped; // cells among the first ones that hold the skip value
    std::optional<int> error;
};

class TextLimit : public ::testing::TestWithParam<LimitCase>
{};

TEST_P(TextLimit, AtMost12000CharactersComeBack)
{
    const LimitCase &c = GetParam();
    std::vector<std::int32_t> cs(static_cast<std::size_t>(c.length), 'x');
    std::fill_n(cs.begin(), c.skipped, 15777215);
    CellSurface source = handMade(110, 110, c.length, 1000000, 1, 0, cs);
    CipherRig rig;
    EXPECT_EQ(runtimeErrorOf([&] { rig.decrypt(source, QString()); }), c.error);
    if (c.error)
        EXPECT_EQ(rig.text2Sets, 0);
    else
        EXPECT_EQ(rig.text2, QString(c.length - c.skipped, u'x'));
    expectAtHome(rig.members);
}

INSTANTIATE_TEST_SUITE_P(Decryptor, TextLimit,
                         ::testing::Values(LimitCase{12000, 0, std::nullopt},
                                           LimitCase{12001, 1, std::nullopt},
                                           LimitCase{12001, 0, 9}));

// Passwords that differ between encryption and decryption.
struct WrongCase
{
    QString encrypt;
    QString decrypt;
    std::variant<int, QString> outcome; // error number, or the text Text2 receives
};

std::ostream &operator<<(std::ostream &os, const WrongCase &c)
{
    return os << '"' << c.encrypt.toStdString() << "\" then \"" << c.decrypt.toStdString() << '"';
}

class WrongPassword : public ::testing::TestWithParam<WrongCase>
{};

TEST_P(WrongPassword, FailsWithoutTouchingText2ThenTheRightOneWorks)
{
    const WrongCase &c = GetParam();
    const QString text = QStringLiteral("Hello world");
    CipherRig rig;
    rig.encrypt(text, c.encrypt, 1234567, 2);
    const auto error = runtimeErrorOf([&] { rig.decrypt(rig.picture1, c.decrypt); });
    if (std::holds_alternative<int>(c.outcome)) {
        EXPECT_EQ(error, std::get<int>(c.outcome));
        EXPECT_EQ(rig.text2Sets, 0);
        EXPECT_EQ(rig.text2, QStringLiteral("(Text2 untouched)"));
        ASSERT_GE(rig.log.size(), 4u);
        EXPECT_EQ(Log(rig.log.end() - 4, rig.log.end()), failedLog);
    } else {
        EXPECT_FALSE(error);
        EXPECT_EQ(rig.text2, std::get<QString>(c.outcome));
    }
    expectAtHome(rig.members);

    rig.decrypt(rig.picture1, c.encrypt);
    EXPECT_EQ(rig.text2, text);
}

INSTANTIATE_TEST_SUITE_P(
    Decryptor, WrongPassword,
    ::testing::Values(WrongCase{QStringLiteral("abc"), QString(), 9},
                      WrongCase{QStringLiteral("abd"), QStringLiteral("abc"), 5},
                      WrongCase{QStringLiteral("abc"), QStringLiteral("abd"), 5},
                      WrongCase{QString(10, u'z'), QStringLiteral("a"), 9},
                      WrongCase{QString(20, u'z'), QString(), 6},
                      WrongCase{QString(20, u'z'), QStringLiteral("a"), 6},
                      WrongCase{QString(), QStringLiteral("a"), QString()},
                      WrongCase{QStringLiteral("Zz9"), QStringLiteral("abc"), QString()}));

TEST(Decryptor, SamePictureTwiceGivesTheSameText)
{
    CipherRig rig;
    const QString text = mixedText(333, 3);
    rig.encrypt(text, QStringLiteral("pw"), 1357913, 3);
    rig.decrypt(rig.picture1, QStringLiteral("pw"));
    EXPECT_EQ(rig.text2, text);
    expectAtHome(rig.members);
    rig.text2.clear();
    rig.decrypt(rig.picture1, QStringLiteral("pw"));
    EXPECT_EQ(rig.text2, text);
    EXPECT_EQ(rig.text2Sets, 2);
}

TEST(Decryptor, EmptyPasswordAfterAPasswordMeansKeyZero)
{
    CipherRig rig;
    rig.encrypt(QStringLiteral("abc"), QString(), 1234567, 2);
    rig.decrypt(rig.picture1, QStringLiteral("abc"));
    EXPECT_EQ(rig.members.key, 294);
    EXPECT_EQ(rig.text2, QString()) << "3 - 294 cells";
    rig.decrypt(rig.picture1, QString());
    EXPECT_EQ(rig.members.key, 0);
    EXPECT_EQ(rig.text2, QStringLiteral("abc"));
}

class ReadFailure : public ::testing::TestWithParam<Cell>
{};

TEST_P(ReadFailure, LeavesTheDecryptorAtHomeAndText2Untouched)
{
    const Cell failing = GetParam();
    CellSurface source = handMade(3, 3, 3, 1234567, 2, 0, {97, 98, 99});
    source.failOnRead(failing, 480);
    CipherRig rig;
    EXPECT_EQ(runtimeErrorOf([&] { rig.decrypt(source, QString()); }), 480);
    EXPECT_EQ(rig.text2Sets, 0);
    // The blank test reads the top-left cell before any control is touched.
    EXPECT_EQ(rig.log, (failing == Cell{0, 0} ? Log{} : failedLog));
    expectAtHome(rig.members);

    // Nothing of the failed run leaks into the next one.
    rig.decrypt(source, QString());
    EXPECT_EQ(rig.text2, QStringLiteral("abc"));
}

INSTANTIATE_TEST_SUITE_P(Decryptor, ReadFailure,
                         ::testing::Values(Cell{0, 0}, Cell{1, 0}, Cell{2, 0}, Cell{0, 1},
                                           Cell{1, 1}, Cell{0, 2}));

// Foreign pictures whose values break the arithmetic.
struct ForeignCase
{
    const char *name;
    std::int32_t topLeft, a, b;
    std::int32_t data; // the first data cell, (0, 15)
    QString password;
    int error;
    bool controlsTouched;
};

std::ostream &operator<<(std::ostream &os, const ForeignCase &c)
{
    return os << c.name;
}

class ForeignHeader : public ::testing::TestWithParam<ForeignCase>
{};

TEST_P(ForeignHeader, RaisesTheErrorAndRestoresTheState)
{
    const ForeignCase &c = GetParam();
    CellSurface source(3, 3);
    source.set(0, 0, c.topLeft);
    source.set(1, 0, c.a);
    source.set(2, 0, c.b);
    source.set(0, 1, c.data);
    CipherRig rig;
    EXPECT_EQ(runtimeErrorOf([&] { rig.decrypt(source, c.password); }), c.error);
    EXPECT_EQ(rig.text2Sets, 0);
    EXPECT_EQ(rig.log, c.controlsTouched ? failedLog : Log{});
    expectAtHome(rig.members);
}

INSTANTIATE_TEST_SUITE_P(
    Decryptor, ForeignHeader,
    ::testing::Values(ForeignCase{"ProductOverflow", 1, 100000, 100000, 0, QString(), 6, true},
                      ForeignCase{"BlankTestOverflow", kMin + 5, 1, 1, 0, QStringLiteral("a"), 6,
                                  false},
                      ForeignCase{"HeaderOverflow", 1, kMin, 1, 0, QStringLiteral("a"), 6, true},
                      ForeignCase{"CodeTooLow", 1, kMax, 1, -1, QString(), 5, true},
                      ForeignCase{"CodeSubtractionOverflow", 1, kMax, 1, -2, QString(), 6, true},
                      ForeignCase{"CodeTooHigh", 1, 1, 1, 16777215, QString(), 5, true}));

} // namespace
} // namespace veltrin::testing
