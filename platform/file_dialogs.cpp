// SPDX-License-Identifier: GPL-3.0-or-later
#include "file_dialogs.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace veltrin {

#ifdef _WIN32
const void *applicationInstance()
{
    return GetModuleHandleW(nullptr);
}
#else
namespace {

const char instanceAnchor = 0;

} // namespace

const void *applicationInstance()
{
    Dl_info info{};
    if (dladdr(&instanceAnchor, &info) != 0 && info.dli_fbase != nullptr)
        return info.dli_fbase;
    return &instanceAnchor;
}
#endif

QString textBeforeNul(const QString &buffer)
{
    const qsizetype end = buffer.indexOf(QChar(u'\0'));
    return end < 0 ? buffer : buffer.left(end);
}

QStringList nameFiltersFrom(const QString &nulSeparatedFilter)
{
    QStringList filters;
    const QStringList items = nulSeparatedFilter.split(QChar(u'\0'));
    for (qsizetype i = 0; i + 1 < items.size(); i += 2) {
        const QString &description = items.at(i);
        if (description.isEmpty())
            break; // the double NUL ends the list
        QString patterns = items.at(i + 1).trimmed();
        if (patterns.isEmpty())
            continue;
        patterns.replace(u';', u' ');
        filters.append(QStringLiteral("%1 (%2)").arg(description, patterns));
    }
    return filters;
}

int storeChosenPath(OPENFILENAME &ofn, const QString &path)
{
    if (path.isEmpty() || path.size() >= qsizetype(ofn.nMaxFile))
        return 0;
    ofn.lpstrFile = path + QString(qsizetype(ofn.nMaxFile) - path.size(), QChar(u'\0'));
    return 1;
}

} // namespace veltrin
