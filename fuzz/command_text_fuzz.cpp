// Fuzz target: the emulated host's parser of the command texts a module
// sends (any bytes: a module may send anything).
//
// Properties: a refusal has a reason; an accepted text holds no NUL, and
// writing its parsed fields back in the form of its code (a second, plain
// rendering of the forms) gives exactly the text, so nothing is lost,
// reordered or accepted loosely; quoted fields hold no apostrophe.
#include "command_text.h"
#include "fuzz_check.h"
#include "fuzz_target.h"
#include "fuzz_text.h"

#include <cstdint>
#include <string>

namespace panel_host {
namespace {

std::string quoted(const std::string& text)
{
    return " '" + text + "'";
}

// Numbers first, then texts, except "RC" whose text sits between them.
std::string rendered(const parsedCommand& command)
{
    std::string text = commandCodeName(command.code);
    const auto& n = command.numbers;
    if (command.code == commandCode::RC && n.size() == 4 && command.texts.size() == 1) {
        return text + " " + std::to_string(n[0]) + " " + std::to_string(n[1]) + " " + std::to_string(n[2]) +
               quoted(command.texts[0]) + " " + std::to_string(n[3]);
    }
    for (const std::int32_t number : n) {
        text += " " + std::to_string(number);
    }
    for (const std::string& field : command.texts) {
        text += quoted(field);
    }
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/)
{
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    const commandParse parse = parseCommandText(text);
    fuzzCheck(parse.ok == parse.problem.empty(), "a text is refused exactly when a reason is given",
              [&] { return printable(text); });
    if (!parse.ok) {
        return 0;
    }
    fuzzCheck(text.find('\0') == std::string::npos, "an accepted command holds no NUL");
    for (const std::string& field : parse.command.texts) {
        fuzzCheck(field.find('\'') == std::string::npos, "a quoted field holds no apostrophe",
                  [&] { return printable(text); });
    }
    const std::string again = rendered(parse.command);
    fuzzCheck(again == text, "the parsed fields written back give the text",
              [&] { return printable(text) + " became " + printable(again); });
    return 0;
}

}  // namespace panel_host
