#pragma once

#include "trace_reader.h"

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace panel_host {

// A scenario that replays the host of one instance of a trace: a passive
// host ("host passive") that hands the script the recorded path and
// delivers the recorded notifications as raw lines, answering each command
// with the recorded reply ("answer" lines before each action), and expects
// the recorded commands after each action ("expect", "expect nothing",
// "expect result" for queries); the destruction is "unload". A notification
// the host delivered from inside a command, or a deletion there, is a
// "during" line before the action. The host's own give-backs of query
// results (code 5) follow from the query lines.

// One line, with the trace line it came from (0: none).
struct traceScenarioLine {
    std::string text;
    std::size_t traceLine = 0;
};

// Writes the scenario of `instance` of a checked trace (checkTrace) line by
// line into `sink`, reading the trace once. Instance 0 is every instance in
// one scenario, in trace order, each line of instance N from the second on
// written "@N LINE", and what the host did for one instance from inside a
// command of another a "during" line of that command (see
// whyNotReplayedTogether). False, with `error` ("NAME:LINE: "..." cannot be
// written as a scenario line (...)"), at the first recorded event that no
// scenario line can hold (a timer payload beyond 32 bits); nothing is
// written after it.
bool writeTraceScenario(const traceSource& source, const traceSummary& summary, std::int32_t instance,
                        const std::function<void(const traceScenarioLine&)>& sink, std::string& error);

// Why the instances of a checked trace cannot be replayed in one scenario
// (instance 0 of writeTraceScenario), one phrase; empty when they can: the
// host called every one on one thread, and loaded every one alike (with or
// without a host object, the same path), as a scenario's settings say it
// for all.
std::string whyNotReplayedTogether(const traceSource& source);

// The same, collected.
struct traceScenario {
    bool ok = false;
    std::string error;
    std::vector<traceScenarioLine> lines;

    std::string text() const;
};
traceScenario traceToScenario(const traceSource& source, const traceSummary& summary, std::int32_t instance);

}  // namespace panel_host
