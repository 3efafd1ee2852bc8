// SPDX-License-Identifier: GPL-3.0-or-later
#include "encrypt_command.h"

#include "console.h"
#include "output_format.h"
#include "phrases.h"
#include "pictures.h"
#include "safe_output.h"
#include "text_input.h"
#include "window_start.h"

#include "cipher_members.h"
#include "code_page.h"
#include "encryptor.h"
#include "password_strength.h"
#include "picture_io.h"
#include "picture_surface.h"
#include "protected_picture.h"
#include "qt_adapters.h"
#include "random_source.h"
#include "robust_picture.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>

namespace veltrin::cli {

namespace {

// The picture Save would write after the window's first encryption of `text`.
QImage classicPicture(const QString &text, const QString &password)
{
    CipherMembers members = membersAfterFormLoad();
    SystemRandomSource random;
    random.seedFromTimer();
    PictureSurface picture1(startSize::picture1Width, startSize::picture1Height);
    PictureSurface picture5(startSize::picture5Width, startSize::picture5Height);
    Encryptor(members, random, codePage936())
        .run({toU16(text), toU16(password), picture1, picture5, [](bool) {}, [](bool) {}});
    return picture5.qImage();
}

Picture sealedPicture(const QString &text, const QString &password)
{
    protectedPicture::SystemRandomBytes random;
    protectedPicture::Sealed sealed = protectedPicture::seal(toU16(text), toU16(password), random);
    if (sealed.failure != protectedPicture::Failure::None)
        throw CliError(Usage, describe(sealed.failure));
    return std::move(sealed.image);
}

// The picture Save writes after the window makes a protected picture of `text`.
QImage protectedPictureOf(const QString &text, const QString &password)
{
    PictureSurface picture1(startSize::picture1Width, startSize::picture1Height);
    PictureSurface picture5(startSize::picture5Width, startSize::picture5Height);
    protectedPicture::show(sealedPicture(text, password), picture1, picture5);
    return picture5.qImage();
}

// Written at its own size, with no surface around it. A text longer than the
// text box holds is measured by the plain encoder before any costly seal: the
// seal of any text the box holds fits, so both say the same.
QImage robustPictureOf(const QString &text, const QString &password, bool protect)
{
    const bool sealable = static_cast<std::size_t>(text.size()) <= robustPicture::longestText;
    const robustPicture::Encoded encoded =
        protect && sealable ? robustPicture::encodeSealed(sealedPicture(text, password))
                            : robustPicture::encode(toU16(text));
    if (encoded.failure != robustPicture::Failure::None)
        throw CliError(
            Usage, say(phrase::textTooLong, {{u"count", text.size()}, {u"fits", encoded.fits}}));
    return toQImage(encoded.image);
}

QByteArray fileOf(const QImage &picture, PictureFormat format)
{
    QBuffer file;
    file.open(QIODevice::WriteOnly);
    QtPictureWriter::write(picture, file, format);
    return file.data();
}

QString timeText(const passwordStrength::RoughTime &time)
{
    using passwordStrength::TimeUnit;
    if (time.underASecond)
        return say(phrase::underASecond);
    const bool one = time.count == 1;
    const Phrase *unit = &phrase::seconds;
    switch (time.unit) {
    case TimeUnit::Second:
        unit = one ? &phrase::second : &phrase::seconds;
        break;
    case TimeUnit::Minute:
        unit = one ? &phrase::minute : &phrase::minutes;
        break;
    case TimeUnit::Hour:
        unit = one ? &phrase::hour : &phrase::hours;
        break;
    case TimeUnit::Day:
        unit = one ? &phrase::day : &phrase::days;
        break;
    case TimeUnit::Year:
        unit = one ? &phrase::year : &phrase::years;
        break;
    }
    return say(phrase::aboutTime, {{u"count", time.count}, {u"unit", say(*unit)}});
}

// Told before the text is read, so that a refusal costs no typing and an
// interactive user can still stop after the warning.
void judgePassword(const QString &password, bool requireStrong)
{
    const passwordStrength::Verdict verdict = passwordStrength::judge(password.toStdString());
    if (!verdict.weak)
        return;
    const QString estimate =
        !verdict.estimated
            ? say(phrase::shortPassword,
                  {{u"count", verdict.characters}, {u"length", passwordStrength::strongLength}})
            : say(phrase::weakPassword,
                  {{u"time", timeText(verdict.timeToFind)},
                   {u"tooShort",
                    verdict.tooShort
                        ? say(phrase::tooShort, {{u"length", passwordStrength::strongLength}})
                        : QString()},
                   {u"guesses", QString::number(passwordStrength::attackerGuessesPerSecond)},
                   {u"cores", passwordStrength::attackerCores},
                   {u"length", passwordStrength::strongLength},
                   {u"bits", QString::number(passwordStrength::strongBits)}});
    if (requireStrong)
        throw CliError(Usage, say(phrase::weakRefused, {{u"estimate", estimate}}));
    printMessage(say(phrase::weakWarning, {{u"estimate", estimate}}));
}

} // namespace

EncryptCommand::EncryptCommand()
    : input_({QStringLiteral("i"), QStringLiteral("input")}, say(phrase::inputOption),
             QStringLiteral("TEXT_FILE")),
      output_({QStringLiteral("o"), QStringLiteral("output")}, say(phrase::outputOption),
              QStringLiteral("PICTURE")),
      force_({QStringLiteral("f"), QStringLiteral("force")}, say(phrase::forceOption)),
      protect_(QStringLiteral("protect"), say(phrase::protectOption)),
      robust_(QStringLiteral("robust"), say(phrase::robustOption)),
      format_(QStringLiteral("format"), say(phrase::formatOption), QStringLiteral("FORMAT")),
      requireStrong_(QStringLiteral("require-strong"),
                     say(passwordStrength::estimatesGuesses() ? phrase::requireStrongOption
                                                              : phrase::requireStrongLengthOption))
{}

QString EncryptCommand::description() const
{
    return say(phrase::encryptCommand);
}

QList<QCommandLineOption> EncryptCommand::options() const
{
    return password_.options() + QList<QCommandLineOption>{robust_, protect_, requireStrong_,
                                                           input_,  output_,  format_,
                                                           force_};
}

int EncryptCommand::run(const QCommandLineParser &parser, const QStringList &)
{
    const QString output = parser.value(output_);
    if (output.isEmpty())
        throw CliError(Usage, say(phrase::missingOutput));
    const QString input = parser.isSet(input_) ? parser.value(input_) : QStringLiteral("-");
    if (input == u"-" && password_.readsStandardInput(parser))
        throw CliError(Usage, say(phrase::standardInputTwice));
    const bool toStandardOutput = output == u"-";
    const bool robust = parser.isSet(robust_);
    // A robust picture goes through chat programs, which take a PNG as a picture.
    const PictureFormat format = outputFormat(
        output, parser.isSet(format_) ? std::optional(parser.value(format_)) : std::nullopt,
        robust ? PictureFormat::Png : PictureFormat::Bmp);
    const bool replace = parser.isSet(force_);
    // Told before the text is typed; the write itself checks again, race-free.
    // --force replaces no folder, so that is what to say of one.
    if (!toStandardOutput && QFileInfo(output).isDir())
        throw CliError(Usage, say(phrase::cannotWrite, {{u"path", QDir::toNativeSeparators(output)},
                                                        {u"reason", say(phrase::isFolder)}}));
    if (!toStandardOutput && !replace && QFileInfo::exists(output))
        throw CliError(Usage, say(phrase::outputExists, {{u"path", output}}));

    const bool protect = parser.isSet(protect_);
    const bool requireStrong = parser.isSet(requireStrong_);
    if (requireStrong && !protect)
        throw CliError(Usage, say(phrase::requireStrongNeedsProtect));
    // A typing mistake would seal the text under a password nobody knows.
    const QString password = password_.read(parser, protect);
    if (protect && password.isEmpty())
        throw CliError(Usage, say(phrase::protectNeedsPassword));
    // Nothing of it would reach the picture, which anyone can read.
    if (robust && !protect && !password.isEmpty())
        throw CliError(Usage, say(phrase::robustUnusedPassword));
    if (protect)
        judgePassword(password, requireStrong);
    const ReadBytes read = readBounded(input, textFileLimit);
    const QString text = prepareText(read.bytes, read.complete, codePage936(),
                                     robust    ? Storage::Utf8Measured
                                     : protect ? Storage::Utf8
                                               : Storage::CodePage);
    const QImage picture = robust    ? robustPictureOf(text, password, protect)
                           : protect ? protectedPictureOf(text, password)
                                     : classicPicture(text, password);
    const QByteArray file = fileOf(picture, format);
    if (toStandardOutput)
        writeStandardOutput(file);
    else
        writePictureSafely(output, file, format, picture, replace);
    return Success;
}

} // namespace veltrin::cli
