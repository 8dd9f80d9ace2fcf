#include "host_text.h"

#include "trace_format.h"

#include <array>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace panel_host {

namespace {

// Windows-1252 from 0x80 to 0x9F; the five undefined bytes are their C1
// control characters.
constexpr std::array<char32_t, 32> windows1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

constexpr char32_t rawByteBase = 0xF700;

bool isRawByteCharacter(char32_t c)
{
    return c >= rawByteBase + 0x80 && c <= rawByteBase + 0xFF;
}

void appendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// One well-formed UTF-8 character at `at`, or a lone byte (wellFormed
// false, length 1): no overlong forms, no surrogates, nothing past U+10FFFF.
struct utf8Unit {
    char32_t c = 0;
    std::size_t length = 1;
    bool wellFormed = false;
};

utf8Unit nextUtf8(const std::string& text, std::size_t at)
{
    const auto byte = [&text](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    if (lead < 0x80) {
        return {lead, 1, true};
    }
    std::size_t length = 0;
    char32_t c = 0;
    char32_t least = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        c = lead & 0x1F;
        least = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        c = lead & 0x0F;
        least = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        c = lead & 0x07;
        least = 0x10000;
    } else {
        return {lead, 1, false};
    }
    if (at + length > text.size()) {
        return {lead, 1, false};
    }
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80) {
            return {lead, 1, false};
        }
        c = (c << 6) | (byte(at + i) & 0x3F);
    }
    if (c < least || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
        return {lead, 1, false};
    }
    return {c, length, true};
}

// One character of host bytes at `at` in the code page: its code point and
// how many bytes it takes, or a raw byte (a byte without a character).
struct hostUnit {
    char32_t c = 0;
    std::size_t length = 1;
    bool raw = false;
};

hostUnit nextHostUnit(const std::string& bytes, std::size_t at, codePage page)
{
    const auto byte = static_cast<unsigned char>(bytes[at]);
    if (page == codePage::windows1252) {
        return {byte < 0x80 || byte >= 0xA0 ? char32_t(byte) : windows1252High[byte - 0x80], 1, false};
    }
    const utf8Unit unit = nextUtf8(bytes, at);
    if (!unit.wellFormed || isRawByteCharacter(unit.c)) {
        return {byte, 1, true};
    }
    return {unit.c, unit.length, false};
}

// Characters a terminal or a page could take for something else than a
// character: control characters, line and paragraph separators, the
// direction overrides, the byte order mark.
bool isInvisible(char32_t c)
{
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) || (c >= 0x2028 && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069) ||
           c == 0xFEFF;
}

// The quoted form is the trace format's (trace_format.h).
constexpr char quoteMark = traceQuoting::quote;
constexpr char escapeMark = traceQuoting::escape;

void appendHexEscape(std::string& out, unsigned char byte)
{
    out +=
        {escapeMark, traceQuoting::byteEscape, traceQuoting::hexDigits[byte >> 4], traceQuoting::hexDigits[byte & 15]};
}

// `bytes` escaped: each character the code page decodes and that is seen as
// itself (without a code page: printable ASCII) as it is, every other byte
// and every byte of `alsoEscaped` \xNN; with `quoting`, backslash and
// double quote too.
void appendEscaped(std::string& out, const std::string& bytes, const std::optional<codePage>& page, bool quoting,
                   const char* alsoEscaped = "")
{
    for (std::size_t at = 0; at < bytes.size();) {
        const auto byte = static_cast<unsigned char>(bytes[at]);
        hostUnit unit{byte, 1, byte >= 0x80};
        if (page) {
            unit = nextHostUnit(bytes, at, *page);
        }
        const bool alsoEscapedHere =
            unit.c != 0 && unit.c < 0x80 && std::strchr(alsoEscaped, static_cast<int>(unit.c)) != nullptr;
        if (quoting && (unit.c == char32_t(escapeMark) || unit.c == char32_t(quoteMark))) {
            out += escapeMark;
            out += static_cast<char>(unit.c);
        } else if (unit.raw || isInvisible(unit.c) || alsoEscapedHere) {
            for (std::size_t i = 0; i < unit.length; ++i) {
                appendHexEscape(out, static_cast<unsigned char>(bytes[at + i]));
            }
        } else {
            appendUtf8(out, unit.c);
        }
        at += unit.length;
    }
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

std::string codePointName(char32_t c)
{
    char text[16];
    std::snprintf(text, sizeof text, "U+%04X", static_cast<unsigned>(c));
    return text;
}

// Whether `bytes` starts with the word `word`.
bool startsWithWord(const std::string& bytes, const char* word)
{
    const std::string first = bytes.substr(0, bytes.find(' '));
    return first == word;
}

// Bare in a scenario line: printable characters (without a code page,
// printable ASCII) that no rule of the line reads otherwise: not the word
// null, no word that makes another form of a line after its keyword
// ("expect nothing", "expect result ..."), no '#' after a blank.
bool holdsBare(const std::string& bytes, bool blanksInside, const std::optional<codePage>& page)
{
    if (bytes.empty() || bytes == "null" || startsWithWord(bytes, "nothing") || startsWithWord(bytes, "result") ||
        bytes.front() == quoteMark || bytes.front() == '#' || bytes.front() == ' ' || bytes.back() == ' ') {
        return false;
    }
    for (std::size_t at = 0; at < bytes.size();) {
        const auto byte = static_cast<unsigned char>(bytes[at]);
        const hostUnit unit = page ? nextHostUnit(bytes, at, *page) : hostUnit{byte, 1, byte >= 0x80};
        if (unit.raw || isInvisible(unit.c) || (unit.c == ' ' && !blanksInside) ||
            (unit.c == '#' && bytes[at - 1] == ' ')) {
            return false;
        }
        at += unit.length;
    }
    return true;
}

}  // namespace

const char* codePageName(codePage page)
{
    return page == codePage::utf8 ? "utf-8" : "windows-1252";
}

std::optional<codePage> codePageNamed(const std::string& name)
{
    std::string lower;
    for (char c : name) {
        lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    for (codePage page : {codePage::windows1252, codePage::utf8}) {
        if (lower == codePageName(page)) {
            return page;
        }
    }
    return std::nullopt;
}

std::string rawByteText(unsigned char byte)
{
    std::string text;
    appendUtf8(text, byte < 0x80 ? char32_t(byte) : rawByteBase + byte);
    return text;
}

std::string hostBytesToText(const std::string& bytes, codePage page)
{
    std::string text;
    for (std::size_t at = 0; at < bytes.size();) {
        const hostUnit unit = nextHostUnit(bytes, at, page);
        if (unit.raw) {
            text += rawByteText(static_cast<unsigned char>(bytes[at]));
        } else if (page == codePage::utf8) {
            text.append(bytes, at, unit.length);
        } else {
            appendUtf8(text, unit.c);
        }
        at += unit.length;
    }
    return text;
}

bool textToHostBytes(const std::string& text, codePage page, std::string& bytes, std::string& problem)
{
    bytes.clear();
    for (std::size_t at = 0; at < text.size();) {
        const utf8Unit unit = nextUtf8(text, at);
        const std::string spelled = text.substr(at, unit.length);
        at += unit.length;
        if (!unit.wellFormed) {
            bytes += spelled;
        } else if (unit.c == 0) {
            problem = "a host text cannot hold NUL";
            return false;
        } else if (isRawByteCharacter(unit.c)) {
            bytes += static_cast<char>(unit.c - rawByteBase);
        } else if (unit.c < 0x80 || page == codePage::utf8) {
            bytes += spelled;
        } else if (unit.c >= 0xA0 && unit.c <= 0xFF) {
            bytes += static_cast<char>(unit.c);
        } else {
            std::size_t found = 0;
            while (found < windows1252High.size() && windows1252High[found] != unit.c) {
                ++found;
            }
            if (found == windows1252High.size()) {
                problem = "\"" + shownBytes(spelled, codePage::utf8) + "\" (" + codePointName(unit.c) + ") is not in " +
                          codePageName(page);
                return false;
            }
            bytes += static_cast<char>(0x80 + found);
        }
    }
    return true;
}

std::string quotedText(const std::string& bytes, const std::optional<codePage>& page, const char* alsoEscaped)
{
    std::string out(1, quoteMark);
    appendEscaped(out, bytes, page, true, alsoEscaped);
    return out + quoteMark;
}

std::string quotedTextOrNull(const std::optional<std::string>& bytes, const std::optional<codePage>& page,
                             const char* alsoEscaped)
{
    return bytes ? quotedText(*bytes, page, alsoEscaped) : "null";
}

std::string shownBytes(const std::string& bytes, const std::optional<codePage>& page)
{
    std::string out;
    appendEscaped(out, bytes, page, false);
    return out;
}

std::string shownField(const std::optional<std::string>& bytes, const std::optional<codePage>& page)
{
    if (!bytes) {
        return "null";
    }
    for (const char c : *bytes) {
        if (c < 0x20 || c > 0x7E || c == '\'') {
            return quotedText(*bytes, page);
        }
    }
    return "'" + *bytes + "'";
}

namespace {

// The one reader of the quoted form: characters are copied, \\ and \" are
// the backslash and the double quote, and `appendByte` writes the byte of
// each \xNN.
template <typename byteWriter>
bool readQuoted(const std::string& line, std::size_t& at, std::string& out, std::string& problem, byteWriter appendByte)
{
    const std::size_t opening = at;
    out.clear();
    if (at >= line.size() || line[at] != quoteMark) {
        problem = "expected a text in double quotes";
        return false;
    }
    for (std::size_t i = at + 1; i < line.size(); ++i) {
        if (line[i] == quoteMark) {
            at = i + 1;
            return true;
        }
        if (line[i] != escapeMark) {
            out += line[i];
            continue;
        }
        const char escaped = i + 1 < line.size() ? line[i + 1] : '\0';
        if (escaped == escapeMark || escaped == quoteMark) {
            out += escaped;
            ++i;
            continue;
        }
        const int high = escaped == traceQuoting::byteEscape && i + 2 < line.size() ? hexDigit(line[i + 2]) : -1;
        const int low = high >= 0 && i + 3 < line.size() ? hexDigit(line[i + 3]) : -1;
        if (low < 0) {
            at = i;
            problem = "in a quoted text, \\\\, \\\" and \\xNN (two hex digits) are the only escapes";
            return false;
        }
        if (high == 0 && low == 0) {
            at = i;
            problem = "a host text cannot hold NUL (\\x00)";
            return false;
        }
        appendByte(out, static_cast<unsigned char>(high * 16 + low));
        i += 3;
    }
    at = opening;
    problem = "the quoted text is not closed with a double quote";
    return false;
}

}  // namespace

bool readQuotedText(const std::string& line, std::size_t& at, std::string& text, std::string& problem)
{
    return readQuoted(line, at, text, problem, [](std::string& out, unsigned char byte) { out += rawByteText(byte); });
}

bool readQuotedBytes(const std::string& line, std::size_t& at, std::string& bytes, std::string& problem)
{
    return readQuoted(line, at, bytes, problem,
                      [](std::string& out, unsigned char byte) { out += static_cast<char>(byte); });
}

bool readQuotedBytesOrNull(const std::string& line, std::size_t& at, const char* what,
                           std::optional<std::string>& bytes, std::string& problem)
{
    if (line.compare(at, 4, "null") == 0 && (at + 4 == line.size() || line[at + 4] == ' ')) {
        at += 4;
        bytes.reset();
        return true;
    }
    if (at >= line.size() || line[at] != quoteMark) {
        problem = std::string("expected ") + what + ": null or a text in double quotes";
        return false;
    }
    std::string read;
    if (!readQuotedBytes(line, at, read, problem)) {
        problem = std::string(what) + ": " + problem;
        return false;
    }
    bytes = std::move(read);
    return true;
}

std::string scenarioText(const std::string& bytes, const std::optional<codePage>& page)
{
    return holdsBare(bytes, true, page) ? hostBytesToText(bytes, page.value_or(codePage::utf8))
                                        : quotedText(bytes, page);
}

std::string scenarioWord(const std::string& bytes, const std::optional<codePage>& page)
{
    return holdsBare(bytes, false, page) ? hostBytesToText(bytes, page.value_or(codePage::utf8))
                                         : quotedText(bytes, page);
}

std::string scenarioWordOfText(const std::string& text)
{
    if (holdsBare(text, false, codePage::utf8)) {
        return text;
    }
    std::string out(1, quoteMark);
    for (std::size_t at = 0; at < text.size();) {
        const utf8Unit unit = nextUtf8(text, at);
        if (!unit.wellFormed) {
            appendHexEscape(out, static_cast<unsigned char>(text[at]));
        } else if (isRawByteCharacter(unit.c)) {
            appendHexEscape(out, static_cast<unsigned char>(unit.c - rawByteBase));
        } else if (unit.c == char32_t(escapeMark) || unit.c == char32_t(quoteMark)) {
            out += escapeMark;
            out += static_cast<char>(unit.c);
        } else if (unit.c < 0x20 || unit.c == 0x7F) {
            appendHexEscape(out, static_cast<unsigned char>(unit.c));
        } else {
            out.append(text, at, unit.length);
        }
        at += unit.length;
    }
    return out + quoteMark;
}

std::string scenarioTextOrNull(const std::optional<std::string>& bytes, const std::optional<codePage>& page)
{
    return bytes ? scenarioText(*bytes, page) : "null";
}

}  // namespace panel_host
