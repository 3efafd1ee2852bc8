// SPDX-License-Identifier: GPL-3.0-or-later
#include "code_page.h"

#include "runtime_error.h"

#include <array>
#include <cerrno>
#include <iconv.h>
#include <memory>
#include <stdexcept>

namespace veltrin {

std::vector<std::int16_t> CodePage::codes(QStringView text) const
{
    std::vector<std::int16_t> result;
    result.reserve(static_cast<std::size_t>(text.size()));
    for (const QChar ch : text)
        result.push_back(code(ch.unicode()));
    return result;
}

QChar CodePage::character(std::int32_t code) const
{
    if (code < -32768 || code > 65535)
        throw RuntimeError::invalidProcedureCall();
    if (code >= 0 && code <= 255)
        return decode(static_cast<std::uint16_t>(code), true);
    return decode(static_cast<std::uint16_t>(code & 0xFFFF), false);
}

namespace {

constexpr char16_t defaultChar = u'?';

class Iconv
{
public:
    Iconv(const char *to, const char *from) : cd_(iconv_open(to, from))
    {
        if (cd_ == reinterpret_cast<iconv_t>(-1))
            throw std::runtime_error("iconv cannot convert code page 936");
    }
    ~Iconv() { iconv_close(cd_); }
    Iconv(const Iconv &) = delete;
    Iconv &operator=(const Iconv &) = delete;

    // Converts one complete sequence; returns the bytes written, or -1 when
    // the input is no complete character of the source encoding.
    int convert(const char *in, std::size_t inLength, char *out, std::size_t outLength)
    {
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        char *inPtr = const_cast<char *>(in);
        char *outPtr = out;
        std::size_t inLeft = inLength;
        std::size_t outLeft = outLength;
        if (iconv(cd_, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1) ||
            inLeft != 0)
            return -1;
        return static_cast<int>(outLength - outLeft);
    }

private:
    iconv_t cd_;
};

// Both directions are tabulated once, from iconv's own answers, so that a
// whole text converts in one pass without a library call per character.
class Cp936 final : public CodePage
{
public:
    Cp936()
    {
        Iconv toAnsi("CP936", "UTF-16LE");
        Iconv fromAnsi("UTF-16LE", "CP936");

        for (std::uint32_t u = 0; u <= 0xFFFF; ++u) {
            std::int16_t c = defaultChar;
            const bool surrogate = u >= 0xD800 && u <= 0xDFFF;
            const char in[2] = {static_cast<char>(u & 0xFF), static_cast<char>(u >> 8)};
            unsigned char out[8];
            const int n =
                surrogate ? -1 : toAnsi.convert(in, 2, reinterpret_cast<char *>(out), sizeof out);
            if (n == 1)
                c = static_cast<std::int16_t>(out[0]);
            else if (n == 2)
                c = static_cast<std::int16_t>(out[0] * 256 + out[1] - 65536);
            toCode_[u] = c;
        }

        for (std::uint32_t b = 0; b <= 0xFF; ++b)
            single_[b] = decodeWith(fromAnsi, {static_cast<char>(b)}, 1);
        for (std::uint32_t w = 0; w <= 0xFFFF; ++w)
            double_[w] = decodeWith(fromAnsi, {static_cast<char>(w >> 8), static_cast<char>(w)}, 2);
    }

    std::int16_t code(char16_t ch) const override { return toCode_[ch]; }

protected:
    QChar decode(std::uint16_t bytes, bool singleByte) const override
    {
        return QChar(singleByte ? single_[bytes] : double_[bytes]);
    }

private:
    // A sequence that is no single complete character gives the default character.
    static char16_t decodeWith(Iconv &cv, std::array<char, 2> in, std::size_t length)
    {
        unsigned char out[8];
        const int n = cv.convert(in.data(), length, reinterpret_cast<char *>(out), sizeof out);
        if (n != 2)
            return defaultChar;
        return static_cast<char16_t>(out[0] | (out[1] << 8));
    }

    std::array<std::int16_t, 0x10000> toCode_{};
    std::array<char16_t, 0x100> single_{};
    std::array<char16_t, 0x10000> double_{};
};

} // namespace

const CodePage &codePage936()
{
    static const auto table = std::make_unique<Cp936>();
    return *table;
}

} // namespace veltrin
