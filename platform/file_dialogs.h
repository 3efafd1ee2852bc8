// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>

namespace veltrin {

// The common dialogs' record in its original 76-byte form. The texts stay
// Unicode: a chosen path must come back exactly as the file system spells it.
// A null QString stands for a null pointer.
struct OPENFILENAME
{
    static constexpr std::uint32_t OFN_OVERWRITEPROMPT = 0x2;
    static constexpr std::uint32_t OFN_HIDEREADONLY = 0x4;
    static constexpr std::uint32_t OFN_CREATEPROMPT = 0x2000;

    std::uint32_t lStructSize = 0;
    std::uintptr_t hwndOwner = 0;
    const void *hInstance = nullptr;
    QString lpstrFilter;
    QString lpstrCustomFilter;
    std::uint32_t nMaxCustFilter = 0;
    std::uint32_t nFilterIndex = 0;
    QString lpstrFile;
    std::uint32_t nMaxFile = 0;
    QString lpstrFileTitle;
    std::uint32_t nMaxFileTitle = 0;
    QString lpstrInitialDir;
    QString lpstrTitle;
    std::uint32_t Flags = 0;
    std::uint16_t nFileOffset = 0;
    std::uint16_t nFileExtension = 0;
    QString lpstrDefExt;
    std::intptr_t lCustData = 0;
    void *lpfnHook = nullptr;
    QString lpTemplateName;
};

// The Open and Save dialogs, behind a seam so that no test waits on them.
// Both return 1 when the user confirmed a name, which then stands in
// lpstrFile as a full path ended by a NUL; any other value is cancel or failure.
class FileDialogs
{
public:
    virtual ~FileDialogs() = default;
    virtual int GetOpenFileNameA(OPENFILENAME &ofn) = 0;
    virtual int GetSaveFileNameA(OPENFILENAME &ofn) = 0;
};

// The running program's module, what the record calls the instance handle.
const void *applicationInstance();

// The text of a NUL-padded buffer up to its first NUL (all of it if it has none).
QString textBeforeNul(const QString &buffer);

// A NUL-separated list of description/pattern pairs, ended by two NULs, as
// QFileDialog name filters: "bmp格式\0*.bmp\0\0" gives "bmp格式 (*.bmp)"; a
// description that shows its patterns already ("BMP 图片 (*.bmp)") stays as it is.
QStringList nameFiltersFrom(const QString &nulSeparatedFilter);

// The record's number of the pair that nameFiltersFrom turned into
// `nameFilter`, counted from 1 as nFilterIndex counts; 0 when none did.
std::uint32_t filterIndexOf(const QString &nulSeparatedFilter, const QString &nameFilter);

// The pattern of pair `index`, counted from 1; empty when there is no such pair.
QString filterPattern(const QString &nulSeparatedFilter, std::uint32_t index);

// Puts a confirmed path into the record's file buffer as the dialog would.
// Returns 1, or 0 when the path and its NUL do not fit in nMaxFile characters.
int storeChosenPath(OPENFILENAME &ofn, const QString &path);

} // namespace veltrin
