#include "quoted_text.h"

#include <cstring>

namespace panel_host {

namespace {

bool isHexDigit(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
}

int hexValue(char c)
{
    return c <= '9' ? c - '0' : c - 'a' + 10;
}

}  // namespace

std::string writtenQuotedText(const std::optional<std::string>& text, const char* alsoEscaped)
{
    if (!text) {
        return "null";
    }
    static const char digits[] = "0123456789abcdef";
    std::string out = "\"";
    for (const char c : *text) {
        const auto b = static_cast<unsigned char>(c);
        if (c == '\\' || c == '"') {
            out += {'\\', c};
        } else if (b < 0x20 || b > 0x7E || (c != '\0' && std::strchr(alsoEscaped, c) != nullptr)) {
            out += {'\\', 'x', digits[b >> 4], digits[b & 15]};
        } else {
            out += c;
        }
    }
    return out + "\"";
}

bool readQuotedText(const std::string& line, std::size_t& at, bool nullAllowed, const char* what,
                    std::optional<std::string>& text, std::size_t& problemAt, std::string& problem)
{
    const auto fail = [&](std::size_t where, std::string reason) {
        problemAt = where;
        problem = std::move(reason);
        return false;
    };
    if (nullAllowed && line.compare(at, 4, "null") == 0 && (at + 4 == line.size() || line[at + 4] == ' ')) {
        at += 4;
        text.reset();
        return true;
    }
    if (at >= line.size() || line[at] != '"') {
        return fail(at,
                    std::string("expected ") + what + (nullAllowed ? ": null or" : ":") + " a text in double quotes");
    }
    std::string decoded;
    for (std::size_t i = at + 1; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '"') {
            at = i + 1;
            text = std::move(decoded);
            return true;
        }
        if (c != '\\') {
            decoded += c;
            continue;
        }
        const char next = i + 1 < line.size() ? line[i + 1] : '\0';
        if (next == '\\' || next == '"') {
            decoded += next;
            ++i;
        } else if (next == 'x' && i + 3 < line.size() && isHexDigit(line[i + 2]) && isHexDigit(line[i + 3])) {
            decoded += static_cast<char>(hexValue(line[i + 2]) * 16 + hexValue(line[i + 3]));
            i += 3;
        } else {
            return fail(i, "a backslash starts \\\\, \\\" or \\x and two lowercase hex digits");
        }
    }
    return fail(line.size(), std::string(what) + " has no closing double quote");
}

}  // namespace panel_host
