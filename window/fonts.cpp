// SPDX-License-Identifier: GPL-3.0-or-later
#include "fonts.h"

#include <QFontDatabase>
#include <QStringList>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace veltrin {

namespace {

const QStringList &heiFamilies()
{
    static const QStringList families{u"SimHei"_s, u"WenQuanYi Zen Hei"_s, u"Noto Sans CJK SC"_s,
                                      u"Source Han Sans SC"_s, u"Droid Sans Fallback"_s};
    return families;
}

// By the names the font database lists, which it has read anyway for the
// first text drawn; QFontDatabase::hasFamily would also ask fontconfig.
bool listed(const QStringList &families, const QString &family)
{
    return std::any_of(families.cbegin(), families.cend(), [&family](const QString &name) {
        // A family that several foundries make is listed as "Family [Foundry]".
        return name.startsWith(family, Qt::CaseInsensitive) &&
               (name.size() == family.size() ||
                QStringView(name).mid(family.size()).startsWith(u" ["));
    });
}

// "黑体" resolved to one installed family. A font of one family with no
// substitutes has Qt look for fallback fonts only when a character is
// missing from it; a substitution list makes Qt ask fontconfig for every
// script's fallbacks as soon as the font is first used.
QString heiFamily()
{
    const QString hei = u"黑体"_s;
    const QStringList families = QFontDatabase::families();
    if (listed(families, hei))
        return hei;
    for (const QString &family : heiFamilies()) {
        if (listed(families, family))
            return family;
    }
    if (!QFontDatabase::hasFamily(hei))
        QFont::insertSubstitutions(hei, heiFamilies());
    return hei;
}

} // namespace

QFont defaultFont()
{
    QFont font;
    // The monospaced Zen Hei gives half-width ASCII, so captions measure as
    // the layout expects; the others are fallbacks for characters it lacks.
    font.setFamilies({u"WenQuanYi Zen Hei Mono"_s, u"SimSun"_s, u"WenQuanYi Zen Hei"_s,
                      u"Noto Sans CJK SC"_s, u"Droid Sans Fallback"_s});
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(12);
    // Zen Hei carries no hints of its own, so hinting it means FreeType's
    // auto-hinter, which surveys the whole font before the first glyph and
    // loads every glyph once more just for its advance: a seventh of the
    // start-up. Unhinted, the 12-pixel captions keep their widths and only
    // their anti-aliasing shifts.
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

QFont tabFont()
{
    static const QString family = heiFamily();
    QFont font(family);
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(21.75);
    font.setWeight(QFont::Bold);
    return font;
}

} // namespace veltrin
