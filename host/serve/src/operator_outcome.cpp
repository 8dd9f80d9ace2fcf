#include "operator_outcome.h"

namespace panel_host {

nlohmann::json outcomeMessage(const actionOutcome& outcome)
{
    if (outcome.ok) {
        return {{"outcome", {{"done", true}}}};
    }
    const bool now = outcome.refusal == actionRefusal::notNow;
    return {{"outcome", {{"done", false}, {"refusal", now ? "now" : "unknown"}, {"reason", outcome.message}}}};
}

std::optional<operatorOutcome> readOutcome(const nlohmann::json& message)
{
    const auto it = message.find("outcome");
    if (it == message.end() || !it->is_object()) {
        return std::nullopt;
    }
    const auto field = [&it](const char* name) {
        const auto f = it->find(name);
        return f != it->end() ? *f : nlohmann::json();
    };
    operatorOutcome outcome;
    outcome.done = field("done") == true;
    outcome.refusedNow = field("refusal") == "now";
    const nlohmann::json reason = field("reason");
    outcome.reason = reason.is_string() ? reason.get<std::string>() : outcome.done ? "" : "the session refused it";
    return outcome;
}

operatorOutcome sessionNotRunning()
{
    return {false, true, "the session is not running"};
}

}  // namespace panel_host
