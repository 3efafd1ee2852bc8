// SPDX-License-Identifier: GPL-3.0-or-later
#include "module1.h"

#include "qt_messages.h"

#include <algorithm>

namespace veltrin {

namespace {

constexpr std::uint32_t recordSize = 76;
// A dialog that closes sooner than this cannot have been answered by a person.
constexpr std::uint32_t retryBelowMs = 20;

// What a name gets for the filter: "*.bmp;*.dib" gives "bmp", "*" and "*.*" nothing.
QString extensionOfFilter(const QString &nulFilter, std::uint32_t index)
{
    const QString first = filterPattern(nulFilter, index).section(u';', 0, 0).trimmed();
    if (!first.startsWith(u"*."))
        return {};
    const QString extension = first.mid(2);
    const bool plain = std::none_of(extension.begin(), extension.end(), [](QChar c) {
        return c == u'*' || c == u'?' || c == u'.' || c.isSpace();
    });
    return plain ? extension : QString();
}

} // namespace

Module1::Module1(FileDialogs &dialogs, TickCounter &clock, MessageBox &messages,
                 QString applicationTitle)
    : dialogs_(dialogs), clock_(clock), messages_(messages),
      applicationTitle_(std::move(applicationTitle))
{}

QString Module1::FileDialog(const std::int16_t &isSave, const QString &dialogTitle,
                            const QString &filter, const QString &initialFile,
                            const QString &defaultExt, const QString &initialDir)
{
    if (initialFile.size() > fileBufferSize) {
        messages_.show(say(messages::filenameLengthOverflow),
                       applicationTitle_ + QStringLiteral(" - FileDialog Function"),
                       MessageBox::Exclamation);
        return {};
    }

    const QChar nul(u'\0');
    QString nulFilter = filter;
    nulFilter.replace(u'|', nul);

    OPENFILENAME ofn;
    ofn.lStructSize = recordSize;
    ofn.hwndOwner = 0;
    ofn.hInstance = applicationInstance();
    ofn.lpstrFilter = nulFilter;
    while (!ofn.lpstrFilter.endsWith(QString(2, nul)))
        ofn.lpstrFilter += nul;
    ofn.lpstrFile = initialFile + QString(fileBufferSize - initialFile.size(), nul);
    ofn.nMaxFile = fileBufferSize;
    ofn.lpstrFileTitle = QString(fileBufferSize - 1, u' ');
    ofn.nMaxFileTitle = fileBufferSize;
    ofn.lpstrInitialDir = initialDir.isEmpty() ? QString() : initialDir;
    ofn.lpstrTitle = dialogTitle;
    ofn.Flags = dialogFlags;
    ofn.lpstrDefExt = defaultExt.isEmpty() ? QString() : defaultExt;

    // The dialog starts with the first filter; the user may choose another.
    filterExtension = extensionOfFilter(nulFilter, 1);

    const bool save = isSave != 0;
    const std::uint32_t t0 = clock_.GetTickCount();
    int r = showDialog(save, ofn);
    // Unsigned subtraction is modulo 2^32, so the counter's wrap-around is harmless.
    const std::uint32_t elapsed = clock_.GetTickCount() - t0;
    if (elapsed < retryBelowMs) {
        ofn.lpstrFile.fill(nul);
        r = showDialog(save, ofn);
    }
    if (r != 1)
        return {};
    if (ofn.nFilterIndex != 0)
        filterExtension = extensionOfFilter(ofn.lpstrFilter, ofn.nFilterIndex);
    return textBeforeNul(ofn.lpstrFile);
}

int Module1::showDialog(bool save, OPENFILENAME &ofn)
{
    return save ? dialogs_.GetSaveFileNameA(ofn) : dialogs_.GetOpenFileNameA(ofn);
}

} // namespace veltrin
