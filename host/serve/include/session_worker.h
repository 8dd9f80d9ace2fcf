#pragma once

#include "scenario_runner.h"

#include <string>

namespace panel_host {

class watchReport;

// The session of `panel-host serve`, run in a process of its own so that a
// crashing module cannot take the page down with it.
//
// It loads the module with a scenario runner (the transcript is the one play
// and the interactive mode print), then reads operator lines from inputFd:
// "choose CONTROL VALUE", "press CONTROL" and "route SOURCE DEST DEVICE" in
// the scenario language, one at a time, and "quit". Timers run in real time
// between lines. It tells its watcher each call into the module and the line
// or tick that caused it, and sends these messages:
//   {"log": [line]}               each transcript line as it is printed
//   {"state": {...}}              the session snapshot, when it changed
//   {"outcome": {...}}            after each line: done, or why not (see
//                                 operator_outcome.h)
//   {"end": {"message", "failed"}} last: the session is over
// End of input counts as "quit": the script is deleted (its last commands
// are logged) and the module unloaded. Returns the process exit code: 0, or
// 2 when the session could not start.
int runSessionWorker(const hostSetup& setup, int inputFd, watchReport& report);

}  // namespace panel_host
