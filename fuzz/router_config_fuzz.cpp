// Fuzz target: a router file's text (any bytes).
//
// Properties: never throws; a refusal has a one-line reason and no devices;
// an accepted configuration has at least one device, unique names and
// numbers from 1, names without NUL (device names without an apostrophe,
// which the quoted field of "SD" cannot carry), at most one route per
// destination and every route a source of its device or 0.
#include "fuzz_check.h"
#include "fuzz_target.h"
#include "fuzz_text.h"
#include "router_config.h"

#include <cstdint>
#include <set>
#include <string>

namespace panel_host {
namespace {

bool hostTexts(const std::vector<std::string>& texts)
{
    for (const std::string& text : texts) {
        if (text.find('\0') != std::string::npos) {
            return false;
        }
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/)
{
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    const routerConfigResult result = parseRouterConfig(text);
    const auto shown = [&] { return printable(text); };
    fuzzCheck(result.ok == result.error.empty() && result.error.find('\n') == std::string::npos,
              "a router file is refused exactly when a one-line reason is given", [&] { return result.error; });
    if (!result.ok) {
        fuzzCheck(result.devices.empty(), "a refused router file gives no devices");
        return 0;
    }
    fuzzCheck(!result.devices.empty(), "an accepted router file has a device");
    std::set<std::string> names;
    std::set<std::int32_t> numbers;
    for (const routerDevice& device : result.devices) {
        fuzzCheck(names.insert(device.name).second && numbers.insert(device.number).second && device.number >= 1,
                  "devices have unique names and numbers from 1", shown);
        fuzzCheck(hostTexts({device.name}) && hostTexts(device.sources) && hostTexts(device.destinations),
                  "names hold no NUL", shown);
        fuzzCheck(device.name.find('\'') == std::string::npos, "a device name holds no apostrophe", shown);
        fuzzCheck(device.routes.size() <= device.destinations.size(), "at most one route per destination", shown);
        for (const std::int32_t source : device.routes) {
            fuzzCheck(source >= 0 && source <= device.sourceCount(), "a route is a source of its device or 0", shown);
        }
    }
    return 0;
}

}  // namespace panel_host
