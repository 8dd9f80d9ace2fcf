#pragma once

#include "call_limit.h"
#include "scenario_runner.h"

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace panel_host {

// What to do when the module file is replaced (a rebuild).
enum class rebuildFollowing {
    off,     // nothing: the session goes on with the module loaded
    replay,  // reload it and give it the operator lines so far
    fresh,   // reload it and start afresh
};

struct serveSettings {
    hostSetup setup;
    std::string listen;  // "ADDR:PORT"; empty: 127.0.0.1:8630 or the first free port after it
    std::vector<std::string> allowedHosts;
    rebuildFollowing rebuilds = rebuildFollowing::off;
    // The longest one call into the module may take (--timeout).
    std::chrono::milliseconds callLimit = defaultCallLimit;
};

// Runs one session of the module with real timers and serves it as a web
// page until Ctrl-C or SIGTERM. Errors go to `fail`, one text each.
// Returns 0 when stopped, 1 when the module crashed or a call into it did not
// return in time (not while following rebuilds: then the pages say so and
// serve waits for the next one) or had to be killed, 2 when the session or
// the server could not start.
int runServe(const serveSettings& settings, const std::function<void(const std::string&)>& fail);

}  // namespace panel_host
