// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

// UTF-8 for the protected picture's text, exactly as the format wants it and
// the same on every system and in the browser, where no toolkit converts.
namespace veltrin::utf8 {

// A lone surrogate becomes "?", as Qt's encoder wrote it for every picture
// made so far.
std::string encode(std::u16string_view text);

// Strict: an overlong form, an encoded surrogate, a value past U+10FFFF or a
// sequence cut short gives nullopt. A leading U+FEFF is text, not a mark.
std::optional<std::u16string> decode(std::span<const unsigned char> bytes);

} // namespace veltrin::utf8
