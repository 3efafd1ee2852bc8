// SPDX-License-Identifier: GPL-3.0-or-later
#include "encryptor.h"

#include "checked_math.h"
#include "cipher_picture.h"
#include "code_page.h"
#include "random_source.h"
#include "surface.h"

#include <algorithm>

namespace veltrin {

namespace {
// The canvas rule makes a 3-character picture two columns wide, which would
// cut off the third header cell. 80 twips is the outer width of a drawing area
// of three columns, enough for every header cell.
constexpr std::int32_t minimumWidth = 80;
} // namespace

void Encryptor::run(const EncryptPage &page)
{
    if (page.text.empty())
        return;

    page.setLabel2_1Enabled(false);
    page.setFrame1_0Enabled(false);
    try {
        encrypt(page);
    } catch (...) {
        m_.writeX = cell::homeX;
        m_.writeY = cell::homeY;
        m_.rowWidth = 0;
        m_.key = 0;
        page.setLabel2_1Enabled(true);
        page.setFrame1_0Enabled(true);
        throw;
    }
    page.setLabel2_1Enabled(true);
    page.setFrame1_0Enabled(true);
}

void Encryptor::encrypt(const EncryptPage &page)
{
    const std::vector<std::int16_t> text = codePage_.codes(page.text);
    const std::vector<std::int16_t> password = codePage_.codes(page.password);
    // The Decryptor refuses a longer text, so no such picture is made.
    if (text.size() > static_cast<std::size_t>(longestText))
        throw RuntimeError::textTooLongToEncrypt();
    const auto length = static_cast<std::int32_t>(text.size());

    m_.setKey(password);

    Surface &work = page.picture1;
    work.Cls();
    work.PSet(0, 0, checked::add(length, m_.key));

    // For u just below 1 the double sum rounds up to 2000000; A stays below it.
    m_.factorA = std::min(checked::floorToInt(random_.next() * 1000000.0 + 1000000.0), 1999999);
    m_.factorB = checked::roundHalfEven(random_.next() * 1.5 + 1.5);
    work.PSet(15, 0, checked::add(m_.key, m_.factorA));
    work.PSet(30, 0, checked::add(m_.key, m_.factorB));

    // Sizing walk: from home, with rowWidth 0, as the members stand between encryptions.
    const std::int32_t n = RowLimit(length);
    for (m_.charIndex = 1; m_.charIndex <= length; ++m_.charIndex) {
        const CursorStep step = AdvanceCursor(m_.writeX, m_.writeY, n);
        if (step.wrapped)
            m_.rowWidth = m_.writeX;
        m_.writeX = step.x;
        m_.writeY = step.y;
    }
    work.setHeight(static_cast<float>(checked::add(m_.writeY, cell::margin)));
    work.setWidth(
        static_cast<float>(std::max(checked::add(m_.rowWidth, cell::margin), minimumWidth)));

    m_.writeY = cell::homeY;
    m_.rowWidth = 0;
    m_.writeX = cell::homeX;

    const std::int32_t product = checked::mul(m_.factorA, m_.factorB);
    for (m_.charIndex = 1; m_.charIndex <= length; ++m_.charIndex) {
        const CursorStep step = AdvanceCursor(m_.writeX, m_.writeY, n);
        m_.writeX = step.x;
        m_.writeY = step.y;
        const std::int32_t value = checked::add(
            checked::add(product, text[static_cast<std::size_t>(m_.charIndex - 1)]), m_.key);
        work.PSet(static_cast<float>(m_.writeX), static_cast<float>(m_.writeY), value);
    }

    Surface &result = page.picture5;
    result.Cls();
    result.setWidth(work.Width());
    result.setHeight(work.Height());
    result.PaintPicture(work.Image(), 0, 0);
    result.Refresh();

    m_.writeX = cell::homeX;
    m_.writeY = cell::homeY;
    m_.rowWidth = 0;
    m_.key = 0;
}

} // namespace veltrin
