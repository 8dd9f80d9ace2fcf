#include "json_reading.h"

#include <fstream>
#include <sstream>

std::optional<nlohmann::json> parseJsonText(const std::string& text, std::string& error)
{
    nlohmann::json parsed = nlohmann::json::parse(text, nullptr, false);
    if (parsed.is_discarded()) {
        error = "not valid JSON";
        return std::nullopt;
    }
    return parsed;
}

std::optional<std::string> readTextFile(const std::string& path, std::string& error)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot open " + path;
        return std::nullopt;
    }
    std::ostringstream content;
    content << in.rdbuf();
    if (in.bad()) {
        error = "cannot read " + path;
        return std::nullopt;
    }
    return content.str();
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

bool holdsApostrophe(const std::string& text)
{
    return text.find('\'') != std::string::npos;
}
