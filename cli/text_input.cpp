// SPDX-License-Identifier: GPL-3.0-or-later
#include "text_input.h"

#include "console.h"
#include "phrases.h"

#include "code_page.h"

#include <QList>
#include <QStringDecoder>

#include <optional>
#include <utility>

namespace veltrin::cli {

namespace {

// Where a character stands in the text as the user wrote it, 1-based.
struct Place
{
    qsizetype position = 0;
    qsizetype line = 1;
    qsizetype column = 0;

    QString describe() const
    {
        return say(phrase::place, {{u"position", position}, {u"line", line}, {u"column", column}});
    }
};

// A character is stored only if it comes back as itself: a character the
// code page lacks gets the code of "?", which would turn into a real "?".
bool storable(char32_t ch, const CodePage &codePage)
{
    if (ch > 0xFFFF || QChar::isSurrogate(ch))
        return false;
    const auto unit = static_cast<char16_t>(ch);
    return codePage.character(codePage.code(unit)) == QChar(unit);
}

// The first character that is not stored, or of the replacement characters
// left by invalid UTF-8, and where it stands.
template <typename Wanted>
std::optional<std::pair<char32_t, Place>> findCharacter(const QString &text, Wanted wanted)
{
    Place place;
    char32_t previous = 0;
    for (const char32_t ch : text.toUcs4()) {
        ++place.position;
        const bool lineBreak = previous == U'\n' || (previous == U'\r' && ch != U'\n');
        place.line += lineBreak ? 1 : 0;
        place.column = lineBreak ? 1 : place.column + 1;
        if (wanted(ch))
            return std::pair{ch, place};
        previous = ch;
    }
    return std::nullopt;
}

QString withCrLf(const QString &text)
{
    QString result;
    result.reserve(text.size() + text.size() / 8);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar ch = text.at(i);
        if (ch == u'\r' || ch == u'\n') {
            result.append(u"\r\n");
            if (ch == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n')
                ++i;
        } else {
            result.append(ch);
        }
    }
    return result;
}

} // namespace

QString prepareText(const QByteArray &bytes, bool complete, const CodePage &codePage,
                    Storage storage)
{
    if (!complete)
        throw CliError(Usage, say(phrase::textFarTooLong));

    const QByteArray bom("\xEF\xBB\xBF");
    const QByteArrayView body = bytes.startsWith(bom) ? QByteArrayView(bytes).sliced(3) : bytes;
    // Stateless: a sequence cut off at the end is an error, not kept for more input.
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless |
                                                     QStringDecoder::Flag::ConvertInitialBom);
    const QString decoded = decoder(body);
    if (decoder.hasError()) {
        const auto bad = findCharacter(decoded, [](char32_t ch) { return ch == 0xFFFD; });
        throw CliError(
            Usage, say(phrase::notUtf8, {{u"place", bad ? bad->second.describe() : QString()}}));
    }

    const QString text = withCrLf(decoded);
    if (text.isEmpty())
        throw CliError(Usage, say(phrase::textEmpty));
    if (storage == Storage::Utf8Measured)
        return text;
    if (text.size() > longestText)
        throw CliError(Usage,
                       say(phrase::textTooLong, {{u"count", text.size()}, {u"fits", longestText}}));
    if (storage == Storage::Utf8)
        return text;
    if (const auto lacking =
            findCharacter(decoded, [&codePage](char32_t ch) { return !storable(ch, codePage); }))
        throw CliError(Usage,
                       say(phrase::unstorable, {{u"character", characterName(lacking->first)},
                                                {u"place", lacking->second.describe()}}));
    return text;
}

} // namespace veltrin::cli
