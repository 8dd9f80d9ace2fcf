#pragma once

#include "command_interpreter.h"
#include "panel_model.h"
#include "router_model.h"
#include "timer_scheduler.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace panel_host {

// What a host knows apart from the scripts: the routers and the clock, which
// every script instance shares, and each instance's panels with the
// interpreter of its commands (its timers and tally registrations are kept
// in its name). A session runs loaded scripts on it; a tool that has only a
// record of the commands (a trace) can feed every instance's commands to one
// such host in the order they came, and the router's tally sink tells which
// instance each tally goes to (tallyData::instance).
class hostModels {
public:
    explicit hostModels(std::vector<routerDevice> devices);
    hostModels(const hostModels&) = delete;
    hostModels& operator=(const hostModels&) = delete;

    // Adds the next instance, numbered from 1, and returns its number. Its
    // "PS" takes these layouts (by path) before reading a file.
    std::int32_t addInstance(std::map<std::string, panelLayout> preloaded = {});
    // Takes the last instance back (a script that could not be made): its
    // panels go, and with them its timers and registrations.
    void removeLastInstance();
    std::int32_t instanceCount() const { return static_cast<std::int32_t>(instances_.size()); }

    // For an instance from 1 to instanceCount().
    commandInterpreter& interpreter(std::int32_t instance);
    // The panels of an instance; none for an instance not made.
    const panelModel& panels(std::int32_t instance) const;
    panelModel* findPanels(std::int32_t instance);

    routerModel& router() { return router_; }
    const routerModel& router() const { return router_; }
    timerScheduler& timers() { return timers_; }
    const timerScheduler& timers() const { return timers_; }

private:
    struct instanceModels {
        explicit instanceModels(routerModel& router, timerScheduler& timers, std::int32_t number)
            : interpreter(panels, router, timers, number)
        {
        }
        panelModel panels;
        commandInterpreter interpreter;
    };

    routerModel router_;
    timerScheduler timers_;
    std::vector<std::unique_ptr<instanceModels>> instances_;
};

}  // namespace panel_host
