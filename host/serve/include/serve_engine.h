#pragma once

#include "scenario_runner.h"

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
};

// Runs one session of the module with real timers and serves it as a web
// page until Ctrl-C or SIGTERM (blocked in every thread from here on; serve
// is the last thing a program does). Errors go to `fail`, one text each.
// Returns 0 when stopped, 1 when the module crashed (not while following
// rebuilds: then the pages say so and serve waits for the next one) or had
// to be killed, 2 when the session or the server could not start.
int runServe(const serveSettings& settings, const std::function<void(const std::string&)>& fail);

}  // namespace panel_host
