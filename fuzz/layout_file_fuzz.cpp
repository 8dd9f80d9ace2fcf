// Fuzz target: a layout file's text (any bytes).
//
// Properties: never throws; a refusal has a one-line reason; an accepted
// layout has controls and state sheets of unique names, names that a quoted
// command field carries (no NUL, no apostrophe), property names that are not
// empty and hold no '=', values without NUL, and every "statesheet" property
// names one of its state sheets.
#include "fuzz_check.h"
#include "fuzz_target.h"
#include "fuzz_text.h"
#include "layout_file.h"

#include <cstdint>
#include <set>
#include <string>

namespace panel_host {
namespace {

bool fieldName(const std::string& name)
{
    return name.find('\0') == std::string::npos && name.find('\'') == std::string::npos;
}

void checkLayout(const panelLayout& layout, const std::string& text)
{
    const auto shown = [&] { return printable(text); };
    std::set<std::string> names;
    for (const stateSheet& sheet : layout.stateSheets) {
        fuzzCheck(fieldName(sheet.name) && names.insert(sheet.name).second,
                  "state sheets have unique names a command field carries", shown);
    }
    names.clear();
    for (const panelControl& control : layout.controls) {
        fuzzCheck(fieldName(control.name) && names.insert(control.name).second,
                  "controls have unique names a command field carries", shown);
        for (const auto& [name, value] : control.properties) {
            fuzzCheck(!name.empty() && fieldName(name) && name.find('=') == std::string::npos,
                      "property names are field names without '='", shown);
            fuzzCheck(value.find('\0') == std::string::npos, "property values hold no NUL", shown);
            fuzzCheck(name != "statesheet" || layout.findStateSheet(value) != nullptr,
                      "a state sheet property names a state sheet", shown);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/)
{
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    const layoutResult result = parseLayout(text);
    fuzzCheck(result.ok == result.error.empty() && result.error.find('\n') == std::string::npos,
              "a layout is refused exactly when a one-line reason is given", [&] { return result.error; });
    if (result.ok) {
        checkLayout(result.layout, text);
    }
    return 0;
}

}  // namespace panel_host
