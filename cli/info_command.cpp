// SPDX-License-Identifier: GPL-3.0-or-later
#include "info_command.h"

#include "console.h"
#include "phrases.h"
#include "pictures.h"
#include "window_start.h"

#include "cipher_picture.h"
#include "code_page.h"
#include "decryptor.h"
#include "picture_kind.h"
#include "picture_surface.h"
#include "protected_picture.h"
#include "robust_picture.h"
#include "runtime_error.h"

#include <optional>

namespace veltrin::cli {

namespace {

// The key of the password the Encryptor wrote the header with (0: none),
// or nothing when no password gives a header it writes. The second factor,
// 2 or 3 plus the key, tells the key.
std::optional<std::int32_t> classicKey(const PictureSurface &picture)
{
    const std::int32_t length = picture.Point(0, 0);
    const std::int32_t factorA = picture.Point(15, 0);
    const std::int32_t factorB = picture.Point(30, 0);
    for (const std::int32_t factor : {2, 3}) {
        const std::int64_t key = std::int64_t(factorB) - factor;
        // No password of letters and digits sums to 1 to 47.
        if (key < 0 || (key > 0 && key < '0') || key > std::int64_t(longestPassword) * 'z')
            continue;
        if (length - key >= 1 && length - key <= longestText && factorA - key >= 1000000 &&
            factorA - key <= 1999999)
            return std::int32_t(key);
    }
    return std::nullopt;
}

// Why the picture is not one the Encryptor wrote without a password, or
// nothing when it is.
QString incompleteBecause(const PictureSurface &picture, std::optional<std::int32_t> key)
{
    const std::int32_t length = picture.Point(0, 0);
    if (length == PictureSurface::white)
        return say(phrase::blank);
    if (!key)
        return say(phrase::foreignHeader);
    if (*key != 0)
        return say(phrase::passwordHeader);
    const Picture &area = picture.pixels();
    if (!WalkFits(length, area.width, area.height))
        return say(phrase::cellsOutside);
    CipherMembers members = membersAfterFormLoad();
    try {
        Decryptor(members, codePage936())
            .run({{}, picture, [](const std::u16string &) {}, [](bool) {}, [](bool) {}});
    } catch (const RuntimeError &error) {
        return describe(error);
    }
    return {};
}

QString opensLine(const QString &why)
{
    return say(phrase::infoProblem,
               {{u"answer",
                 why.isEmpty() ? say(phrase::yes) : say(phrase::noBecause, {{u"reason", why}})}});
}

// The header of a protected picture as stored: nothing in it comes from the password.
QStringList protectedLines(const protectedPicture::HeaderRead &read)
{
    const protectedPicture::Header &header = read.header;
    QStringList lines{say(phrase::infoKind,
                          {{u"kind", say(phrase::kindProtected, {{u"version", header.version}})}})};
    if (header.version != 0) {
        lines << say(phrase::infoKdf,
                     {{u"passes", header.cost.opsLimit}, {u"kib", header.cost.memLimit / 1024}})
              << say(phrase::infoPadded,
                     {{u"bytes", qint64(header.sealedBytes) - protectedPicture::tagBytes}});
    }
    lines << opensLine(read.failure == protectedPicture::Failure::None ? QString()
                                                                       : describe(read.failure));
    return lines;
}

// The grid as the detector read it; the text stays unshown, and a sealed
// picture's carried header is shown as a protected picture's is.
QStringList robustLines(const Picture &picture, const Recognition &kind)
{
    const QString robust = say(phrase::kindRobust);
    if (!kind.grid)
        return {say(phrase::infoKind, {{u"kind", robust}}),
                opensLine(describe(kind.robustFailure))};
    const robustPicture::Grid &grid = *kind.grid;
    const double pitch = (grid.right - grid.left) / grid.modules;
    QStringList lines{
        say(phrase::infoKind, {{u"kind", say(phrase::formatVersion,
                                             {{u"kind", robust}, {u"version", grid.version}})}}),
        say(phrase::infoGrid,
            {{u"modules", grid.modules}, {u"pixels", QString::number(pitch, 'f', 1)}})};
    // Where the picture lies in what was opened, its quiet zone included: a
    // screenshot holds it anywhere.
    if (grid.version >= 2) {
        const double quiet = 2 * pitch;
        const int left = qRound(grid.left - quiet), top = qRound(grid.top - quiet);
        lines << say(phrase::infoPlace, {{u"x", left},
                                         {u"y", top},
                                         {u"width", qRound(grid.right + quiet) - left},
                                         {u"height", qRound(grid.bottom + quiet) - top}});
    }
    lines << say(phrase::infoParity, {{u"bytes", grid.parity}});
    const Phrase &packing = grid.packing == robustPicture::Packing::Sealed ? phrase::packingSealed
                            : grid.packing == robustPicture::Packing::Zstd ? phrase::packingZstd
                                                                           : phrase::packingPlain;
    lines << say(phrase::infoPacking, {{u"packing", say(packing)}});
    const robustPicture::Decoded decoded = robustPicture::decode(picture, grid);
    if (decoded.failure != robustPicture::Failure::None)
        return lines << opensLine(describe(decoded.failure));
    if (!kind.sealed())
        return lines << opensLine({});
    const Recognition carried = recognise(decoded.sealed);
    for (const QString &line : protectedLines(carried.header))
        lines << QStringLiteral("  ") + line;
    return lines;
}

} // namespace

QString InfoCommand::description() const
{
    return say(phrase::infoCommand);
}

QList<Argument> InfoCommand::arguments() const
{
    return {{QStringLiteral("PICTURE"), say(phrase::pictureArgument)}};
}

int InfoCommand::run(const QCommandLineParser &, const QStringList &positional)
{
    PictureSurface picture(startSize::picture4Width, startSize::picture4Height);
    const OpenedPicture opened = openPicture(positional.at(0));
    picture.setPicture(opened.image);
    const QSize size(picture.pixels().width, picture.pixels().height);
    const Recognition kind = recognise(picture.pixels());
    warnIfLossy(positional.at(0), opened, kind);
    if (kind.kind == PictureKind::Protected || robustMarked(kind)) {
        const QStringList lines =
            QStringList{
                say(phrase::infoSize, {{u"width", size.width()}, {u"height", size.height()}})} +
            (kind.kind == PictureKind::Protected ? protectedLines(kind.header)
                                                 : robustLines(picture.pixels(), kind));
        writeStandardOutput((lines.join(u'\n') + u'\n').toUtf8());
        return Success;
    }
    const std::optional<std::int32_t> key = classicKey(picture);
    const QString why = incompleteBecause(picture, key);
    QStringList lines{
        say(phrase::infoSize, {{u"width", size.width()}, {u"height", size.height()}})};
    if (key)
        lines << say(
            phrase::infoKind,
            {{u"kind", say(*key == 0 ? phrase::kindClassic : phrase::kindClassicWithPassword)}});
    lines << say(phrase::infoHeader, {{u"first", picture.Point(0, 0)},
                                      {u"second", picture.Point(15, 0)},
                                      {u"third", picture.Point(30, 0)}})
          << say(phrase::infoComplete,
                 {{u"answer",
                   why.isEmpty() ? say(phrase::yes) : say(phrase::noBecause, {{u"reason", why}})}});
    writeStandardOutput((lines.join(u'\n') + u'\n').toUtf8());
    return Success;
}

} // namespace veltrin::cli
