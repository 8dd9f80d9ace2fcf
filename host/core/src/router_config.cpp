#include "router_config.h"

#include "json_reading.h"

#include <limits>
#include <set>

namespace panel_host {

using nlohmann::json;

namespace {

constexpr std::int32_t defaultChannels = 64;

// Source and destination names travel as they are (replies to "RN", tally
// texts): any text the code page has.
bool readNames(const json& device, const char* field, const std::string& where, codePage page,
               std::vector<std::string>& names, std::string& error)
{
    const auto it = device.find(field);
    if (it == device.end() || !it->is_array()) {
        error = where + ": \"" + field + "\" must be an array of names";
        return false;
    }
    for (const json& item : *it) {
        std::string name;
        if (const std::string problem = hostTextProblem(item, page, hostTextUse::any, name); !problem.empty()) {
            error = where + ": entry " + std::to_string(names.size() + 1) + " of \"" + field + "\" " + problem;
            return false;
        }
        names.push_back(std::move(name));
    }
    return true;
}

bool readRoutes(const json& device, const std::string& where, routerDevice& d, std::string& error)
{
    const auto it = device.find("routes");
    if (it == device.end()) {
        return true;
    }
    if (!it->is_array() || it->size() > d.destinations.size()) {
        error = where + ": \"routes\" must be an array with at most one source number per destination";
        return false;
    }
    for (const json& item : *it) {
        if (!item.is_number_integer() || item.get<long long>() < 0 || item.get<long long>() > d.sourceCount()) {
            error = where + ": every route must be a source number from 0 (none) to " + std::to_string(d.sourceCount());
            return false;
        }
        d.routes.push_back(static_cast<std::int32_t>(item.get<long long>()));
    }
    return true;
}

// A device's name travels in the quoted field of "SD".
bool readDevice(const json& device, const std::string& where, codePage page, routerDevice& d, std::string& error)
{
    if (!device.is_object()) {
        error = where + " must be an object";
        return false;
    }
    const auto name = device.find("name");
    const std::string problem =
        hostTextProblem(name == device.end() ? json() : *name, page, hostTextUse::quotedField, d.name);
    if (!problem.empty()) {
        error = where + ": \"name\" " + problem;
        return false;
    }
    const auto number = device.find("number");
    if (number == device.end() || !number->is_number_integer() || number->get<long long>() < 1 ||
        number->get<long long>() > std::numeric_limits<std::int32_t>::max()) {
        error = where + ": \"number\" must be a whole number from 1 to " +
                std::to_string(std::numeric_limits<std::int32_t>::max());
        return false;
    }
    d.number = static_cast<std::int32_t>(number->get<long long>());
    return readNames(device, "sources", where, page, d.sources, error) &&
           readNames(device, "destinations", where, page, d.destinations, error) && readRoutes(device, where, d, error);
}

}  // namespace

std::vector<routerDevice> defaultRouterDevices()
{
    routerDevice router;
    router.name = "B4 Audio Router";
    router.number = 1;
    for (std::int32_t i = 1; i <= defaultChannels; ++i) {
        router.sources.push_back("Source " + std::to_string(i));
        router.destinations.push_back("Destination " + std::to_string(i));
        router.routes.push_back(i);
    }
    return {router};
}

routerConfigResult parseRouterConfig(const std::string& jsonText)
{
    routerConfigResult result;
    const std::optional<json> parsed = parseJsonText(jsonText, result.error);
    if (!parsed) {
        return result;
    }
    const auto devices = parsed->is_object() ? parsed->find("devices") : parsed->end();
    if (!parsed->is_object() || devices == parsed->end() || !devices->is_array() || devices->empty()) {
        result.error = "the configuration must be an object with a non-empty array \"devices\"";
        return result;
    }
    if (!readCodePage(*parsed, result.page, result.error)) {
        return result;
    }
    std::set<std::string> names;
    std::set<std::int32_t> numbers;
    for (std::size_t i = 0; i < devices->size(); ++i) {
        routerDevice d;
        if (!readDevice((*devices)[i], "device " + std::to_string(i + 1), result.page, d, result.error)) {
            result.devices.clear();
            return result;
        }
        if (!names.insert(d.name).second || !numbers.insert(d.number).second) {
            result.error = "device " + std::to_string(i + 1) + ": name and number must be unique";
            result.devices.clear();
            return result;
        }
        result.devices.push_back(std::move(d));
    }
    result.ok = true;
    return result;
}

routerConfigResult loadRouterConfig(const std::string& path)
{
    routerConfigResult result;
    const std::optional<std::string> text = readTextFile(path, result.error, "router file");
    if (!text) {
        return result;
    }
    result = parseRouterConfig(*text);
    if (!result.ok) {
        result.error = path + ": " + result.error;
    }
    return result;
}

}  // namespace panel_host
