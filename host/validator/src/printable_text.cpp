#include "printable_text.h"

#include <cstdio>

std::string printableText(const std::string& text, std::size_t limit)
{
    std::string out;
    out.reserve(text.size() < limit ? text.size() : limit);
    std::size_t used = 0;
    for (; used < text.size() && out.size() < limit; ++used) {
        const auto byte = static_cast<unsigned char>(text[used]);
        if (byte == '\n' || byte == '\t' || (byte >= 0x20 && byte < 0x7F)) {
            out += static_cast<char>(byte);
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", static_cast<unsigned>(byte));
            out += escaped;
        }
    }
    if (used < text.size()) {
        out += "... (" + std::to_string(text.size() - used) + " more bytes)";
    }
    return out;
}
