#include "json_reading.h"

#include "input_rules.h"

namespace panel_host {

namespace {

// The first byte JSON text may not hold outside its strings' escapes:
// control characters other than the blanks tab, line feed and carriage
// return (DEL is a character JSON takes as it is).
std::size_t findForbiddenByte(const std::string& text)
{
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte < 0x20 && byte != '\t' && byte != '\n' && byte != '\r') {
            return i;
        }
    }
    return std::string::npos;
}

std::string at(const std::string& text, std::size_t offset)
{
    const textPosition position = positionOf(text, offset);
    return "line " + std::to_string(position.line) + ", column " + std::to_string(position.column) + ": ";
}

}  // namespace

std::optional<nlohmann::json> parseJsonText(const std::string& text, std::string& error)
{
    if (const std::size_t bad = findForbiddenByte(text); bad != std::string::npos) {
        error = at(text, bad) + "not valid JSON: " + controlCharacterName(text[bad]) + " in the text";
        return std::nullopt;
    }
    try {
        return nlohmann::json::parse(text);
    } catch (const nlohmann::json::parse_error& e) {
        std::string reason = e.what();
        const std::size_t colon = reason.find(": ");
        reason = colon == std::string::npos ? std::string() : reason.substr(colon + 2);
        error = at(text, e.byte > 0 ? e.byte - 1 : 0) + "not valid JSON" +
                (reason.empty() ? std::string() : ": " + excerpt(reason, 160));
    } catch (const std::exception& e) {
        error = std::string("not valid JSON: ") + excerpt(e.what(), 160);
    }
    return std::nullopt;
}

std::optional<std::string> readTextFile(const std::string& path, std::string& error, const char* what)
{
    inputFile file = readInputFile(path, what);
    if (!file.ok) {
        error = file.error;
        return std::nullopt;
    }
    return std::move(file.text);
}

std::optional<std::string> jsonScalarText(const nlohmann::json& value)
{
    if (value.is_string()) {
        return value.get<std::string>();
    }
    if (value.is_boolean()) {
        return value.get<bool>() ? "1" : "0";
    }
    if (value.is_number_integer()) {
        return std::to_string(value.get<long long>());
    }
    return std::nullopt;
}

bool readCodePage(const nlohmann::json& root, codePage& page, std::string& error)
{
    page = codePage::windows1252;
    const auto named = root.find("codePage");
    if (named == root.end()) {
        return true;
    }
    const std::optional<codePage> found = named->is_string() ? codePageNamed(named->get<std::string>()) : std::nullopt;
    if (!found) {
        error = "\"codePage\" must be \"windows-1252\" or \"utf-8\"";
        return false;
    }
    page = *found;
    return true;
}

std::string hostTextProblem(const nlohmann::json& value, codePage page, hostTextUse use, std::string& bytes)
{
    if (!value.is_string()) {
        return "must be a text";
    }
    const std::string& text = value.get_ref<const std::string&>();
    const std::string quoted = "\"" + shownBytes(text, codePage::utf8) + "\"";
    if (text.find('\0') != std::string::npos) {
        return quoted + " holds NUL, where a host text ends";
    }
    if (use == hostTextUse::quotedField && text.find('\'') != std::string::npos) {
        return quoted + " holds an apostrophe, which a quoted field of a command cannot carry";
    }
    std::string problem;
    if (!textToHostBytes(text, page, bytes, problem)) {
        return quoted + ": " + problem + " (say \"codePage\": \"utf-8\" for any character)";
    }
    return {};
}

}  // namespace panel_host
