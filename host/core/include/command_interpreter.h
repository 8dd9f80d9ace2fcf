#pragma once

#include "command_text.h"
#include "panel_model.h"
#include "router_model.h"
#include "timer_scheduler.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace panel_host {

// What the host made of one command text.
struct interpretation {
    bool parsed = false;
    std::string parseProblem;  // when !parsed
    commandCode code = commandCode::AS;
    // The reply for the script (std::nullopt: null).
    std::optional<std::string> reply;
    // What the host could not do: unknown panel, control, device, a missing
    // layout file... The command is then answered with null and changes nothing.
    std::vector<std::string> diagnostics;
};

// Carries out command texts against the host's models. Replies:
//   PS  "OK" when the layout file was loaded and shown, else null
//   TG  "property=value", for "all" every property joined with ','
//   XI  the names of the panel's controls that start with the filter, in
//       layout order, joined with ','; null when none does
//   SD  "number 'name'" of the device; null for an unknown name
//   RN  the name of source (kind 0) or destination (kind 1) index, or null
//   every other command: null
// Tallies that RC and RP cause go to the router model's tally sink.
//
// Each script instance of a host has an interpreter of its own, with its own
// panels; the router and the clock are the host's, shared by every
// instance, and the interpreter registers for tallies and starts timers in
// its instance's name.
class commandInterpreter {
public:
    commandInterpreter(panelModel& panels, routerModel& router, timerScheduler& timers, std::int32_t instance = 1);

    std::int32_t instance() const { return instance_; }

    // The timers it starts and stops; their clock is the host's.
    const timerScheduler& timers() const { return timers_; }

    interpretation execute(const std::string& text);
    // Layouts already read (by path): "PS" of one of these paths takes it
    // from here the first time instead of reading the file again.
    void preloadLayouts(std::map<std::string, panelLayout> layouts) { preloaded_ = std::move(layouts); }

private:
    void showPanel(const parsedCommand& c, interpretation& result);
    void putProperty(const parsedCommand& c, interpretation& result);
    void getProperty(const parsedCommand& c, interpretation& result);
    void enableControl(const parsedCommand& c, bool enabled, interpretation& result);
    void listControls(const parsedCommand& c, interpretation& result);
    void findDevice(const parsedCommand& c, interpretation& result);
    void routeCrosspoint(const parsedCommand& c, interpretation& result);
    void nameOf(const parsedCommand& c, interpretation& result);
    void registerTallies(const parsedCommand& c, interpretation& result);
    void pollTallies(const parsedCommand& c, interpretation& result);
    void setTimer(const parsedCommand& c, interpretation& result);
    void stopScript();

    // The control, or null with a diagnostic naming what is missing.
    panelControl* control(const std::string& panel, const std::string& name, interpretation& result,
                          panelLayout** layout = nullptr);
    static void note(interpretation& result, const std::string& problem);

    panelModel& panels_;
    routerModel& router_;
    timerScheduler& timers_;
    std::int32_t instance_;
    std::map<std::string, panelLayout> preloaded_;
};

}  // namespace panel_host
