// SPDX-License-Identifier: GPL-3.0-or-later
#include "decrypt_command.h"

#include "console.h"
#include "phrases.h"
#include "pictures.h"
#include "window_start.h"

#include "code_page.h"
#include "decryptor.h"
#include "picture_kind.h"
#include "picture_surface.h"
#include "protected_picture.h"
#include "qt_adapters.h"
#include "robust_picture.h"
#include "runtime_error.h"

#include <optional>

namespace veltrin::cli {

namespace {

void writeText(QString text, bool crlf)
{
    if (!crlf)
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    writeStandardOutput(text.toUtf8());
}

int decryptProtected(const Picture &picture, const Recognition &kind, const QString &password,
                     const QString &name, bool crlf)
{
    using protectedPicture::Failure;
    // Refused before any hashing: a picture out of bounds, or no password.
    const Failure refusal = kind.refusal(toU16(password));
    if (refusal == Failure::NeedsPassword)
        throw CliError(Usage, say(phrase::protectedNeedsPassword, {{u"path", name}}));
    if (refusal != Failure::None)
        throw CliError(NotDecrypted, describe(refusal));
    const protectedPicture::Opened opened = protectedPicture::open(picture, toU16(password));
    if (opened.failure != Failure::None)
        throw CliError(NotDecrypted, describe(opened.failure));
    // An authentic seal: the password was right, the text only empty.
    if (opened.text.empty()) {
        printMessage(say(phrase::emptyText));
        return Success;
    }
    writeText(fromU16(opened.text), crlf);
    return Success;
}

// A sealed one holds a protected picture, opened as any other; a missing or
// wrong password is told only once the carried picture is known to be whole.
int decryptRobust(const Picture &picture, const Recognition &kind, const QString &password,
                  const QString &name, bool crlf)
{
    if (!kind.grid)
        throw CliError(NotDecrypted, describe(kind.robustFailure));
    const robustPicture::Decoded decoded = robustPicture::decode(picture, *kind.grid);
    if (decoded.failure != robustPicture::Failure::None)
        throw CliError(NotDecrypted, describe(decoded.failure));
    if (!kind.sealed()) {
        writeText(fromU16(decoded.text), crlf);
        return Success;
    }
    const Recognition carried = recognise(decoded.sealed);
    // The bytes were corrected without error, so their maker wrote them so.
    if (carried.kind != PictureKind::Protected)
        throw CliError(NotDecrypted, describe(robustPicture::Failure::NotConforming));
    return decryptProtected(decoded.sealed, carried, password, name, crlf);
}

} // namespace

DecryptCommand::DecryptCommand() : crlf_(QStringLiteral("crlf"), say(phrase::crlfOption)) {}

QString DecryptCommand::description() const
{
    return say(phrase::decryptCommand);
}

QList<QCommandLineOption> DecryptCommand::options() const
{
    return password_.options() + QList<QCommandLineOption>{crlf_};
}

QList<Argument> DecryptCommand::arguments() const
{
    return {{QStringLiteral("PICTURE"), say(phrase::pictureArgument)}};
}

int DecryptCommand::run(const QCommandLineParser &parser, const QStringList &positional)
{
    const QString path = positional.at(0);
    if (path == u"-" && password_.readsStandardInput(parser))
        throw CliError(Usage, say(phrase::standardInputTwice));
    const QString password = password_.read(parser);

    PictureSurface picture4(startSize::picture4Width, startSize::picture4Height);
    const OpenedPicture opened = openPicture(path);
    picture4.setPicture(opened.image);
    // The picture's own signature tells the kind, whatever the password.
    const Recognition kind = recognise(picture4.pixels());
    warnIfLossy(path, opened, kind);
    const bool crlf = parser.isSet(crlf_);
    if (kind.kind == PictureKind::Protected)
        return decryptProtected(picture4.pixels(), kind, password, inputName(path), crlf);
    if (robustMarked(kind))
        return decryptRobust(picture4.pixels(), kind, password, inputName(path), crlf);
    CipherMembers members = membersAfterFormLoad();
    std::optional<QString> text;
    try {
        Decryptor(members, codePage936())
            .run({toU16(password), picture4,
                  [&text](const std::u16string &decoded) { text = fromU16(decoded); }, [](bool) {},
                  [](bool) {}});
    } catch (const RuntimeError &error) {
        throw CliError(NotDecrypted, describe(error, !password.isEmpty()));
    }

    if (!text)
        throw CliError(NotDecrypted, say(phrase::blankPicture));
    // Mostly a wrong password; a script must not take it for an empty text.
    // A key is never negative, so a first pixel no key lifts above 0 gives
    // no text for any password: a cropped robust picture, for one.
    if (members.readLength <= 0)
        throw CliError(NotDecrypted,
                       say(members.readLength + members.key <= 0 ? phrase::noTextForAnyPassword
                                                                 : phrase::noText));
    writeText(*text, crlf);
    return Success;
}

} // namespace veltrin::cli
