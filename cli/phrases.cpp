// SPDX-License-Identifier: GPL-3.0-or-later
#include "phrases.h"

#include <QLocale>

namespace veltrin::cli {

namespace {

bool speakChinese = false;

bool isCLocale(const QString &locale)
{
    return locale == u"C" || locale.startsWith(u"C.") || locale == u"POSIX";
}

} // namespace

bool chineseLocale()
{
    QString locale;
    for (const char *name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        locale = qEnvironmentVariable(name);
        if (!locale.isEmpty())
            break;
    }
    if (locale.isEmpty())
        return QLocale::system().language() == QLocale::Chinese;
    if (isCLocale(locale))
        return false;
    const QString preferred = qEnvironmentVariable("LANGUAGE").section(u':', 0, 0);
    return (preferred.isEmpty() ? locale : preferred).startsWith(u"zh");
}

void setChinese(bool chinese)
{
    speakChinese = chinese;
}

bool chinese()
{
    return speakChinese;
}

QString say(const Phrase &said, std::initializer_list<Named> arguments)
{
    return sayIn(speakChinese ? messages::Language::Chinese : messages::Language::English, said,
                 arguments);
}

} // namespace veltrin::cli
