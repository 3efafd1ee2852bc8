// SPDX-License-Identifier: GPL-3.0-or-later
#include "utf8.h"

namespace veltrin::utf8 {

namespace {

bool isHigh(char16_t unit)
{
    return unit >= 0xD800 && unit <= 0xDBFF;
}

bool isLow(char16_t unit)
{
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

void append(std::string &out, char32_t ch)
{
    auto byte = [&out](char32_t b) { out.push_back(static_cast<char>(b)); };
    if (ch < 0x80) {
        byte(ch);
    } else if (ch < 0x800) {
        byte(0xC0 | ch >> 6);
        byte(0x80 | (ch & 0x3F));
    } else if (ch < 0x10000) {
        byte(0xE0 | ch >> 12);
        byte(0x80 | (ch >> 6 & 0x3F));
        byte(0x80 | (ch & 0x3F));
    } else {
        byte(0xF0 | ch >> 18);
        byte(0x80 | (ch >> 12 & 0x3F));
        byte(0x80 | (ch >> 6 & 0x3F));
        byte(0x80 | (ch & 0x3F));
    }
}

} // namespace

std::string encode(std::u16string_view text)
{
    std::string out;
    out.reserve(text.size() * 3);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i];
        if (isHigh(unit) && i + 1 < text.size() && isLow(text[i + 1])) {
            append(out, 0x10000 + ((char32_t(unit) - 0xD800) << 10) + (text[i + 1] - 0xDC00));
            ++i;
        } else if (isHigh(unit) || isLow(unit)) {
            out.push_back('?');
        } else {
            append(out, unit);
        }
    }
    return out;
}

std::optional<std::u16string> decode(std::span<const unsigned char> bytes)
{
    std::u16string out;
    out.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size();) {
        const unsigned char lead = bytes[i];
        int extra = 0;
        char32_t ch = 0;
        char32_t least = 0; // the smallest value this length may carry
        if (lead < 0x80) {
            ch = lead;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            extra = 1, ch = lead & 0x1F, least = 0x80;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            extra = 2, ch = lead & 0x0F, least = 0x800;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            extra = 3, ch = lead & 0x07, least = 0x10000;
        } else {
            return std::nullopt;
        }
        if (bytes.size() - i <= std::size_t(extra))
            return std::nullopt;
        for (int k = 1; k <= extra; ++k) {
            const unsigned char next = bytes[i + std::size_t(k)];
            if ((next & 0xC0) != 0x80)
                return std::nullopt;
            ch = ch << 6 | (next & 0x3F);
        }
        if (ch < least || ch > 0x10FFFF || (ch >= 0xD800 && ch <= 0xDFFF))
            return std::nullopt;
        if (ch >= 0x10000) {
            out.push_back(static_cast<char16_t>(0xD800 + ((ch - 0x10000) >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + ((ch - 0x10000) & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(ch));
        }
        i += std::size_t(extra) + 1;
    }
    return out;
}

} // namespace veltrin::utf8
