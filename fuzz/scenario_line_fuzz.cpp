// Fuzz target: one scenario line (any bytes, as a scenario file or piped
// standard input may hold).
//
// Properties: a refusal names a column within the line (or just after it)
// and a reason, and its message starts with the line and column; a line
// with a control character other than a tab before its line end is refused;
// an accepted line keeps its number and its text without the line end, and
// each of its words, written as a word again (bare or quoted), reads back
// as the same bytes.
#include "fuzz_check.h"
#include "fuzz_target.h"
#include "fuzz_text.h"
#include "host_text.h"
#include "scenario_line.h"

#include <cstdint>
#include <string>

namespace panel_host {
namespace {

constexpr int lineNumber = 7;

// The line without its line end (any run of carriage returns and line feeds
// at its end, as a reader may pass the line with it).
std::string withoutLineEnd(std::string text)
{
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n')) {
        text.pop_back();
    }
    return text;
}

bool hasForbiddenControl(const std::string& line)
{
    for (const char c : line) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte < 0x20 && byte != '\t') || byte == 0x7F) {
            return true;
        }
    }
    return false;
}

// A word's text as host bytes (UTF-8 keeps every byte as it is).
std::string bytesOf(const std::string& text)
{
    std::string bytes;
    std::string problem;
    return textToHostBytes(text, codePage::utf8, bytes, problem) ? bytes : "(not a host text: " + problem + ")";
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/)
{
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    const scenarioLineParse parse = parseScenarioLine(text, lineNumber);
    const auto shown = [&] { return printable(text) + ": " + parse.error; };
    if (!parse.ok) {
        fuzzCheck(parse.column >= 1 && parse.column <= text.size() + 1, "a refusal names a column of the line", shown);
        fuzzCheck(!parse.reason.empty(), "a refusal says why", shown);
        const std::string place = "line " + std::to_string(lineNumber) + ", column " + std::to_string(parse.column);
        fuzzCheck(parse.error.compare(0, place.size(), place) == 0, "a refusal starts with its place", shown);
        return 0;
    }
    const std::string line = withoutLineEnd(text);
    fuzzCheck(!hasForbiddenControl(line), "a line with a control character is refused", shown);
    fuzzCheck(parse.line.number == lineNumber, "a line keeps its number");
    fuzzCheck(parse.line.source == line, "a line keeps its text without its line end", shown);
    for (const std::string& word : parse.line.words) {
        const scenarioLineParse again = parseScenarioLine("press " + scenarioWordOfText(word), lineNumber);
        fuzzCheck(again.ok && again.line.words.size() == 1 && bytesOf(again.line.words[0]) == bytesOf(word),
                  "a word written again reads back as the same bytes", shown);
    }
    return 0;
}

}  // namespace panel_host
