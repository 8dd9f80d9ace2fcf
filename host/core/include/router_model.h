#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace panel_host {

// One router as the host knows it. Names are host bytes. Sources and
// destinations are numbered from 1; routes[d - 1] is the source on
// destination d (0: nothing routed).
struct routerDevice {
    std::string name;
    std::int32_t number = 0;
    std::vector<std::string> sources;
    std::vector<std::string> destinations;
    std::vector<std::int32_t> routes;
    // By script instance: the destinations whose tallies it registered for.
    std::map<std::int32_t, std::set<std::int32_t>> registered;

    std::int32_t sourceCount() const { return static_cast<std::int32_t>(sources.size()); }
    std::int32_t destinationCount() const { return static_cast<std::int32_t>(destinations.size()); }
};

// What a router reports about one destination to one script instance: the
// source routed there and its name (empty for no source).
struct tallyData {
    std::int32_t device = 0;
    std::int32_t index = 0;
    std::int32_t value = 0;
    std::string text;
    std::int32_t instance = 1;
};

// The routers of the host: names, crosspoints and tally registrations. One
// router serves every script instance of the host; each instance registers
// for tallies of its own. A change on a destination is reported to every
// instance registered for it, in the order of their numbers, and a poll to
// the instance that polled, through the tally sink, which the host uses to
// queue tally notifications. Operations that can fail return a readable
// problem, or "" when all went well.
class routerModel {
public:
    using tallySink = std::function<void(const tallyData&)>;

    static constexpr std::int32_t sourceKind = 0;
    static constexpr std::int32_t destinationKind = 1;

    explicit routerModel(std::vector<routerDevice> devices);

    void setTallySink(tallySink sink) { sink_ = std::move(sink); }

    const std::vector<routerDevice>& devices() const { return devices_; }
    const routerDevice* findByName(const std::string& name) const;
    const routerDevice* findByNumber(std::int32_t number) const;

    // Name of source (kind 0) or destination (kind 1) `index`; nothing for an
    // unknown device, kind or index.
    std::optional<std::string> name(std::int32_t device, std::int32_t kind, std::int32_t index) const;

    // Puts `source` on `destination`; every instance registered for it gets
    // its new tally, also when the route did not change.
    std::string route(std::int32_t device, std::int32_t source, std::int32_t destination);
    // Registers `instance` for destinations first..last (replacing its
    // registration, or adding to it); the part of the range the router has
    // is kept.
    std::string registerRange(std::int32_t instance, std::int32_t device, std::int32_t first, std::int32_t last,
                              bool add);
    // Reports to `instance` the current tally of each destination
    // first..last the router has.
    std::string poll(std::int32_t instance, std::int32_t device, std::int32_t first, std::int32_t last);
    // Forgets every registration of `instance` (its script went away).
    void clearRegistrations(std::int32_t instance);

    tallyData tallyOf(const routerDevice& device, std::int32_t destination) const;

private:
    routerDevice* find(std::int32_t number);
    static std::string clampRange(const routerDevice& device, std::int32_t& first, std::int32_t& last);
    void report(const routerDevice& device, std::int32_t destination, std::int32_t instance) const;

    std::vector<routerDevice> devices_;
    tallySink sink_;
};

}  // namespace panel_host
