#include "fuzz_text.h"

#include <cstdint>
#include <cstring>

bool isReadableTextIn(const char* p, const char* sharedEmpty, const char* buffer, std::size_t length)
{
    if (p == sharedEmpty) {
        return true;
    }
    if (buffer == nullptr || p == nullptr) {
        return false;
    }
    const auto address = reinterpret_cast<std::uintptr_t>(p);
    const auto first = reinterpret_cast<std::uintptr_t>(buffer);
    if (address < first || address > first + length) {
        return false;
    }
    const std::size_t offset = address - first;
    return std::memchr(buffer + offset, '\0', length + 1 - offset) != nullptr;
}

std::string printable(const std::string& text)
{
    static const char hex[] = "0123456789abcdef";
    std::string out;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 32 || byte > 126 || byte == '\\') {
            out += "\\x";
            out += hex[byte >> 4];
            out += hex[byte & 15];
        } else {
            out += c;
        }
    }
    return out;
}
