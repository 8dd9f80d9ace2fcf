#pragma once

#include <CLI/CLI.hpp>

namespace panel_host {

// `panel-host play SCENARIO [--check]`: plays a scenario file on a virtual
// clock and prints its transcript. Sets exitCode when it ran: 0 passed (or
// no --check), 1 an expectation failed or the script broke the calling
// rules (--check), 2 the scenario or the module could not be used.
void registerPlayCommand(CLI::App& app, int& exitCode);

}  // namespace panel_host
