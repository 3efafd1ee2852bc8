// SPDX-License-Identifier: GPL-3.0-or-later
#include "qt_messages.h"

#include <vector>

namespace veltrin {

QString sayIn(messages::Language language, const messages::Message &message,
              std::initializer_list<Named> arguments)
{
    std::vector<messages::Argument> named;
    named.reserve(arguments.size());
    for (const Named &argument : arguments)
        named.emplace_back(argument.name, argument.value.toStdU16String());
    const std::u16string said = messages::format(messages::in(message, language), named);
    // The code units as they are, as fromU16 keeps them.
    return QString(reinterpret_cast<const QChar *>(said.data()),
                   static_cast<qsizetype>(said.size()));
}

} // namespace veltrin
