// SPDX-License-Identifier: GPL-3.0-or-later
#include "cipher_fixtures.h"

#include <algorithm>
#include <random>

namespace veltrin::testing {

QString mixedText(int length, unsigned seed)
{
    // Every double-byte character of the code page, to draw Chinese from.
    static const std::vector<QChar> chinese = [] {
        std::vector<QChar> result;
        for (std::int32_t code = -32768; code < 0; ++code) {
            const QChar ch = codePage936().character(code);
            if (ch != u'?')
                result.push_back(ch);
        }
        return result;
    }();

    std::mt19937 engine(seed);
    std::uniform_int_distribution<int> kind(0, 9);
    std::uniform_int_distribution<int> ascii(32, 126);
    std::uniform_int_distribution<std::size_t> pick(0, chinese.size() - 1);
    QString text;
    text.reserve(length);
    while (text.size() < length) {
        const int k = kind(engine);
        if (k == 0 && text.size() + 2 <= length)
            text += QStringLiteral("\r\n");
        else if (k < 5)
            text += QChar(static_cast<char16_t>(ascii(engine)));
        else
            text += chinese[pick(engine)];
    }
    return text;
}

void expectCipherPicture(const Surface &surface, const QString &text, int key, int factorA,
                         int factorB, std::int32_t background)
{
    const std::vector<std::int16_t> codes = codesOf(text);
    const int length = static_cast<int>(codes.size());
    std::map<Cell, std::int32_t> expected{
        {{0, 0}, length + key}, {{1, 0}, factorA + key}, {{2, 0}, factorB + key}};
    for (int i = 1; i <= length; ++i) {
        const std::int32_t value = factorA * factorB + codes[static_cast<std::size_t>(i - 1)] + key;
        ASSERT_GE(value, 0);
        ASSERT_LE(value, 16777215);
        ASSERT_TRUE(expected.emplace(referenceCell(i, length), value).second)
            << "character " << i << " shares cell " << referenceCell(i, length);
    }

    // Never fewer than three columns, so that every header cell survives.
    const int columns = std::max(referenceCanvas(length).first / 15 - 2, 3);
    const int rows = referenceCell(length, length).row + 1;
    ASSERT_EQ(QSize(surface.Image().width, surface.Image().height), QSize(columns, rows))
        << "length " << length;

    int mismatches = 0;
    for (int row = 0; row < rows; ++row) {
        for (int column = 0; column < columns; ++column) {
            const auto it = expected.find({column, row});
            const std::int32_t want = it == expected.end() ? background : it->second;
            const std::int32_t got =
                surface.Point(static_cast<float>(15 * column), static_cast<float>(15 * row));
            if (got != want && ++mismatches <= 5)
                ADD_FAILURE() << "cell " << Cell{column, row} << ": " << got << ", expected "
                              << want;
        }
    }
    EXPECT_EQ(mismatches, 0);
    EXPECT_EQ(surface.Point(static_cast<float>(15 * columns), 0), -1);
    EXPECT_EQ(surface.Point(0, static_cast<float>(15 * rows)), -1);
}

} // namespace veltrin::testing
