#include "trace_router.h"

#include "command_text.h"
#include "input_rules.h"
#include "notify_codes.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <map>

namespace panel_host {

namespace {

// Indexes beyond this are not learned: a router file lists every name.
constexpr std::int32_t maxLearnedIndex = 65536;

// What the trace tells of one device.
struct learnedDevice {
    std::string name;
    std::map<std::int32_t, std::string> sources;
    std::map<std::int32_t, std::string> destinations;
    std::map<std::int32_t, std::int32_t> routes;
    std::int32_t sourceCount = 0;
    std::int32_t destinationCount = 0;

    void seeSource(std::int32_t index) { sourceCount = std::clamp(index, sourceCount, maxLearnedIndex); }
    void seeDestination(std::int32_t index) { destinationCount = std::clamp(index, destinationCount, maxLearnedIndex); }
};

// A device's name travels in the quoted field of "SD": no apostrophe.
bool isUsableDeviceName(const std::string& name)
{
    return name.find('\'') == std::string::npos;
}

std::int32_t leadingNumber(const std::string& text)
{
    std::int64_t number = 0;
    std::string problem;
    return readWholeNumber(text.substr(0, text.find(' ')), 1, 0x7fffffff, number, problem)
               ? static_cast<std::int32_t>(number)
               : 0;
}

void learnFromCommand(const traceEvent& e, std::map<std::int32_t, learnedDevice>& devices)
{
    const commandParse parse = parseCommandText(*e.text);
    if (!parse.ok) {
        return;
    }
    const parsedCommand& c = parse.command;
    const std::vector<std::int32_t>& n = c.numbers;
    const std::string reply = e.pointer ? e.reply.value_or("") : "";
    switch (c.code) {
    case commandCode::SD:
        if (const std::int32_t number = leadingNumber(reply); number > 0) {
            devices[number].name = c.texts[0];
        }
        break;
    case commandCode::RN:
        if (n[0] > 0 && n[2] > 0 && (n[1] == 0 || n[1] == 1)) {
            learnedDevice& d = devices[n[0]];
            if (n[1] == 0) {
                d.seeSource(n[2]);
            } else {
                d.seeDestination(n[2]);
            }
            if (e.pointer) {
                (n[1] == 0 ? d.sources : d.destinations)[n[2]] = reply;
            }
        }
        break;
    case commandCode::RC:
        if (n[0] > 0) {
            devices[n[0]].seeSource(n[1]);
            devices[n[0]].seeDestination(n[2]);
        }
        break;
    case commandCode::RR:
    case commandCode::RP:
        if (n[0] > 0) {
            devices[n[0]].seeDestination(n[2]);
        }
        break;
    // Commands that tell nothing of a router.
    case commandCode::PS:
    case commandCode::TP:
    case commandCode::TG:
    case commandCode::CE:
    case commandCode::CD:
    case commandCode::XI:
    case commandCode::ET:
    case commandCode::AS:
        break;
    }
}

void learnFromTally(const traceEvent& e, std::map<std::int32_t, learnedDevice>& devices)
{
    if (e.device <= 0 || e.index <= 0) {
        return;
    }
    learnedDevice& d = devices[e.device];
    d.seeDestination(e.index);
    if (e.index <= maxLearnedIndex) {
        d.routes.emplace(e.index, std::clamp(e.value, 0, maxLearnedIndex));
    }
    if (e.value > 0) {
        d.seeSource(e.value);
        if (e.text) {
            d.sources.emplace(e.value, *e.text);
        }
    }
}

std::vector<std::string> namesOf(const std::map<std::int32_t, std::string>& known, std::int32_t count,
                                 const std::string& kind)
{
    std::vector<std::string> names;
    for (std::int32_t i = 1; i <= std::max(count, 1); ++i) {
        const auto it = known.find(i);
        names.push_back(it != known.end() ? it->second : kind + " " + std::to_string(i));
    }
    return names;
}

}  // namespace

std::vector<routerDevice> routersOfTrace(const traceSource& trace)
{
    std::map<std::int32_t, learnedDevice> learned;
    traceReader reader(trace);
    for (traceEvent e; reader.next(e);) {
        // A command's reply holds the command too.
        if (e.what == traceEvent::kind::reply && e.code == sendExecute && e.text) {
            learnFromCommand(e, learned);
        } else if (e.what == traceEvent::kind::notify && e.carried == traceEvent::payload::tally) {
            learnFromTally(e, learned);
        }
    }
    std::vector<routerDevice> devices;
    std::vector<std::string> taken;
    for (auto& [number, d] : learned) {
        routerDevice device;
        device.number = number;
        const bool named = isUsableDeviceName(d.name) && std::find(taken.begin(), taken.end(), d.name) == taken.end();
        device.name = named ? d.name : "Device " + std::to_string(number);
        taken.push_back(device.name);
        device.sources = namesOf(d.sources, d.sourceCount, "Source");
        device.destinations = namesOf(d.destinations, d.destinationCount, "Destination");
        device.routes.assign(device.destinations.size(), 0);
        for (const auto& [destination, source] : d.routes) {
            device.routes[static_cast<std::size_t>(destination - 1)] = source;
        }
        devices.push_back(std::move(device));
    }
    return devices;
}

std::string routerConfigText(const std::vector<routerDevice>& devices, codePage page)
{
    // Names are the host's bytes, written as the text they are in `page`:
    // every byte has one, so the file gives the same bytes back.
    const auto texts = [page](const std::vector<std::string>& names) {
        std::vector<std::string> decoded;
        for (const std::string& name : names) {
            decoded.push_back(hostBytesToText(name, page));
        }
        return decoded;
    };
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    for (const routerDevice& d : devices) {
        nlohmann::ordered_json device;
        device["name"] = hostBytesToText(d.name, page);
        device["number"] = d.number;
        device["sources"] = texts(d.sources);
        device["destinations"] = texts(d.destinations);
        device["routes"] = d.routes;
        list.push_back(std::move(device));
    }
    nlohmann::ordered_json config;
    config["codePage"] = codePageName(page);
    config["devices"] = std::move(list);
    return config.dump(2) + "\n";
}

}  // namespace panel_host
