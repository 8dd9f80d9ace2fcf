#pragma once

#include <CLI/CLI.hpp>

namespace panel_host {

// `panel-host trace show|scenario|replay|compare|router TRACE`: reads a
// trace that the tracing module wrote in a real host and shows it, turns it
// into a scenario, replays it against a module (exit 1 at the first command
// that differs), compares our emulated host with the recorded one (exit 1
// when they differ), or writes the router configuration it shows. A trace
// that cannot be read is one error line and exit code 2.
void registerTraceCommand(CLI::App& app, int& exitCode);

}  // namespace panel_host
