// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "checked_math.h"

#include <cstdint>
#include <span>
#include <string_view>

namespace veltrin {

class CodePage;

// The layout of a cipher picture, in twips.
namespace cell {
constexpr std::int32_t size = 15;  // one pixel
constexpr std::int32_t homeX = 30; // the last header cell: every walk starts here
constexpr std::int32_t homeY = 0;
constexpr std::int32_t margin = 50; // outer size = last cursor position + margin
} // namespace cell

// The longest text and password the window takes, and so the longest any
// Encryptor writes or any reader needs to show.
constexpr std::int32_t longestText = 12000;
constexpr std::int32_t longestPassword = 20;

// Whether a password may hold the character of `code`: ASCII lower-case
// letters, digits and upper-case letters, tested in that order.
constexpr bool IsPasswordCode(std::int32_t code)
{
    return (code >= 97 && code <= 122) || (code >= 48 && code <= 57) || (code >= 65 && code <= 90);
}

// The sum of the password's character codes, each addition overflow-checked.
std::int32_t PasswordKey(std::span<const std::int16_t> passwordCodes);
std::int32_t PasswordKey(std::u16string_view password, const CodePage &codePage);

// floor(sqrt(L)), exact at perfect squares.
std::int32_t RowLimit(std::int32_t length);

struct CursorStep
{
    std::int32_t x;
    std::int32_t y;
    bool wrapped;
};

// One step of the cell walk: right while 15 * n >= x + 15, else to the start
// of the next row. Inline: both walks call it once per character.
inline CursorStep AdvanceCursor(std::int32_t x, std::int32_t y, std::int32_t rowLimit)
{
    const std::int32_t nextX = checked::add(x, cell::size);
    if (checked::mul(rowLimit, cell::size) >= nextX)
        return {nextX, y, false};
    return {0, checked::add(y, cell::size), true};
}

struct CanvasExtent
{
    std::int32_t width;  // rowWidth + margin
    std::int32_t height; // y of the last data cell + margin
};

// The outer size, in twips, of a surface that holds a text of `length` characters.
CanvasExtent CanvasSize(std::int32_t length);

// Whether every data cell of a text of `length` characters lies inside a
// drawing area of columns x rows pixels. Constant time, whatever the length.
bool WalkFits(std::int32_t length, std::int32_t columns, std::int32_t rows);

} // namespace veltrin
