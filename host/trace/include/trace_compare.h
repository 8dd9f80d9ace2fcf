#pragma once

#include "host_text.h"
#include "panel_model.h"
#include "router_model.h"
#include "trace_reader.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace panel_host {

// Our emulated host as the comparison sets it up.
struct compareSetup {
    std::vector<routerDevice> devices;
    // The layout folder and its layouts (by path); "PS" looks its file up
    // there by name, wherever the real host had it.
    std::string layoutFolder;
    std::map<std::string, panelLayout> layouts;
    // How far a timer tick may be off its interval before it counts as
    // early or late (a real host's clock ticks in steps of up to 16 ms).
    std::int64_t tickToleranceMs = 20;
    // The code page the report shows the host's texts in (the router
    // file's).
    codePage page = codePage::windows1252;
};

// One way our host differs from the recorded one.
struct traceDifference {
    std::size_t line = 0;  // the trace line it concerns
    std::string text;
};

// The host fidelity report on a checked trace (checkTrace), read once: the
// recorded commands of every instance go, in trace order, to one emulated
// host, as the real host has them: one router and one clock, each
// instance's commands carried out by an interpreter of its own (its panels,
// timers and tally registrations). Every reply that differs from the
// recorded one, every tally the real host delivered to an instance that ours
// would not have raised for it (and the reverse), and every timer tick
// early, late or missing against the intervals of "ET" is one difference,
// ordered by line. Times are the trace's clock: the host's own when it wrote
// it (a virtual clock, exact), else the system's.
std::vector<traceDifference> compareTrace(const traceSource& source, const compareSetup& setup);

}  // namespace panel_host
