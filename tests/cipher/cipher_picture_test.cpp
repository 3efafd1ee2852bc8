// SPDX-License-Identifier: GPL-3.0-or-later
#include "cipher_fixtures.h"
#include "cipher_picture.h"

#include <gtest/gtest.h>

#include <limits>

namespace veltrin::testing {
namespace {

constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();

std::vector<Cell> fullRows(int firstRow, int lastRow, int columns)
{
    std::vector<Cell> cells;
    for (int row = firstRow; row <= lastRow; ++row)
        for (int column = 0; column < columns; ++column)
            cells.push_back({column, row});
    return cells;
}

std::vector<Cell> concat(std::initializer_list<std::vector<Cell>> parts)
{
    std::vector<Cell> cells;
    for (const auto &part : parts)
        cells.insert(cells.end(), part.begin(), part.end());
    return cells;
}

struct LayoutCase
{
    int length;
    int rowLimit;
    std::vector<Cell> cells; // every data cell in order; empty: only first and last given
    Cell first;
    Cell last;
    int width;
    int height;
};

std::ostream &operator<<(std::ostream &os, const LayoutCase &c)
{
    return os << "L=" << c.length;
}

class Layout : public ::testing::TestWithParam<LayoutCase>
{};

TEST_P(Layout, WalkVisitsTheCellsInOrderAndGivesTheCanvas)
{
    const LayoutCase &c = GetParam();
    const std::int32_t n = RowLimit(c.length);
    EXPECT_EQ(n, c.rowLimit);

    std::vector<Cell> visited;
    std::int32_t x = 30, y = 0, rowWidth = 0;
    int wraps = 0;
    for (int i = 1; i <= c.length; ++i) {
        const CursorStep step = AdvanceCursor(x, y, n);
        if (step.wrapped) {
            rowWidth = x;
            ++wraps;
        }
        x = step.x;
        y = step.y;
        ASSERT_EQ(x % 15, 0);
        ASSERT_EQ(y % 15, 0);
        visited.push_back({x / 15, y / 15});
        ASSERT_EQ(visited.back(), referenceCell(i, c.length)) << "character " << i;
    }
    if (!c.cells.empty()) {
        EXPECT_EQ(visited, c.cells);
    }
    EXPECT_EQ(visited.front(), c.first);
    EXPECT_EQ(visited.back(), c.last);
    EXPECT_GE(wraps, 1) << "row 0 never holds the whole text";
    EXPECT_EQ(rowWidth + 50, c.width);

    const CanvasExtent canvas = CanvasSize(c.length);
    EXPECT_EQ(canvas.width, c.width);
    EXPECT_EQ(canvas.height, c.height);
}

INSTANTIATE_TEST_SUITE_P(
    CipherPicture, Layout,
    ::testing::Values(
        LayoutCase{1, 1, {{0, 1}}, {0, 1}, {0, 1}, 80, 65},
        LayoutCase{2, 1, {{0, 1}, {1, 1}}, {0, 1}, {1, 1}, 80, 65},
        // The second wrap, at column 1, makes the canvas narrower than for 1 or 2.
        LayoutCase{3, 1, {{0, 1}, {1, 1}, {0, 2}}, {0, 1}, {0, 2}, 65, 80},
        LayoutCase{4, 2, {{0, 1}, {1, 1}, {2, 1}, {0, 2}}, {0, 1}, {0, 2}, 80, 80},
        LayoutCase{5, 2, {{0, 1}, {1, 1}, {2, 1}, {0, 2}, {1, 2}}, {0, 1}, {1, 2}, 80, 80},
        LayoutCase{8, 2, concat({fullRows(1, 2, 3), {{0, 3}, {1, 3}}}), {0, 1}, {1, 3}, 80, 95},
        LayoutCase{9, 3, concat({{{3, 0}}, fullRows(1, 2, 4)}), {3, 0}, {3, 2}, 95, 80},
        LayoutCase{10, 3, concat({{{3, 0}}, fullRows(1, 2, 4), {{0, 3}}}), {3, 0}, {0, 3}, 95, 95},
        LayoutCase{16,
                   4,
                   concat({{{3, 0}, {4, 0}}, fullRows(1, 2, 5), {{0, 3}, {1, 3}, {2, 3}, {3, 3}}}),
                   {3, 0},
                   {3, 3},
                   110,
                   95},
        LayoutCase{12000, 109, {}, {3, 0}, {12, 109}, 1685, 1685}));

TEST(CanvasSize, MatchesTheWalkForEveryLengthUpTo12000AndForHugeOnes)
{
    // One walk, measured as it goes, against the closed form at every length.
    std::int32_t x = cell::homeX, y = cell::homeY, rowWidth = 0, n = 1;
    for (std::int32_t length = 1; length <= 12000; ++length) {
        // A new row limit reshapes the whole walk, so start it again.
        if (RowLimit(length) != n) {
            n = RowLimit(length);
            x = cell::homeX, y = cell::homeY, rowWidth = 0;
            for (std::int32_t i = 1; i < length; ++i) {
                const CursorStep step = AdvanceCursor(x, y, n);
                rowWidth = step.wrapped ? x : rowWidth;
                x = step.x, y = step.y;
            }
        }
        const CursorStep step = AdvanceCursor(x, y, n);
        rowWidth = step.wrapped ? x : rowWidth;
        x = step.x, y = step.y;
        const CanvasExtent canvas = CanvasSize(length);
        ASSERT_EQ(canvas.width, rowWidth + 50) << "L=" << length;
        ASSERT_EQ(canvas.height, y + 50) << "L=" << length;
        ASSERT_EQ(std::pair(canvas.width, canvas.height), referenceCanvas(length)) << length;
    }
    for (const std::int32_t length : {16777214, 16777216, 100000000, kMax}) {
        const auto [width, height] = referenceCanvas(length);
        EXPECT_EQ(CanvasSize(length).width, width) << length;
        EXPECT_EQ(CanvasSize(length).height, height) << length;
    }
}

struct FitCase
{
    std::int32_t length, columns, rows;
    bool fits;
};

class WalkFitsIn : public ::testing::TestWithParam<FitCase>
{};

TEST_P(WalkFitsIn, ExactlyTheCanvasDrawingArea)
{
    const auto &c = GetParam();
    EXPECT_EQ(WalkFits(c.length, c.columns, c.rows), c.fits)
        << c.length << " in " << c.columns << "x" << c.rows;
}

INSTANTIATE_TEST_SUITE_P(
    CipherPicture, WalkFitsIn,
    ::testing::Values(FitCase{1, 3, 2, true}, FitCase{1, 3, 1, false}, FitCase{3, 2, 3, true},
                      FitCase{3, 2, 2, false}, FitCase{16, 5, 4, true}, FitCase{16, 4, 4, false},
                      FitCase{12000, 110, 110, true}, FitCase{12000, 110, 109, false},
                      FitCase{12000, 109, 110, false}, FitCase{16777214, 4096, 4097, true},
                      FitCase{16777214, 4096, 4096, false}, FitCase{1000000, 3, 1, false},
                      FitCase{kMax, 32767, 32767, false}, FitCase{0, 0, 0, true},
                      FitCase{-5, 0, 0, true}));

TEST(RowLimit, IsExactAroundEveryPerfectSquare)
{
    for (std::int32_t k = 1; k <= 46340; ++k) {
        ASSERT_EQ(RowLimit(k * k), k);
        ASSERT_EQ(RowLimit(k * k - 1), k - 1);
    }
    EXPECT_EQ(RowLimit(kMax), 46340);
    EXPECT_EQ(RowLimit(12000), 109);
}

struct StepCase
{
    std::int32_t x, y, rowLimit;
    std::optional<CursorStep> expected; // nullopt: run-time error 6
};

std::ostream &operator<<(std::ostream &os, const StepCase &c)
{
    return os << "(" << c.x << ", " << c.y << ") n=" << c.rowLimit;
}

class Advance : public ::testing::TestWithParam<StepCase>
{};

TEST_P(Advance, MovesRightWhileTheRowHasRoomElseWraps)
{
    const StepCase &c = GetParam();
    std::optional<CursorStep> step;
    const auto error = runtimeErrorOf([&] { step = AdvanceCursor(c.x, c.y, c.rowLimit); });
    if (!c.expected) {
        EXPECT_EQ(error, 6);
        return;
    }
    ASSERT_FALSE(error);
    EXPECT_EQ(step->x, c.expected->x);
    EXPECT_EQ(step->y, c.expected->y);
    EXPECT_EQ(step->wrapped, c.expected->wrapped);
}

INSTANTIATE_TEST_SUITE_P(CipherPicture, Advance,
                         ::testing::Values(StepCase{30, 0, 1, CursorStep{0, 15, true}},
                                           StepCase{30, 0, 2, CursorStep{0, 15, true}},
                                           StepCase{30, 0, 3, CursorStep{45, 0, false}},
                                           StepCase{0, 15, 1, CursorStep{15, 15, false}},
                                           // Equality moves right.
                                           StepCase{15, 15, 2, CursorStep{30, 15, false}},
                                           StepCase{30, 15, 2, CursorStep{0, 30, true}},
                                           StepCase{1620, 1620, 109, CursorStep{1635, 1620, false}},
                                           StepCase{1635, 1620, 109, CursorStep{0, 1635, true}},
                                           StepCase{kMax - 10, 0, 1, std::nullopt},
                                           StepCase{30, kMax - 10, 1, std::nullopt},
                                           StepCase{30, 0, kMax / 10, std::nullopt}));

struct KeyCase
{
    QString password;
    std::int32_t key;
};

std::ostream &operator<<(std::ostream &os, const KeyCase &c)
{
    return os << '"' << c.password.toStdString() << '"';
}

class Password : public ::testing::TestWithParam<KeyCase>
{};

TEST_P(Password, KeyIsTheSumOfTheCodes)
{
    EXPECT_EQ(PasswordKey(toU16(GetParam().password), codePage936()), GetParam().key);
}

INSTANTIATE_TEST_SUITE_P(CipherPicture, Password,
                         ::testing::Values(KeyCase{QString(), 0}, KeyCase{QStringLiteral("a"), 97},
                                           KeyCase{QStringLiteral("abc"), 294},
                                           KeyCase{QStringLiteral("0"), 48},
                                           KeyCase{QStringLiteral("Zz9"), 90 + 122 + 57},
                                           KeyCase{QString(20, u'z'), 2440},
                                           KeyCase{QStringLiteral("加"), -17197},
                                           KeyCase{QStringLiteral("a加"), 97 - 17197}));

struct KeySumCase
{
    std::vector<std::int16_t> codes;
    std::optional<std::int32_t> key; // nullopt: run-time error 6
};

class KeySum : public ::testing::TestWithParam<KeySumCase>
{};

TEST_P(KeySum, OverflowIsError6)
{
    std::int32_t key = 0;
    const auto error = runtimeErrorOf([&] { key = PasswordKey(GetParam().codes); });
    if (GetParam().key) {
        ASSERT_FALSE(error);
        EXPECT_EQ(key, *GetParam().key);
    } else {
        EXPECT_EQ(error, 6);
    }
}

std::vector<std::int16_t> repeated(std::size_t count, std::int16_t code,
                                   std::vector<std::int16_t> tail = {})
{
    std::vector<std::int16_t> codes(count, code);
    codes.insert(codes.end(), tail.begin(), tail.end());
    return codes;
}

INSTANTIATE_TEST_SUITE_P(Int32Edges, KeySum,
                         ::testing::Values(KeySumCase{repeated(65538, 32767), 2147483646},
                                           KeySumCase{repeated(65538, 32767, {1}), kMax},
                                           KeySumCase{repeated(65538, 32767, {1, 1}), std::nullopt},
                                           KeySumCase{repeated(65536, -32768), kMin},
                                           KeySumCase{repeated(65536, -32768, {-1}), std::nullopt},
                                           // Overflow midway is not undone by what follows.
                                           KeySumCase{repeated(65536, -32768, {-1, 1}),
                                                      std::nullopt}));

} // namespace
} // namespace veltrin::testing
