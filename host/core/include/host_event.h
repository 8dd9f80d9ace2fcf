#pragma once

#include "notification.h"

#include <cstdint>
#include <string>

namespace panel_host {

class hostSession;

// One thing that happens to a loaded script: a notification delivered as it
// is, a wait on the host's clock (timer ticks fall due), or a route made by
// another controller (registered tallies report).
struct hostEvent {
    enum class kind { notify, wait, route };

    kind what = kind::notify;
    notification n;
    std::int64_t milliseconds = 0;
    std::int32_t device = 0;
    std::int32_t source = 0;
    std::int32_t destination = 0;

    static hostEvent notify(notification n);
    static hostEvent wait(std::int64_t milliseconds);
    static hostEvent route(std::int32_t device, std::int32_t source, std::int32_t destination);

    // One readable line: the notification's describe(), "wait 250 ms", or
    // the route as the session's log tells it.
    std::string describe() const;
    // The scenario line that makes it happen in `play`: "tally 1 7 5 Source 5",
    // "button 1 Sources select=5", "tick 1", "query a.b", "notify 6",
    // "notify 1 null", "wait 250", "route 5 7 1", "@2 tick 1" for another
    // instance than the first. Each text is bare where the bare form holds
    // it, else quoted in plain ASCII, so that the line carries it exactly.
    std::string scenarioLine() const;
};

// "another controller routes source 5 to destination 7 on device 1".
std::string routeDescription(std::int32_t device, std::int32_t source, std::int32_t destination);

// Applies one event to a session with a loaded script. A route the router
// refuses changes nothing.
void applyEvent(hostSession& session, const hostEvent& event);

}  // namespace panel_host
