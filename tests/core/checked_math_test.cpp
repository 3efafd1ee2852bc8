// SPDX-License-Identifier: GPL-3.0-or-later
#include "checked_math.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <optional>
#include <ostream>

namespace veltrin {
namespace {

constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// nullopt: the operation must raise run-time error 6.
using Outcome = std::optional<std::int32_t>;
constexpr Outcome overflow = std::nullopt;

void expectOutcome(const std::function<std::int32_t()> &operation, Outcome expected)
{
    if (expected) {
        EXPECT_EQ(operation(), *expected);
        return;
    }
    try {
        const std::int32_t result = operation();
        ADD_FAILURE() << "expected run-time error 6, got " << result;
    } catch (const RuntimeError &error) {
        EXPECT_EQ(error.number(), 6);
    }
}

enum class Op { Add, Sub, Mul };

struct IntegerCase
{
    Op op;
    std::int32_t a;
    std::int32_t b;
    Outcome expected;
};

std::ostream &operator<<(std::ostream &os, const IntegerCase &c)
{
    static const char *names[] = {"add", "sub", "mul"};
    os << names[static_cast<int>(c.op)] << '(' << c.a << ", " << c.b << ")";
    return os;
}

class CheckedInteger : public ::testing::TestWithParam<IntegerCase>
{};

TEST_P(CheckedInteger, GivesTheExactResultOrOverflowError)
{
    const IntegerCase c = GetParam();
    expectOutcome(
        [&] {
            switch (c.op) {
            case Op::Add:
                return checked::add(c.a, c.b);
            case Op::Sub:
                return checked::sub(c.a, c.b);
            case Op::Mul:
                return checked::mul(c.a, c.b);
            }
            return 0;
        },
        c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Int32Edges, CheckedInteger,
    ::testing::Values(
        // Addition
        IntegerCase{Op::Add, kMax - 1, 1, kMax}, IntegerCase{Op::Add, kMax, 0, kMax},
        IntegerCase{Op::Add, kMax, 1, overflow}, IntegerCase{Op::Add, 1, kMax, overflow},
        IntegerCase{Op::Add, kMax, kMax, overflow}, IntegerCase{Op::Add, kMin, 0, kMin},
        IntegerCase{Op::Add, kMin + 1, -1, kMin}, IntegerCase{Op::Add, kMin, -1, overflow},
        IntegerCase{Op::Add, kMin, kMin, overflow}, IntegerCase{Op::Add, kMin, kMax, -1},
        IntegerCase{Op::Add, 2469134, -17197, 2451937},
        // Subtraction
        IntegerCase{Op::Sub, kMin + 1, 1, kMin}, IntegerCase{Op::Sub, kMin, 1, overflow},
        IntegerCase{Op::Sub, 0, kMin, overflow}, IntegerCase{Op::Sub, -1, kMin, kMax},
        IntegerCase{Op::Sub, kMax, -1, overflow}, IntegerCase{Op::Sub, kMax, kMax, 0},
        IntegerCase{Op::Sub, kMin, kMin, 0}, IntegerCase{Op::Sub, -1, 1000000, -1000001},
        // Multiplication
        IntegerCase{Op::Mul, 46340, 46340, 2147395600},
        IntegerCase{Op::Mul, 46341, 46341, overflow}, IntegerCase{Op::Mul, 65536, 32768, overflow},
        IntegerCase{Op::Mul, -65536, 32768, kMin}, IntegerCase{Op::Mul, kMin, 1, kMin},
        IntegerCase{Op::Mul, kMin, -1, overflow}, IntegerCase{Op::Mul, -1, kMax, -kMax},
        IntegerCase{Op::Mul, 0, kMin, 0}, IntegerCase{Op::Mul, 1999999, 3, 5999997},
        IntegerCase{Op::Mul, 16777215, 16777215, overflow},
        IntegerCase{Op::Mul, 1237007, 2442, overflow}));

enum class Conversion { RoundHalfEven, Floor };

struct ConversionCase
{
    Conversion conversion;
    double value;
    Outcome expected;
};

std::ostream &operator<<(std::ostream &os, const ConversionCase &c)
{
    os << (c.conversion == Conversion::Floor ? "floorToInt(" : "roundHalfEven(");
    os.precision(17);
    os << c.value << ')';
    return os;
}

class CheckedConversion : public ::testing::TestWithParam<ConversionCase>
{};

TEST_P(CheckedConversion, GivesTheWholeNumberOrOverflowError)
{
    const ConversionCase c = GetParam();
    expectOutcome(
        [&] {
            return c.conversion == Conversion::Floor ? checked::floorToInt(c.value)
                                                     : checked::roundHalfEven(c.value);
        },
        c.expected);
}

constexpr auto R = Conversion::RoundHalfEven;
constexpr auto F = Conversion::Floor;

INSTANTIATE_TEST_SUITE_P(
    RoundingTable, CheckedConversion,
    ::testing::Values(
        // Ties go to the even neighbour.
        ConversionCase{R, 0.5, 0}, ConversionCase{R, 1.5, 2}, ConversionCase{R, 2.5, 2},
        ConversionCase{R, 3.5, 4}, ConversionCase{R, -0.5, 0}, ConversionCase{R, -1.5, -2},
        ConversionCase{R, -2.5, -2}, ConversionCase{R, 0.49999999999999994, 0},
        ConversionCase{R, 1.25, 1}, ConversionCase{R, 1.75, 2}, ConversionCase{R, 2.0, 2},
        ConversionCase{R, -2.6, -3}, ConversionCase{R, 2.5000000000000004, 3},
        ConversionCase{R, 2147483647.4, kMax}, ConversionCase{R, 2147483647.5, overflow},
        ConversionCase{R, -2147483648.5, kMin}, ConversionCase{R, -2147483648.6, overflow},
        ConversionCase{R, 2147483648.0, overflow}, ConversionCase{R, 1e300, overflow},
        ConversionCase{R, kNaN, overflow}, ConversionCase{R, kInf, overflow},
        ConversionCase{R, -kInf, overflow},
        // Rounding down, towards minus infinity.
        ConversionCase{F, 0.0, 0}, ConversionCase{F, 2.9, 2}, ConversionCase{F, -0.5, -1},
        ConversionCase{F, -1.0, -1}, ConversionCase{F, 1999999.9999999998, 1999999},
        ConversionCase{F, 1234567.5, 1234567}, ConversionCase{F, 2147483647.99, kMax},
        ConversionCase{F, 2147483648.0, overflow}, ConversionCase{F, -2147483648.0, kMin},
        ConversionCase{F, -2147483648.5, overflow}, ConversionCase{F, kNaN, overflow},
        ConversionCase{F, kInf, overflow}, ConversionCase{F, -kInf, overflow}));

} // namespace
} // namespace veltrin
