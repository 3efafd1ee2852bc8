// SPDX-License-Identifier: GPL-3.0-or-later
#include "advice.h"

#include "qt_adapters.h"
#include "qt_messages.h"

#include <QDir>

using namespace Qt::StringLiterals;

namespace veltrin {

namespace {

constexpr int InvalidPicture = 481;
constexpr auto Chinese = messages::Language::Chinese;

messages::Situation inCore(const ErrorSituation &situation)
{
    return {situation.attempt, situation.passwordEmpty,
            situation.lossyFormat.isEmpty()
                ? std::u16string()
                : messages::formatName(situation.lossyFormat.toStdString())};
}

} // namespace

QString runtimeErrorText(const RuntimeError &error, const ErrorSituation &situation)
{
    return fromU16(messages::runtimeErrorText(error.number(), error.description(),
                                              inCore(situation), Chinese));
}

QString nothingDecryptedText(const ErrorSituation &situation)
{
    return fromU16(messages::nothingDecryptedText(inCore(situation), Chinese));
}

QString robustFailureText(robustPicture::Failure failure, std::size_t fits)
{
    return fromU16(messages::robustFailureText(failure, fits, Chinese));
}

QString robustPasswordText()
{
    return say(messages::robustPassword);
}

QString protectedFailureText(protectedPicture::Failure failure, const ErrorSituation &situation)
{
    return fromU16(messages::protectedFailureText(failure, inCore(situation), Chinese));
}

QString weakPasswordQuestion(const passwordStrength::Verdict &verdict)
{
    using passwordStrength::TimeUnit;
    // Judged by length alone: the browser page's question, word for word.
    if (!verdict.estimated)
        return say(messages::weakLengthQuestion,
                   {{u"count", verdict.characters}, {u"length", passwordStrength::strongLength}});
    const passwordStrength::RoughTime &time = verdict.timeToFind;
    QString found;
    if (time.underASecond) {
        found = say(messages::weakFoundUnderASecond);
    } else {
        const messages::Message *unit = &messages::seconds;
        switch (time.unit) {
        case TimeUnit::Second:
            break;
        case TimeUnit::Minute:
            unit = &messages::minutes;
            break;
        case TimeUnit::Hour:
            unit = &messages::hours;
            break;
        case TimeUnit::Day:
            unit = &messages::days;
            break;
        case TimeUnit::Year:
            unit = &messages::years;
            break;
        }
        found = say(messages::weakFoundAbout, {{u"count", time.count}, {u"unit", say(*unit)}});
    }
    if (verdict.tooShort)
        found += say(messages::weakFoundSooner, {{u"length", passwordStrength::strongLength}});
    return say(messages::weakQuestion,
               {{u"found", found},
                {u"guesses", QString::number(passwordStrength::attackerGuessesPerSecond)},
                {u"cores", passwordStrength::attackerCores},
                {u"length", passwordStrength::strongLength},
                {u"bits", QString::number(passwordStrength::strongBits)}});
}

QString lossyPictureText(const QString &subject, const QByteArray &format)
{
    return fromU16(messages::lossyPictureText(toU16(subject),
                                              messages::formatName(format.toStdString()), Chinese));
}

QString incompletePictureText(const QString &subject)
{
    return say(messages::incompletePictureWarning, {{u"subject", subject}});
}

QString refusedPictureText(const QString &path, const PictureLoad &load)
{
    QString text =
        say(messages::refusedPicture,
            {{u"subject", say(messages::quoted, {{u"name", QDir::toNativeSeparators(path)}})},
             {u"reason", load.reason.isEmpty() ? say(messages::cannotReadReason) : load.reason}});
    if (load.errorNumber == InvalidPicture)
        text += u'\n' + say(messages::notVeltrinPicture);
    return text;
}

QString refusedPasteText(const PictureLoad &load)
{
    if (load.errorNumber == 0)
        return say(messages::noPictureToPaste);
    return say(messages::pasteRefused, {{u"reason", load.reason}});
}

} // namespace veltrin
