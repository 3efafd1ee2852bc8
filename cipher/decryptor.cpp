// SPDX-License-Identifier: GPL-3.0-or-later
#include "decryptor.h"

#include "checked_math.h"
#include "cipher_picture.h"
#include "code_page.h"
#include "surface.h"

#include <algorithm>

namespace veltrin {

namespace {
constexpr std::int32_t blank = 16777215; // a white top-left cell: nothing to decrypt
constexpr std::int32_t skipAlways = -1000001;
constexpr std::int32_t skipWithKey = 15776773;
constexpr std::int32_t skipWithoutKey = 15777215;
} // namespace

void Decryptor::run(const DecryptPage &page)
{
    m_.setKey(codePage_.codes(page.password));

    const std::int32_t first = page.source.Point(0, 0);
    if (checked::sub(first, m_.key) == blank)
        return;

    page.setFrame2_0Enabled(false);
    page.setLabel2_0Enabled(false);
    try {
        decrypt(page);
    } catch (...) {
        m_.decodedText.clear();
        m_.readX = cell::homeX;
        m_.readY = cell::homeY;
        page.setLabel2_0Enabled(true);
        page.setFrame2_0Enabled(true);
        throw;
    }
    page.setLabel2_0Enabled(true);
    page.setFrame2_0Enabled(true);
}

void Decryptor::decrypt(const DecryptPage &page)
{
    const Surface &source = page.source;
    m_.readLength = checked::sub(source.Point(0, 0), m_.key);
    m_.readFactorA = checked::sub(source.Point(15, 0), m_.key);
    m_.readFactorB = checked::sub(source.Point(30, 0), m_.key);

    const std::int32_t length = m_.readLength;
    if (length >= 1) {
        const std::int32_t n = RowLimit(length);
        const std::int32_t product = checked::mul(m_.readFactorA, m_.readFactorB);
        // A header that claims more cells than the picture holds would send
        // the walk through millions of reads outside it; such a picture
        // cannot carry that text, so it is refused before any data cell.
        if (!WalkFits(length, source.drawingColumns(), source.drawingRows()))
            throw RuntimeError::cellsOutsidePicture();
        const std::int32_t secondSkip = m_.key != 0 ? skipWithKey : skipWithoutKey;
        // No Encryptor writes a longer text, and a longer one would only stall
        // the window that shows it.
        m_.decodedText.reserve(std::min(length, longestText));
        for (m_.charIndex = 1;; ++m_.charIndex) {
            const CursorStep step = AdvanceCursor(m_.readX, m_.readY, n);
            m_.readX = step.x;
            m_.readY = step.y;
            const std::int32_t v =
                source.Point(static_cast<float>(m_.readX), static_cast<float>(m_.readY));
            const std::int32_t c = checked::sub(checked::sub(v, m_.key), product);
            if (c != skipAlways && c != secondSkip) {
                const char16_t character = codePage_.character(c);
                if (m_.decodedText.size() == std::size_t(longestText))
                    throw RuntimeError::textTooLong();
                m_.decodedText.push_back(character);
            }
            if (m_.charIndex == length)
                break;
        }
    }

    page.setText2(m_.decodedText);
    m_.decodedText.clear();
    m_.readX = cell::homeX;
    m_.readY = cell::homeY;
}

} // namespace veltrin
