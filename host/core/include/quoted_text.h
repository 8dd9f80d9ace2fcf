#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace panel_host {

// A text written so that any bytes stay on one line: null, or the bytes in
// double quotes, '\' written "\\", '"' written "\"", every byte outside
// 0x20..0x7E and every byte of `alsoEscaped` written "\xNN" (two lowercase
// hex digits). Traces write their texts so, and scenario lines that carry
// a record field by field.
std::string writtenQuotedText(const std::optional<std::string>& text, const char* alsoEscaped = "");

// Reads such a text at `at` of `line` (null when `nullAllowed`, followed by
// a blank or the end); on success `at` is just past it. On failure
// `problemAt` is the offset of the problem and `problem` says what it is,
// naming the field `what`.
bool readQuotedText(const std::string& line, std::size_t& at, bool nullAllowed, const char* what,
                    std::optional<std::string>& text, std::size_t& problemAt, std::string& problem);

}  // namespace panel_host
