// SPDX-License-Identifier: GPL-3.0-or-later
#include "pictures.h"

#include "console.h"
#include "phrases.h"

#include "picture_files.h"
#include "qt_adapters.h"

#include <QFileInfo>

namespace veltrin::cli {

namespace {

// The loader's reasons are the window's, in Chinese; English gets its own.
QString loadReason(int number, const QString &chineseReason)
{
    if (chinese())
        return chineseReason;
    switch (number) {
    case 53:
        return say(phrase::fileNotFound);
    case 75:
        return say(phrase::fileAccess);
    default:
        return say(phrase::invalidPicture);
    }
}

} // namespace

OpenedPicture openPicture(const QString &path)
{
    constexpr int PathFileAccessError = 75;
    if (const QFileInfo info(path); path != u"-" && info.exists() && !info.isFile())
        throw CliError(
            Usage, say(phrase::cannotReadPicture,
                       {{u"path", inputName(path)},
                        {u"reason", say(info.isDir() ? phrase::isFolder : phrase::notRegularFile)},
                        {u"number", PathFileAccessError}}));
    QtPictureLoader loader;
    PictureLoad load;
    try {
        if (path == u"-") {
            const ReadBytes read = readBounded(path, pictureByteLimit());
            load = read.complete ? loader.loadBytes(read.bytes, {})
                                 : PictureLoad{std::nullopt, 481, say(phrase::invalidPicture)};
        } else {
            load = LoadPicture(path, loader);
        }
    } catch (const RuntimeError &error) {
        load = {std::nullopt, error.number(), description(error)};
    }
    if (!load.picture)
        throw CliError(Usage, say(phrase::cannotReadPicture,
                                  {{u"path", inputName(path)},
                                   {u"reason", loadReason(load.errorNumber, load.reason)},
                                   {u"number", load.errorNumber}}));
    if (load.picture->incomplete)
        printMessage(say(phrase::incompletePicture, {{u"path", inputName(path)}}));
    return *std::move(load.picture);
}

bool robustMarked(const Recognition &kind)
{
    return kind.kind == PictureKind::Robust ||
           kind.robustFailure != robustPicture::Failure::NotRobust;
}

void warnIfLossy(const QString &path, const OpenedPicture &picture, const Recognition &kind)
{
    if (picture.lossy && !robustMarked(kind))
        printMessage(say(phrase::lossyPicture, {{u"path", inputName(path)},
                                                {u"format", QString::fromLatin1(picture.format)}}));
}

QString describe(const RuntimeError &error, bool passwordGiven)
{
    QString reason = description(error);
    const Phrase *because =
        passwordGiven ? &phrase::becauseWrongPassword : &phrase::becauseNoPassword;
    switch (error.number()) {
    case RuntimeError::InvalidProcedureCall:
        reason = say(phrase::invalidCall);
        break;
    case RuntimeError::Overflow:
        reason = say(phrase::overflow);
        break;
    case RuntimeError::SubscriptOutOfRange:
        // The window's Chinese description already names a wrong password.
        if (!chinese() || !passwordGiven)
            reason = say(phrase::outOfRange);
        if (passwordGiven)
            because = nullptr;
        break;
    default:
        because = nullptr;
        break;
    }
    return say(phrase::runtimeError,
               {{u"number", error.number()},
                {u"description", because ? say(*because, {{u"problem", reason}}) : reason}});
}

} // namespace veltrin::cli

namespace veltrin::cli {

QString describe(protectedPicture::Failure failure)
{
    using protectedPicture::defaultCost;
    using protectedPicture::Failure;
    switch (failure) {
    case Failure::NotAuthentic:
        return say(phrase::notAuthentic);
    case Failure::Changed:
        return say(phrase::changedFill);
    case Failure::NotConforming:
        return say(phrase::notConforming);
    case Failure::TooCostly:
        return say(phrase::tooCostly,
                   {{u"passes", defaultCost.opsLimit}, {u"mib", defaultCost.memLimit >> 20}});
    case Failure::NewerVersion:
        return say(phrase::newerVersion);
    case Failure::TextTooLong:
        return say(phrase::textFarTooLong);
    case Failure::OutOfMemory:
        return say(phrase::outOfMemory, {{u"mib", defaultCost.memLimit >> 20}});
    case Failure::NeedsPassword:
        return say(phrase::protectNeedsPassword);
    case Failure::Damaged:
    case Failure::NotProtected:
    case Failure::None:
        break;
    }
    return say(phrase::damaged);
}

} // namespace veltrin::cli

namespace veltrin::cli {

QString describe(robustPicture::Failure failure)
{
    using robustPicture::Failure;
    return say(failure == Failure::NewerVersion    ? phrase::robustNewer
               : failure == Failure::NotConforming ? phrase::robustNotConforming
                                                   : phrase::robustDamaged);
}

} // namespace veltrin::cli
