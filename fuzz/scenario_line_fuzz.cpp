// Fuzz target: one scenario line (any bytes, as a scenario file or piped
// standard input may hold).
//
// Properties: a refusal names a column within the line (or just after it)
// and a reason, and its message starts with the line and column; a line
// with a control character other than a tab or a final carriage return is
// refused; an accepted line keeps its number and its text, and none of its
// words is empty or holds a blank.
#include "fuzz_check.h"
#include "fuzz_target.h"
#include "fuzz_text.h"
#include "scenario_line.h"

#include <cstdint>
#include <string>

namespace {

constexpr int lineNumber = 7;

bool hasForbiddenControl(const std::string& text)
{
    const std::size_t end = !text.empty() && text.back() == '\r' ? text.size() - 1 : text.size();
    for (std::size_t i = 0; i < end; ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if ((byte < 0x20 && byte != '\t') || byte == 0x7F) {
            return true;
        }
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) { return 0; }

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
    fuzzCheck(!hasForbiddenControl(text), "a line with a control character is refused", shown);
    fuzzCheck(parse.line.number == lineNumber, "a line keeps its number");
    fuzzCheck(text.compare(0, parse.line.source.size(), parse.line.source) == 0 &&
                  text.size() - parse.line.source.size() <= 1,
              "a line keeps its text", shown);
    for (const std::string& word : parse.line.words) {
        fuzzCheck(!word.empty() && word.find_first_of(" \t") == std::string::npos,
                  "a word is neither empty nor holds a blank", shown);
    }
    return 0;
}
