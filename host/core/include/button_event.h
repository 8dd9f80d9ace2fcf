#pragma once

#include "host_text.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace panel_host {

// The event of a button record as a script finds it: the fields of the
// parsedMessage the record points to. A host normally builds it by
// splitting the event text; a trace records it field by field, so that a
// replay hands the script the very record the real host did, however that
// host filled it in.
struct buttonEvent {
    std::optional<std::string> name;   // std::nullopt: a null pointer
    std::optional<std::string> value;  // std::nullopt: a null pointer
    std::uint8_t hasValue = 0;         // the byte as stored: 0, 1 or any other
    std::int32_t count = 0;            // as stored, even outside 0 to 32
    // One entry for each part the count covers (at most 32).
    std::vector<std::optional<std::string>> parts;

    bool operator==(const buttonEvent& other) const;
    bool operator!=(const buttonEvent& other) const { return !(*this == other); }

    // The event the host builds from `text`: split as a parsedMessage.
    static buttonEvent split(const std::string& text);
    // The text whose split is exactly this event, if there is one.
    std::optional<std::string> text() const;

    // How many parts a count covers: 0 to 32.
    static std::size_t partsCovered(std::int32_t count);
};

// The event's fields written in one line, in this order, separated by
// blanks: name=TEXT value=TEXT has-value=N count=N, then part=TEXT once for
// each part (TEXT as quotedTextOrNull() writes it, in `page` and escaping
// `alsoEscaped` too); a null event is event=null.
std::string writtenButtonEvent(const std::optional<buttonEvent>& event, const std::optional<codePage>& page = {},
                               const char* alsoEscaped = "");

// Reads that form at `at` of `line` (host bytes, readQuotedBytes) up to the
// line's end. On failure
// `problemAt` is the offset of the problem and `problem` says what it is.
bool readButtonEvent(const std::string& line, std::size_t at, std::optional<buttonEvent>& event, std::size_t& problemAt,
                     std::string& problem);

}  // namespace panel_host
