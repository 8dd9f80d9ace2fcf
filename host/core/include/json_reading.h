#pragma once

#include <nlohmann/json.hpp>

#include <optional>
#include <string>

namespace panel_host {

// Small helpers shared by the host's JSON readers; none of them throws.

// Parses text; std::nullopt with `error` set when it is not JSON: "line L,
// column C: not valid JSON: reason". Control characters other than blanks
// are refused anywhere in the text.
std::optional<nlohmann::json> parseJsonText(const std::string& text, std::string& error);
// Reads a whole file by the input rules (a regular file within the size
// limit); std::nullopt with `error` set when it cannot be read.
std::optional<std::string> readTextFile(const std::string& path, std::string& error, const char* what);
// A string or a number or a boolean as the text a property holds.
std::optional<std::string> jsonScalarText(const nlohmann::json& value);
// Texts with an apostrophe cannot travel in a quoted field of a command.
bool holdsApostrophe(const std::string& text);
// Why `value` cannot be a name of a layout or router file ("" when it can):
// names are non-empty texts without apostrophes and control characters.
std::string nameProblem(const nlohmann::json& value);

}  // namespace panel_host
