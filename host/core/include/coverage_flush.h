#pragma once

namespace panel_host {

// A forked child ends with _exit, which skips the exit handlers that write a
// coverage build's counters: this writes them first. Does nothing in other
// builds.
void flushCoverageBeforeExit();

}  // namespace panel_host
