#pragma once

#include "scenario_runner.h"

// The default mode of panel-host: loads the module, shows the panel, and runs
// operator lines (the scenario language plus help and quit) from standard
// input, showing the panel after each. On a terminal, timers run in real time
// while it waits for a line; from a pipe or file it runs the lines it reads,
// timers advancing only with "wait", and exits at their end. Returns the
// process exit code: 0, or 2 when the module could not be loaded.
int runInteractiveSession(const hostSetup& setup);
