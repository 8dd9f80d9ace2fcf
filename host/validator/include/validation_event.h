#pragma once

#include "host_session.h"
#include "notification.h"

#include <cstdint>
#include <string>

namespace panel_host {

// One step the validator takes against a loaded script: a notification
// delivered as it is, a wait on the host's clock (timer ticks fall due), or
// a route made by another controller (registered tallies report).
struct validationEvent {
    enum class kind { notify, wait, route };

    kind what = kind::notify;
    notification n;
    std::int64_t milliseconds = 0;
    std::int32_t device = 0;
    std::int32_t source = 0;
    std::int32_t destination = 0;

    static validationEvent notify(notification n);
    static validationEvent wait(std::int64_t milliseconds);
    static validationEvent route(std::int32_t device, std::int32_t source, std::int32_t destination);

    // One readable line, printable as it is.
    std::string describe() const;
};

// Applies one event to a session with a loaded script. A route the router
// refuses changes nothing.
void applyEvent(hostSession& session, const validationEvent& event);

}  // namespace panel_host
