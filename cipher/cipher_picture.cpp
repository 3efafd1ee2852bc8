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

std::int32_t PasswordKey(QStringView password, const CodePage &codePage)
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
    const std::int32_t n = RowLimit(length);
    std::int32_t x = cell::homeX;
    std::int32_t y = cell::homeY;
    std::int32_t rowWidth = 0;
    for (std::int32_t i = 1; i <= length; ++i) {
        const CursorStep step = AdvanceCursor(x, y, n);
        if (step.wrapped)
            rowWidth = x;
        x = step.x;
        y = step.y;
    }
    return {checked::add(rowWidth, cell::margin), checked::add(y, cell::margin)};
}

} // namespace veltrin
