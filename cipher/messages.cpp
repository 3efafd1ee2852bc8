// SPDX-License-Identifier: GPL-3.0-or-later
#include "messages.h"

namespace veltrin::messages {

std::u16string format(std::u16string_view pattern, std::span<const Argument> arguments)
{
    std::u16string out;
    out.reserve(pattern.size());
    std::size_t at = 0;
    while (at < pattern.size()) {
        const std::size_t open = pattern.find(u'{', at);
        const std::size_t close =
            open == std::u16string_view::npos ? open : pattern.find(u'}', open + 1);
        if (close == std::u16string_view::npos) {
            out += pattern.substr(at);
            break;
        }
        out += pattern.substr(at, open - at);
        const std::u16string_view name = pattern.substr(open + 1, close - open - 1);
        const Argument *found = nullptr;
        for (const Argument &argument : arguments) {
            if (argument.name == name)
                found = &argument;
        }
        if (found) {
            out += found->value;
            at = close + 1;
        } else {
            out += u'{';
            at = open + 1;
        }
    }
    return out;
}

std::span<const Message> catalogue()
{
    static constexpr Message all[] = {
#define VELTRIN_MESSAGE(name, chinese, english) name,
#define VELTRIN_VERBATIM(name, text) name,
#include "message_list.h"
#undef VELTRIN_VERBATIM
#undef VELTRIN_MESSAGE
    };
    return all;
}

} // namespace veltrin::messages
