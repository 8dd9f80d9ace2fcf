#pragma once

#include <csignal>

namespace panel_host {

// The signals that end panel-host, caught while it watches a child process,
// so that it can end the child first and say why. The platform seam:
//   stop_signals_posix.cpp    Ctrl-C (SIGINT), SIGTERM, SIGHUP, SIGQUIT;
//   stop_signals_windows.cpp  the console's control events: Ctrl-C as
//                             SIGINT; Ctrl-Break, closing the console,
//                             logoff and shutdown as SIGTERM.
// One at a time; the previous handling is back once it goes.
class stopSignals {
public:
    stopSignals();
    ~stopSignals();
    stopSignals(const stopSignals&) = delete;
    stopSignals& operator=(const stopSignals&) = delete;

    // The first stop signal caught, or 0.
    int caught() const;
};

// In a child whose parent decides what Ctrl-C means: Ctrl-C no longer ends
// this process (a handler installed later may still take it).
void ignoreInterrupt();
// The same for every stop signal, and writes to a closed pipe or socket
// fail instead of ending the process.
void ignoreStopSignals();
// Writes to a closed pipe or socket fail instead of ending the process (as
// they always do on Windows).
void ignoreBrokenPipes();

// Ends panel-host as `signal` ends a program on this platform, after the
// child is gone: POSIX by the signal itself (128 + signal should it
// return); Windows with the exit code of a program ended by Ctrl-C
// (0xC000013A), which it returns.
int endAsStopped(int signal);
// The exit code of a run that Ctrl-C ended without a signal of its own:
// 128 + SIGINT on POSIX, 0xC000013A on Windows.
int interruptedExit();

}  // namespace panel_host
