// SPDX-License-Identifier: GPL-3.0-or-later
// Writes the catalogue as JSON, {"name": {"chinese": ..., "english": ...}},
// for the browser page's build, which takes the sentences its own script
// says from it.
//   veltrin_write_messages OUT.json
#include "messages.h"

#include <cstdio>
#include <fstream>
#include <string>

namespace {

std::string quoted(std::u16string_view text)
{
    std::string out = "\"";
    for (const char16_t unit : text) {
        if (unit == u'"' || unit == u'\\') {
            out += '\\';
            out += static_cast<char>(unit);
        } else if (unit >= 0x20 && unit < 0x7F) {
            out += static_cast<char>(unit);
        } else {
            // Every other unit escaped: the file is ASCII, and a surrogate
            // pair stays the pair JSON reads back.
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(unit));
            out += escaped;
        }
    }
    return out + '"';
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fputs("usage: veltrin_write_messages OUT.json\n", stderr);
        return 2;
    }
    std::string json = "{";
    const char *separator = "\n";
    for (const veltrin::messages::Message &message : veltrin::messages::catalogue()) {
        json += separator;
        json += " \"" + std::string(message.name) + "\": {\"chinese\": " + quoted(message.chinese) +
                ", \"english\": " + quoted(message.english) + "}";
        separator = ",\n";
    }
    json += "\n}\n";
    std::ofstream out(argv[1], std::ios::binary);
    out << json;
    return out.flush() ? 0 : 1;
}
