// SPDX-License-Identifier: GPL-3.0-or-later
#include "windows_path.h"

#include "file_move.h"

#include <array>

using namespace Qt::StringLiterals;

namespace veltrin::windowsPath {

bool cannotHold(const QString &fileName)
{
    if (fileName.endsWith(u'.') || fileName.endsWith(u' '))
        return true;
    // The device is named before the first dot, spaces before it ignored:
    // "nul.txt" and "aux .bmp" are devices too.
    QString base = fileName.section(u'.', 0, 0);
    while (base.endsWith(u' '))
        base.chop(1);
    base = base.toUpper();
    static const std::array<QString, 4> devices{u"CON"_s, u"PRN"_s, u"AUX"_s, u"NUL"_s};
    for (const QString &device : devices) {
        if (base == device)
            return true;
    }
    if (base == u"CONIN$"_s || base == u"CONOUT$"_s)
        return true;
    // COM0 to COM9 and LPT0 to LPT9, and with ¹ ² ³ as well.
    if (base.size() == 4 && (base.startsWith(u"COM"_s) || base.startsWith(u"LPT"_s))) {
        const char16_t last = base.at(3).unicode();
        return (last >= u'0' && last <= u'9') || last == u'¹' || last == u'²' || last == u'³';
    }
    return false;
}

QString systemForm(const QString &nativePath,
                   const std::function<QString(const QString &)> &fullPath)
{
    // MAX_PATH with its terminating null: a path of 260 characters no longer
    // fits the calls without the long form.
    constexpr qsizetype MaxPath = 260;
    const QString full = fullPath(nativePath);
    if (full.isEmpty() || full.size() < MaxPath)
        return full;
    return longPathForm(full);
}

} // namespace veltrin::windowsPath
