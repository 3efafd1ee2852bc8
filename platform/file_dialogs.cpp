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

namespace {

struct FilterPair
{
    QString description;
    QString patterns;
};

// The pairs before the double NUL that ends the list.
QList<FilterPair> filterPairs(const QString &nulSeparatedFilter)
{
    QList<FilterPair> pairs;
    const QStringList items = nulSeparatedFilter.split(QChar(u'\0'));
    for (qsizetype i = 0; i + 1 < items.size() && !items.at(i).isEmpty(); i += 2)
        pairs.append({items.at(i), items.at(i + 1).trimmed()});
    return pairs;
}

// Empty for a pair without patterns, which the dialog cannot show.
QString nameFilterOf(const FilterPair &pair)
{
    if (pair.patterns.isEmpty())
        return {};
    QString patterns = pair.patterns;
    patterns.replace(u';', u' ');
    const QString shown = QStringLiteral("(%1)").arg(patterns);
    return pair.description.endsWith(shown) ? pair.description
                                            : QStringLiteral("%1 %2").arg(pair.description, shown);
}

} // namespace

QStringList nameFiltersFrom(const QString &nulSeparatedFilter)
{
    QStringList filters;
    for (const FilterPair &pair : filterPairs(nulSeparatedFilter))
        if (const QString filter = nameFilterOf(pair); !filter.isEmpty())
            filters.append(filter);
    return filters;
}

std::uint32_t filterIndexOf(const QString &nulSeparatedFilter, const QString &nameFilter)
{
    const QList<FilterPair> pairs = filterPairs(nulSeparatedFilter);
    for (qsizetype i = 0; i < pairs.size(); ++i)
        if (!nameFilter.isEmpty() && nameFilterOf(pairs.at(i)) == nameFilter)
            return std::uint32_t(i + 1);
    return 0;
}

QString filterPattern(const QString &nulSeparatedFilter, std::uint32_t index)
{
    const QList<FilterPair> pairs = filterPairs(nulSeparatedFilter);
    return index >= 1 && index <= std::uint32_t(pairs.size()) ? pairs.at(index - 1).patterns
                                                              : QString();
}

int storeChosenPath(OPENFILENAME &ofn, const QString &path)
{
    if (path.isEmpty() || path.size() >= qsizetype(ofn.nMaxFile))
        return 0;
    ofn.lpstrFile = path + QString(qsizetype(ofn.nMaxFile) - path.size(), QChar(u'\0'));
    return 1;
}

} // namespace veltrin
