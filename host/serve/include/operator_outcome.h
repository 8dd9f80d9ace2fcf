#pragma once

#include "host_session.h"

#include <nlohmann/json.hpp>

#include <functional>
#include <optional>
#include <string>

namespace panel_host {

// What the session made of one operator line, as its process tells serve,
// one message a line, in the order the lines came:
//   {"outcome": {"done": true}}
//   {"outcome": {"done": false, "refusal": "unknown" | "now", "reason": "..."}}
// "unknown": the line names what the session does not have, or is not an
// operator action; "now": the panel refuses it at the moment.
struct operatorOutcome {
    bool done = false;
    bool refusedNow = false;  // when not done: "now", else "unknown"
    std::string reason;
};

// Called once with the outcome of the line it was given with.
using outcomeSink = std::function<void(const operatorOutcome& outcome)>;

nlohmann::json outcomeMessage(const actionOutcome& outcome);
// The outcome a message holds; null when it holds none.
std::optional<operatorOutcome> readOutcome(const nlohmann::json& message);
// The outcome of a line no session will answer.
operatorOutcome sessionNotRunning();

}  // namespace panel_host
