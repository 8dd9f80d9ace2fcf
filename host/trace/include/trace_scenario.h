#pragma once

#include "trace_reader.h"

#include <cstddef>
#include <string>
#include <vector>

namespace panel_host {

// A scenario that replays the host of one instance of a trace: a passive
// host ("host passive") that hands the script the recorded path and
// delivers the recorded notifications as raw lines, answering each command
// with the recorded reply ("answer" lines before each action), and expects
// the recorded commands after each action ("expect", "expect nothing",
// "expect result" for queries); the destruction is "unload". The host's own
// give-backs of query results (code 5) follow from the query lines.
struct traceScenario {
    bool ok = false;
    std::string error;  // when !ok: "NAME:LINE: the text ... cannot be written as a scenario line"
    std::vector<std::string> lines;
    // For each line (same index): the trace line it came from, 0 for none.
    std::vector<std::size_t> traceLines;

    std::string text() const;
};

// `traceName` names the trace in the scenario's first line and in errors.
traceScenario traceToScenario(const traceFile& trace, std::int32_t instance, const std::string& traceName);

}  // namespace panel_host
