#pragma once

#include "host_text.h"

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

// The code page a layout or router file writes the host's texts for: its
// "codePage" ("windows-1252", the default, or "utf-8"). False with `error`
// set for another value.
bool readCodePage(const nlohmann::json& root, codePage& page, std::string& error);

// How a text of a file travels to a script.
enum class hostTextUse {
    any,          // as it is (a reply, a tally, a label): anything but NUL
    quotedField,  // in an apostrophe-quoted field of a command: no apostrophe either
};

// Why `value` cannot be a host text of a file ("" when it can, with `bytes`
// the text in `page`): it must be a JSON string whose characters `page`
// has, without NUL (the host's texts end there) and, for a quoted field,
// without an apostrophe. Blanks, tabs and other control characters (written
// as JSON escapes) are all texts a host can carry.
std::string hostTextProblem(const nlohmann::json& value, codePage page, hostTextUse use, std::string& bytes);

}  // namespace panel_host
