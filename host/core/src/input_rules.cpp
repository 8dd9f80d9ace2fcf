#include "input_rules.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace panel_host {

namespace fs = std::filesystem;

textPosition positionOf(const std::string& text, std::size_t offset)
{
    textPosition position;
    const std::size_t end = offset < text.size() ? offset : text.size();
    for (std::size_t i = 0; i < end; ++i) {
        if (text[i] == '\n') {
            ++position.line;
            position.column = 1;
        } else {
            ++position.column;
        }
    }
    return position;
}

std::string placeName(const std::string& path, const textPosition& position)
{
    return shownPath(path) + ":" + std::to_string(position.line) + ":" + std::to_string(position.column);
}

std::string fileProblem(const std::string& path, const char* what, std::uint64_t limit)
{
    const std::string named = std::string(what) + " " + shownPath(path);
    if (path.empty()) {
        return std::string("no ") + what + " named";
    }
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    if (status.type() == fs::file_type::not_found) {
        return named + ": no such file";
    }
    if (error) {
        return named + ": cannot be read: " + error.message();
    }
    switch (status.type()) {
    case fs::file_type::regular:
        break;
    case fs::file_type::directory:
        return named + ": is a folder, not a file";
    case fs::file_type::fifo:
        return named + ": is a FIFO (named pipe), not a regular file";
    case fs::file_type::block:
    case fs::file_type::character:
        return named + ": is a device, not a regular file";
    case fs::file_type::socket:
        return named + ": is a socket, not a regular file";
    default:
        return named + ": is not a regular file";
    }
    const std::uintmax_t size = fs::file_size(path, error);
    if (error) {
        return named + ": cannot be read: " + error.message();
    }
    if (size > limit) {
        return named + ": is " + std::to_string(size) + " bytes; files of more than " +
               std::to_string(limit / (1024 * 1024)) + " MB are refused";
    }
    return {};
}

namespace {

std::string cannotBeOpened(const std::string& path, const char* what)
{
    return std::string(what) + " " + shownPath(path) + ": cannot be opened";
}

std::string cannotBeRead(const std::string& path, const char* what)
{
    return std::string(what) + " " + shownPath(path) + ": cannot be read";
}

std::string grewPast(const std::string& path, const char* what, std::uint64_t limit)
{
    return std::string(what) + " " + shownPath(path) + ": grew past " + std::to_string(limit / (1024 * 1024)) +
           " MB while it was read";
}

}  // namespace

inputFile readInputFile(const std::string& path, const char* what, std::uint64_t limit)
{
    inputFile file;
    file.error = fileProblem(path, what, limit);
    if (!file.error.empty()) {
        return file;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        file.error = cannotBeOpened(path, what);
        return file;
    }
    char buffer[65536];
    while (in) {
        in.read(buffer, sizeof buffer);
        file.text.append(buffer, static_cast<std::size_t>(in.gcount()));
        if (file.text.size() > limit) {
            file.text.clear();
            file.error = grewPast(path, what, limit);
            return file;
        }
    }
    if (in.bad()) {
        file.text.clear();
        file.error = cannotBeRead(path, what);
        return file;
    }
    file.ok = true;
    file.error.clear();
    return file;
}

inputFileLines::inputFileLines(const std::string& path, const char* what, std::uint64_t limit)
    : path_(path),
      what_(what),
      limit_(limit),
      error_(fileProblem(path, what, limit)),
      reader_(lineReader::ofStream(in_, static_cast<std::size_t>(limit)))
{
    if (error_.empty()) {
        in_.open(path, std::ios::binary);
        if (!in_) {
            error_ = cannotBeOpened(path, what);
        }
    }
}

bool inputFileLines::next(std::string& line)
{
    if (!error_.empty() || reader_.read(-1, line) != lineReader::status::line) {
        if (error_.empty() && in_.bad()) {
            error_ = cannotBeRead(path_, what_);
        }
        return false;
    }
    if (reader_.bytesRead() > limit_) {
        error_ = grewPast(path_, what_, limit_);
        return false;
    }
    return true;
}

std::size_t findControlCharacter(const std::string& text, bool tabAllowed)
{
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if ((byte < 0x20 || byte == 0x7F) && !(tabAllowed && byte == '\t')) {
            return i;
        }
    }
    return std::string::npos;
}

std::string controlCharacterName(char c)
{
    switch (c) {
    case '\0':
        return "NUL";
    case '\t':
        return "a tab";
    case '\n':
        return "a line end";
    case '\r':
        return "a carriage return";
    default:
        break;
    }
    char text[32];
    std::snprintf(text, sizeof text, "control character 0x%02X", static_cast<unsigned>(static_cast<unsigned char>(c)));
    return text;
}

std::string escapedPrefix(const std::string& text, std::size_t limit, bool keepLineBreaks, std::size_t& used)
{
    std::string out;
    out.reserve(text.size() < limit ? text.size() : limit);
    for (used = 0; used < text.size() && out.size() < limit; ++used) {
        const auto byte = static_cast<unsigned char>(text[used]);
        const bool lineBreak = byte == '\n' || byte == '\t';
        if ((byte >= 0x20 && byte < 0x7F) || (keepLineBreaks && lineBreak)) {
            out += static_cast<char>(byte);
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02x", static_cast<unsigned>(byte));
            out += escaped;
        }
    }
    return out;
}

std::string excerpt(const std::string& text, std::size_t limit)
{
    std::size_t used = 0;
    std::string out = escapedPrefix(text, limit, false, used);
    if (used < text.size()) {
        out += "...";
    }
    return out;
}

std::string shownText(const std::string& text)
{
    std::size_t used = 0;
    return escapedPrefix(text, std::string::npos, false, used);
}

std::string shownPath(const std::string& path)
{
    constexpr std::size_t longest = 120;
    constexpr std::size_t kept = 56;
    const std::string shown = shownText(path);
    if (shown.size() <= longest) {
        return shown;
    }
    return shown.substr(0, kept) + "..." + shown.substr(shown.size() - kept);
}

namespace {

std::string rangeText(std::int64_t min, std::int64_t max)
{
    return "a whole number from " + std::to_string(min) + " to " + std::to_string(max);
}

std::string numberText(double value)
{
    char text[64];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

}  // namespace

bool readWholeNumber(const std::string& text, std::int64_t min, std::int64_t max, std::int64_t& value,
                     std::string& problem)
{
    const std::size_t digits = !text.empty() && text[0] == '-' ? 1 : 0;
    bool plain = text.size() > digits;
    for (std::size_t i = digits; i < text.size(); ++i) {
        plain = plain && text[i] >= '0' && text[i] <= '9';
    }
    if (!plain) {
        problem = "\"" + excerpt(text) + "\" is not " + rangeText(min, max);
        return false;
    }
    errno = 0;
    char* end = nullptr;
    const long long parsed = std::strtoll(text.c_str(), &end, 10);
    if (errno == ERANGE || parsed < min || parsed > max) {
        problem = excerpt(text) + " is out of range: expected " + rangeText(min, max);
        return false;
    }
    value = parsed;
    return true;
}

bool readDecimal(const std::string& text, double min, double max, double& value, std::string& problem)
{
    const std::string range = "a number from " + numberText(min) + " to " + numberText(max);
    bool plain = !text.empty();
    bool seenDigit = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        seenDigit = seenDigit || (c >= '0' && c <= '9');
        plain = plain && ((c >= '0' && c <= '9') || c == '.' || (i == 0 && (c == '-' || c == '+')));
    }
    if (!plain || !seenDigit) {
        problem = "\"" + excerpt(text) + "\" is not " + range;
        return false;
    }
    errno = 0;
    char* end = nullptr;
    const double parsed = std::strtod(text.c_str(), &end);
    if (end == nullptr || *end != '\0') {
        problem = "\"" + excerpt(text) + "\" is not " + range;
        return false;
    }
    if (!std::isfinite(parsed) || parsed < min || parsed > max) {
        problem = excerpt(text) + " is out of range: expected " + range;
        return false;
    }
    value = parsed;
    return true;
}

}  // namespace panel_host
