// SPDX-License-Identifier: GPL-3.0-or-later
#include "code_page_936_iconv.h"

#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iconv.h>
#include <stdexcept>
#include <string>

namespace veltrin {

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

// A sequence that is no single complete character gives the default character.
char16_t decodeWith(Iconv &cv, std::array<char, 2> in, std::size_t length)
{
    unsigned char out[8];
    const int n = cv.convert(in.data(), length, reinterpret_cast<char *>(out), sizeof out);
    if (n != 2)
        return defaultChar;
    return static_cast<char16_t>(out[0] | (out[1] << 8));
}

template <typename T, std::size_t N>
void writeTable(std::ostream &out, const char *type, const char *name,
                const std::array<T, N> &table)
{
    out << "constinit const std::array<" << type << ", " << N << "> " << name << "{{\n";
    for (std::size_t i = 0; i < N; ++i)
        out << static_cast<long>(table[i]) << (i + 1 == N ? "\n" : i % 16 == 15 ? ",\n" : ",");
    out << "}};\n\n";
}

} // namespace

std::unique_ptr<Cp936IconvTables> tabulateCp936WithIconv()
{
    Iconv toAnsi("CP936", "UTF-16LE");
    Iconv fromAnsi("UTF-16LE", "CP936");
    auto tables = std::make_unique<Cp936IconvTables>();

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
        tables->codes[u] = c;
    }

    for (std::uint32_t b = 0; b <= 0xFF; ++b)
        tables->singleBytes[b] = decodeWith(fromAnsi, {static_cast<char>(b)}, 1);
    for (std::uint32_t w = 0; w <= 0xFFFF; ++w)
        tables->doubleBytes[w] =
            decodeWith(fromAnsi, {static_cast<char>(w >> 8), static_cast<char>(w)}, 2);
    return tables;
}

int writeCp936TablesSource(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT.cpp\n", argc > 0 ? argv[0] : "make_code_page_936");
        return 2;
    }
    try {
        const auto tables = tabulateCp936WithIconv();
        // Written beside the output and renamed, so that a failed run leaves
        // no half table for the next build to take as done.
        const std::filesystem::path path(argv[1]);
        std::filesystem::path partial = path;
        partial += ".part";
        {
            std::ofstream out(partial, std::ios::binary | std::ios::trunc);
            out << "// Written by make_code_page_936 from iconv's answers; do not edit.\n"
                   "#include \"code_page_936_tables.h\"\n\n"
                   "namespace veltrin::cp936 {\n\n";
            writeTable(out, "std::int16_t", "codes", tables->codes);
            writeTable(out, "char16_t", "singleBytes", tables->singleBytes);
            writeTable(out, "char16_t", "doubleBytes", tables->doubleBytes);
            out << "} // namespace veltrin::cp936\n";
            out.close();
            if (!out)
                throw std::runtime_error("cannot write " + partial.string());
        }
        std::filesystem::rename(partial, path);
    } catch (const std::exception &error) {
        std::fprintf(stderr, "make_code_page_936: %s\n", error.what());
        return 1;
    }
    return 0;
}

} // namespace veltrin
