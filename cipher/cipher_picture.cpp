// SPDX-License-Identifier: GPL-3.0-or-later
#include "cipher_picture.h"

#include "cipher_members.h"

#include "checked_math.h"
#include "code_page.h"

#include <cmath>

namespace veltrin {

std::int32_t PasswordKey(std::span<const std::int16_t> passwordCodes)
{
    std::int32_t key = 0;
    for (const std::int16_t code : passwordCodes)
        key = checked::add(key, code);
    return key;
}

void CipherMembers::setKey(std::span<const std::int16_t> passwordCodes)
{
    key = 0;
    if (passwordCodes.empty())
        return;
    key = PasswordKey(passwordCodes);
    keyIndex = static_cast<std::int32_t>(passwordCodes.size()) + 1;
}

std::int32_t PasswordKey(std::u16string_view password, const CodePage &codePage)
{
    return PasswordKey(codePage.codes(password));
}

std::int32_t RowLimit(std::int32_t length)
{
    if (length <= 0)
        return 0;
    // The double square root rounded down is exact for every 32-bit L; the
    // correction only guards against a library sqrt that is not correctly rounded.
    auto n = static_cast<std::int64_t>(std::sqrt(static_cast<double>(length)));
    while (n * n > length)
        --n;
    while ((n + 1) * (n + 1) <= length)
        ++n;
    return static_cast<std::int32_t>(n);
}

CanvasExtent CanvasSize(std::int32_t length)
{
    // The walk in closed form, so that a header claiming millions of
    // characters is measured at once. Every wrap leaves column n, except for
    // n = 1, whose second wrap (L = 3) leaves column 1.
    if (length <= 0)
        return {cell::margin, cell::margin};
    const std::int32_t n = RowLimit(length);
    const std::int32_t onRowZero = n >= 3 ? n - 2 : 0;
    const std::int32_t lastRow = 1 + (length - onRowZero - 1) / (n + 1);
    const std::int32_t rowWidth = n >= 2 ? n * cell::size : (length == 3 ? 15 : 30);
    return {rowWidth + cell::margin, lastRow * cell::size + cell::margin};
}

bool WalkFits(std::int32_t length, std::int32_t columns, std::int32_t rows)
{
    if (length <= 0)
        return true; // no data cell at all
    const CanvasExtent canvas = CanvasSize(length);
    return (canvas.width - cell::margin) / cell::size < columns &&
           (canvas.height - cell::margin) / cell::size < rows;
}

} // namespace veltrin
