// SPDX-License-Identifier: GPL-3.0-or-later
#include "output_format.h"

#include "console.h"
#include "phrases.h"

#include <QDir>
#include <QFileInfo>

namespace veltrin::cli {

namespace {

// Formats that other programs take a file for by its name. Unknown extensions
// (a mktemp name, ".old") say nothing and get the kind's default: BMP, as they
// always did, but for a robust picture.
struct ForeignFormat
{
    const char16_t *extensions;
    const char16_t *name;
    bool destroys; // it cannot hold 24-bit pixels exactly
};
constexpr ForeignFormat foreignFormats[] = {
    {u"jpg jpeg jpe jfif", u"JPEG", true},
    {u"gif", u"GIF", true}, // 256 colours at most
    {u"webp", u"WebP", false},
    {u"tif tiff", u"TIFF", false},
    {u"tga", u"TGA", false},
    {u"ico", u"ICO", false},
    {u"pbm pgm ppm pnm", u"Netpbm", false},
    {u"heic heif", u"HEIF", false},
    {u"avif", u"AVIF", false},
    {u"jxl", u"JPEG XL", false},
    {u"jp2 j2k", u"JPEG 2000", false},
};

const ForeignFormat *foreignFormat(const QString &extension)
{
    for (const ForeignFormat &format : foreignFormats)
        if (QString::fromUtf16(format.extensions)
                .split(u' ')
                .contains(extension, Qt::CaseInsensitive))
            return &format;
    return nullptr;
}

QString nameOf(PictureFormat format)
{
    return extensionOf(format).toUpper();
}

} // namespace

PictureFormat outputFormat(const QString &output, const std::optional<QString> &asked,
                           PictureFormat unnamed)
{
    std::optional<PictureFormat> chosen;
    if (asked) {
        chosen = writtenFormat(*asked);
        if (!chosen)
            throw CliError(Usage, say(phrase::unknownFormat, {{u"format", *asked}}));
    }
    if (output == u"-")
        return chosen.value_or(unnamed);

    const QString shown = QDir::toNativeSeparators(output);
    const QString extension = QFileInfo(output).suffix();
    if (const ForeignFormat *foreign = foreignFormat(extension)) {
        const QString name = QString::fromUtf16(foreign->name);
        throw CliError(Usage, say(phrase::cannotWrite,
                                  {{u"path", shown},
                                   {u"reason", say(foreign->destroys ? phrase::destroyingFormat
                                                                     : phrase::unwrittenFormat,
                                                   {{u"format", name}})}}));
    }
    const std::optional<PictureFormat> named = writtenFormat(extension);
    if (chosen && named && *chosen != *named)
        throw CliError(Usage, say(phrase::cannotWrite,
                                  {{u"path", shown},
                                   {u"reason", say(phrase::formatNotNamed,
                                                   {{u"named", nameOf(*named)},
                                                    {u"asked", nameOf(*chosen)},
                                                    {u"extension", extensionOf(*chosen)}})}}));
    return chosen.value_or(named.value_or(unnamed));
}

} // namespace veltrin::cli
