#pragma once

#include "line_reader.h"

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <optional>
#include <string>

namespace panel_host {

// The one input discipline of panel-host: every file and option a user
// supplies is checked here, and every problem is told as one line naming the
// file, line and column (or the option) and the reason. Nothing here throws.

// Files are read whole (or line by line, see inputFileLines), and only
// regular files up to this size.
constexpr std::uint64_t maxInputFileBytes = 64ULL * 1024 * 1024;

// A place in a text: line and column count from 1; the column counts bytes.
struct textPosition {
    std::size_t line = 1;
    std::size_t column = 1;
};

// The position of byte `offset` of `text`.
textPosition positionOf(const std::string& text, std::size_t offset);

// "path:line:column" (or "path" without a position).
std::string placeName(const std::string& path, const textPosition& position);

// Why `path` cannot be read as a file of ours ("" when it is a regular file
// within the size limit): missing, a folder, a FIFO, a device, too large.
// `what` names the file's role in the message ("scenario", "module").
std::string fileProblem(const std::string& path, const char* what, std::uint64_t limit = maxInputFileBytes);

struct inputFile {
    bool ok = false;
    std::string error;  // when !ok: one line, starting with the path
    std::string text;
};

// Checks the file with fileProblem(), then reads all of it (never more than
// the limit, even if the file grows meanwhile).
inputFile readInputFile(const std::string& path, const char* what, std::uint64_t limit = maxInputFileBytes);

// A file checked as readInputFile checks it, read one line at a time, so
// that only the line at hand is held, however long the file (and never more
// than the limit, even if the file grows meanwhile).
class inputFileLines {
public:
    inputFileLines(const std::string& path, const char* what, std::uint64_t limit = maxInputFileBytes);
    inputFileLines(const inputFileLines&) = delete;
    inputFileLines& operator=(const inputFileLines&) = delete;

    // The next line, without its line end; false at the end of the file or
    // on a problem, which error() then tells.
    bool next(std::string& line);
    // One line, starting with the path; empty while all is well.
    const std::string& error() const { return error_; }

private:
    std::string path_;
    const char* what_;
    std::uint64_t limit_;
    std::string error_;
    std::ifstream in_;
    lineReader reader_;
};

// The offset of the first control character (bytes below 0x20 and 0x7F;
// a tab when tabs are not allowed), or std::string::npos.
std::size_t findControlCharacter(const std::string& text, bool tabAllowed);

// "NUL", "a tab", "control character 0x1B".
std::string controlCharacterName(char c);

// The start of `text`, at most `limit` bytes, with control characters and
// bytes from 0x7F up written as \xNN (newline and tab kept as they are when
// keepLineBreaks). `used` receives how many bytes of `text` it covers.
std::string escapedPrefix(const std::string& text, std::size_t limit, bool keepLineBreaks, std::size_t& used);

// `text` cut to at most `limit` bytes with "...", control characters and
// bytes from 0x7F up written as \xNN: safe to quote in a one-line message.
std::string excerpt(const std::string& text, std::size_t limit = 40);

// A text as panel-host shows it in transcripts, views, logs and messages:
// control characters and bytes from 0x7F up written as \xNN, so that a text
// from a module or a file stays on its line and never reaches a terminal raw.
std::string shownText(const std::string& text);

// A path as messages show it: shownText(), and a path longer than 120 bytes
// shortened in its middle ("/first/part/.../the/file").
std::string shownPath(const std::string& path);

// Whole numbers and durations as users write them: plain decimal with an
// optional '-', within [min, max]. On failure `problem` says what is wrong
// and gives the accepted range.
bool readWholeNumber(const std::string& text, std::int64_t min, std::int64_t max, std::int64_t& value,
                     std::string& problem);
// A finite decimal number (no hex, no inf, no nan) within [min, max].
bool readDecimal(const std::string& text, double min, double max, double& value, std::string& problem);

}  // namespace panel_host
