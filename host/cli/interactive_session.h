#pragma once

#include "host_options.h"
#include "scenario_runner.h"

#include <CLI/CLI.hpp>

namespace panel_host {

struct interactiveOptions {
    // On a terminal: every tally and tick in full, and the whole view after
    // each line, instead of the compact view.
    bool verbose = false;
    isolationOptions isolation;
};

// Adds --verbose, --in-process and --timeout to `app`.
void addInteractiveOptions(CLI::App& app, interactiveOptions& options);

// The default mode of panel-host: loads the module, shows the panel, and runs
// operator lines (the scenario language plus help and quit) from standard
// input.
// - On a terminal: line editing, history and completion (with libedit),
//   colour unless NO_COLOR is set, real paths, and a compact view: after
//   each line the commands and what changed; `show` prints everything.
//   Timers run in real time while it waits for a line, and a tick's status
//   line is printed above the line being typed.
// - From a pipe or a file: the lines it reads, timers advancing only with
//   "wait", the whole view after each action, and the end.
// The module runs isolated unless --in-process (see runIsolated()).
// Returns the exit code: 2 when the module could not be loaded or (from a
// pipe or file) any line could not be read, else 0. Errors go to standard
// error, one line each.
int runInteractiveSession(const hostSetup& setup, interactiveOptions& options);

}  // namespace panel_host
