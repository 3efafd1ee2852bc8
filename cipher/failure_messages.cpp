// SPDX-License-Identifier: GPL-3.0-or-later
#include "failure_messages.h"

#include "runtime_error.h"

namespace veltrin::messages {

namespace {

constexpr int FileNotFound = 53;
constexpr int PathFileAccessError = 75;
constexpr int InvalidPicture = 481;

std::u16string decryptAdvice(int number, const Situation &situation, Language language)
{
    if (situation.attempt == Attempt::DecryptDrawn) {
        // The picture was drawn a moment ago, so only the password can be wrong.
        return text(situation.passwordEmpty ? drawnNoPassword : drawnWrongPassword, language);
    }
    std::u16string causes;
    const auto add = [&causes, language](const Message &cause,
                                         std::initializer_list<Argument> arguments = {}) {
        causes += u"\n· " + text(cause, language, arguments);
    };
    if (!situation.lossyFormat.empty())
        add(lossyCause, {{u"format", situation.lossyFormat}});
    const Message &password = situation.passwordEmpty ? passwordMissingCause : passwordWrongCause;
    // Error 9 says that the picture cannot hold the text its header claims.
    if (number == RuntimeError::SubscriptOutOfRange) {
        add(foreignCause);
        add(password);
    } else {
        add(password);
        add(foreignCause);
    }
    return text(likelyCauses, language, {{u"causes", causes}});
}

std::u16string advice(int number, const Situation &situation, Language language)
{
    switch (number) {
    case RuntimeError::InvalidProcedureCall:
    case RuntimeError::Overflow:
    case RuntimeError::SubscriptOutOfRange:
        if (situation.attempt != Attempt::Other)
            return decryptAdvice(number, situation, language);
        break;
    case FileNotFound:
    case PathFileAccessError:
    case InvalidPicture:
        return text(unreadablePictureFile, language);
    default:
        break;
    }
    return text(notCompleted, language);
}

} // namespace

std::u16string formatName(std::string_view format)
{
    if (format == "jpeg" || format == "jpg")
        return u"JPEG";
    if (format == "webp")
        return u"WebP";
    std::u16string name;
    for (const char c : format)
        name.push_back(static_cast<char16_t>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c));
    return name;
}

std::u16string runtimeErrorText(int number, std::u16string_view description,
                                const Situation &situation, Language language)
{
    return text(runtimeErrorBox, language,
                {{u"number", number},
                 {u"description", description},
                 {u"advice", advice(number, situation, language)}});
}

std::u16string nothingDecryptedText(const Situation &situation, Language language)
{
    return decryptAdvice(0, situation, language);
}

std::u16string robustFailureText(robustPicture::Failure failure, std::size_t fits,
                                 Language language)
{
    using robustPicture::Failure;
    switch (failure) {
    case Failure::NewerVersion:
        return text(robustNewer, language);
    case Failure::TextTooLong:
        return text(robustTooLong, language, {{u"fits", fits}});
    case Failure::NotConforming:
        return text(robustNotConforming, language);
    case Failure::None:
        return {};
    case Failure::NotRobust:
    case Failure::Damaged:
        break;
    }
    return text(robustDamaged, language);
}

std::u16string protectedFailureText(protectedPicture::Failure failure, const Situation &situation,
                                    Language language)
{
    using protectedPicture::defaultCost;
    using protectedPicture::Failure;
    const bool decrypting = situation.attempt != Attempt::Other;
    std::u16string said;
    switch (failure) {
    case Failure::NeedsPassword:
        said = text(decrypting ? protectedNeedsPasswordToOpen : protectedNeedsPasswordToMake,
                    language);
        break;
    case Failure::NotAuthentic:
        said = text(protectedNotAuthentic, language);
        break;
    case Failure::Damaged:
        said = text(protectedDamaged, language);
        break;
    case Failure::Changed:
        said = text(protectedChanged, language);
        break;
    case Failure::NotConforming:
        said = text(protectedNotConforming, language);
        break;
    case Failure::TooCostly:
        said = text(protectedTooCostly, language,
                    {{u"passes", defaultCost.opsLimit}, {u"mib", defaultCost.memLimit >> 20}});
        break;
    case Failure::NewerVersion:
        said = text(protectedNewer, language);
        break;
    case Failure::TextTooLong:
        said = text(decrypting ? protectedTextTooLongToOpen : protectedTextTooLongToMake, language);
        break;
    case Failure::OutOfMemory:
        said = text(protectedOutOfMemory, language, {{u"mib", defaultCost.memLimit >> 20}});
        break;
    case Failure::NotProtected:
    case Failure::None:
        break;
    }
    if (!situation.lossyFormat.empty() &&
        (failure == Failure::NotAuthentic || failure == Failure::Damaged ||
         failure == Failure::Changed))
        said +=
            u"\n\n" + lossyPictureText(in(thisPicture, language), situation.lossyFormat, language);
    return said;
}

std::u16string lossyPictureText(std::u16string_view subject, std::u16string_view format,
                                Language language)
{
    return text(lossyPictureWarning, language, {{u"subject", subject}, {u"format", format}});
}

} // namespace veltrin::messages
