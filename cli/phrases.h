// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "qt_messages.h"

#include <QString>

#include <initializer_list>

namespace veltrin::cli {

// The command line's words are the catalogue's, in English or Chinese.
using Phrase = messages::Message;
namespace phrase = veltrin::messages;

// Whether the user's locale asks for Chinese, read the way gettext reads it:
// LANGUAGE unless the locale is C, else LC_ALL, LC_MESSAGES, LANG, else the
// system's locale.
bool chineseLocale();
void setChinese(bool chinese);
bool chinese();

// The phrase in the language chosen with setChinese, its arguments filled in.
QString say(const Phrase &said, std::initializer_list<Named> arguments = {});

} // namespace veltrin::cli
