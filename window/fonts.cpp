// SPDX-License-Identifier: GPL-3.0-or-later
#include "fonts.h"

#include <QFontDatabase>
#include <QStringList>

using namespace Qt::StringLiterals;

namespace veltrin {

namespace {

const QStringList &heiFamilies()
{
    static const QStringList families{u"SimHei"_s, u"WenQuanYi Zen Hei"_s, u"Noto Sans CJK SC"_s,
                                      u"Source Han Sans SC"_s, u"Droid Sans Fallback"_s};
    return families;
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
    return font;
}

QFont tabFont()
{
    const QString hei = u"黑体"_s;
    if (!QFontDatabase::hasFamily(hei))
        QFont::insertSubstitutions(hei, heiFamilies());
    QFont font(hei);
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(21.75);
    font.setWeight(QFont::Bold);
    return font;
}

} // namespace veltrin
