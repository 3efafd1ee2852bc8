// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>

namespace veltrin::messages {

// Everything the window, veltrin-cli and the browser page say to the user, in
// the two languages they speak. Arguments are named ({path}, {count}) so that
// a translation may put them in any order.
struct Message
{
    std::string_view name;
    std::u16string_view chinese;
    std::u16string_view english;
};

enum class Language { Chinese, English };

struct Argument
{
    Argument(std::u16string_view name, std::u16string value) : name(name), value(std::move(value))
    {}
    Argument(std::u16string_view name, std::u16string_view value) : name(name), value(value) {}
    Argument(std::u16string_view name, const char16_t *value) : name(name), value(value) {}
    // Plain template constraints: moc reads this header and knows no concepts.
    template <typename Number,
              std::enable_if_t<std::is_integral_v<Number> && !std::is_same_v<Number, bool> &&
                                   !std::is_same_v<Number, char16_t>,
                               int> = 0>
    Argument(std::u16string_view name, Number number) : name(name), value(digits(number))
    {}

    std::u16string_view name;
    std::u16string value;

private:
    template <typename Number> static std::u16string digits(Number number)
    {
        const std::string ascii = std::to_string(number);
        return {ascii.begin(), ascii.end()};
    }
};

// `pattern` with each {name} replaced by its argument's value. Values are not
// read again, so a path holding "{count}" stays as it is; a name without an
// argument stays as written.
std::u16string format(std::u16string_view pattern, std::span<const Argument> arguments);
inline std::u16string format(std::u16string_view pattern,
                             std::initializer_list<Argument> arguments = {})
{
    return format(pattern, std::span<const Argument>(arguments.begin(), arguments.size()));
}

inline std::u16string_view in(const Message &message, Language language)
{
    return language == Language::Chinese ? message.chinese : message.english;
}

inline std::u16string text(const Message &message, Language language,
                           std::initializer_list<Argument> arguments = {})
{
    return format(in(message, language), arguments);
}

// The window and the page speak Chinese only.
inline std::u16string chinese(const Message &message,
                              std::initializer_list<Argument> arguments = {})
{
    return text(message, Language::Chinese, arguments);
}

#define VELTRIN_MESSAGE(name, chinese, english)                                                    \
    inline constexpr Message name{#name, chinese, english};
#define VELTRIN_VERBATIM(name, text) VELTRIN_MESSAGE(name, text, text)
#include "message_list.h"
#undef VELTRIN_VERBATIM
#undef VELTRIN_MESSAGE

// Every message, for the tool that writes the page's share.
std::span<const Message> catalogue();

} // namespace veltrin::messages
