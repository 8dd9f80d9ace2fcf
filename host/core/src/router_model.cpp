#include "router_model.h"

#include <algorithm>
#include <utility>

namespace panel_host {

routerModel::routerModel(std::vector<routerDevice> devices) : devices_(std::move(devices))
{
    for (routerDevice& d : devices_) {
        d.routes.resize(d.destinations.size(), 0);
    }
}

const routerDevice* routerModel::findByName(const std::string& name) const
{
    auto it = std::find_if(devices_.begin(), devices_.end(), [&name](const routerDevice& d) { return d.name == name; });
    return it != devices_.end() ? &*it : nullptr;
}

const routerDevice* routerModel::findByNumber(std::int32_t number) const
{
    auto it =
        std::find_if(devices_.begin(), devices_.end(), [number](const routerDevice& d) { return d.number == number; });
    return it != devices_.end() ? &*it : nullptr;
}

routerDevice* routerModel::find(std::int32_t number)
{
    return const_cast<routerDevice*>(std::as_const(*this).findByNumber(number));
}

std::optional<std::string> routerModel::name(std::int32_t device, std::int32_t kind, std::int32_t index) const
{
    const routerDevice* d = findByNumber(device);
    if (d == nullptr || index < 1) {
        return std::nullopt;
    }
    const std::vector<std::string>* names = nullptr;
    if (kind == sourceKind) {
        names = &d->sources;
    } else if (kind == destinationKind) {
        names = &d->destinations;
    }
    if (names == nullptr || static_cast<std::size_t>(index) > names->size()) {
        return std::nullopt;
    }
    return (*names)[static_cast<std::size_t>(index - 1)];
}

std::string routerModel::route(std::int32_t device, std::int32_t source, std::int32_t destination)
{
    routerDevice* d = find(device);
    if (d == nullptr) {
        return "no device number " + std::to_string(device);
    }
    if (source < 1 || source > d->sourceCount()) {
        return d->name + " has no source " + std::to_string(source);
    }
    if (destination < 1 || destination > d->destinationCount()) {
        return d->name + " has no destination " + std::to_string(destination);
    }
    d->routes[static_cast<std::size_t>(destination - 1)] = source;
    // Copied: a sink may register or forget while it is told.
    const std::map<std::int32_t, std::set<std::int32_t>> registered = d->registered;
    for (const auto& [instance, destinations] : registered) {
        if (destinations.count(destination) != 0) {
            report(*d, destination, instance);
        }
    }
    return {};
}

std::string routerModel::clampRange(const routerDevice& device, std::int32_t& first, std::int32_t& last)
{
    std::string problem;
    if (first > last || last < 1 || first > device.destinationCount()) {
        problem = device.name + " has no destinations " + std::to_string(first) + " to " + std::to_string(last);
        first = 1;
        last = 0;
        return problem;
    }
    if (first < 1 || last > device.destinationCount()) {
        problem = "destinations " + std::to_string(first) + " to " + std::to_string(last) + " reach outside 1 to " +
                  std::to_string(device.destinationCount()) + " of " + device.name;
    }
    first = std::max(first, 1);
    last = std::min(last, device.destinationCount());
    return problem;
}

std::string routerModel::registerRange(std::int32_t instance, std::int32_t device, std::int32_t first,
                                       std::int32_t last, bool add)
{
    routerDevice* d = find(device);
    if (d == nullptr) {
        return "no device number " + std::to_string(device);
    }
    std::set<std::int32_t>& registered = d->registered[instance];
    if (!add) {
        registered.clear();
    }
    const std::string problem = clampRange(*d, first, last);
    for (std::int32_t destination = first; destination <= last; ++destination) {
        registered.insert(destination);
    }
    if (registered.empty()) {
        d->registered.erase(instance);
    }
    return problem;
}

std::string routerModel::poll(std::int32_t instance, std::int32_t device, std::int32_t first, std::int32_t last)
{
    const routerDevice* d = findByNumber(device);
    if (d == nullptr) {
        return "no device number " + std::to_string(device);
    }
    const std::string problem = clampRange(*d, first, last);
    for (std::int32_t destination = first; destination <= last; ++destination) {
        report(*d, destination, instance);
    }
    return problem;
}

void routerModel::clearRegistrations(std::int32_t instance)
{
    for (routerDevice& d : devices_) {
        d.registered.erase(instance);
    }
}

tallyData routerModel::tallyOf(const routerDevice& device, std::int32_t destination) const
{
    tallyData t;
    t.device = device.number;
    t.index = destination;
    t.value = device.routes.at(static_cast<std::size_t>(destination - 1));
    t.text = name(device.number, sourceKind, t.value).value_or("");
    return t;
}

void routerModel::report(const routerDevice& device, std::int32_t destination, std::int32_t instance) const
{
    if (sink_) {
        tallyData t = tallyOf(device, destination);
        t.instance = instance;
        sink_(t);
    }
}

}  // namespace panel_host
