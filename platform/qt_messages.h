// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "messages.h"

#include <QString>

#include <initializer_list>
#include <string_view>
#include <type_traits>

namespace veltrin {

// A message of the catalogue with its named arguments, as Qt holds them.
struct Named
{
    Named(std::u16string_view name, const QString &value) : name(name), value(value) {}
    template <
        typename Number,
        std::enable_if_t<std::is_integral_v<Number> && !std::is_same_v<Number, bool>, int> = 0>
    Named(std::u16string_view name, Number number) : name(name), value(QString::number(number))
    {}
    std::u16string_view name;
    QString value;
};
QString sayIn(messages::Language language, const messages::Message &message,
              std::initializer_list<Named> arguments = {});
// In Chinese, the window's only language.
inline QString say(const messages::Message &message, std::initializer_list<Named> arguments = {})
{
    return sayIn(messages::Language::Chinese, message, arguments);
}

} // namespace veltrin
