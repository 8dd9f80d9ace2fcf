#pragma once

#include "call_limit.h"
#include "host_observer.h"

#include <chrono>
#include <functional>
#include <string>

namespace panel_host {

class watchReport;

// How the front ends that load a module (play, the terminal session) run
// it: in a child process watched by panel-host (the default), or in
// panel-host's own process for debugging.
struct isolationSettings {
    bool inProcess = false;
    // The longest one call into the module (its export, one notify) may take.
    std::chrono::milliseconds timeout{defaultCallLimit};
};

// The front end's side of the watch: what it is running, and whether it is
// waiting for the operator. Observing the session, it flushes standard
// output before every call into the module, so that the transcript up to a
// crash is out, and restarts the watcher's clock.
class runProgress final : public hostObserver {
public:
    // Null: nobody watches (in process).
    explicit runProgress(watchReport* report = nullptr) : report_(report) {}

    // What runs now, for the message that names it ("x.scenario:7: press Take").
    void setCause(const std::string& cause);
    // Waiting for the operator: no time limit until the next call.
    void idle();
    // The front end is done and ends with `code`.
    void finished(int code);

    void stage(const std::string& what) override;
    void notificationStarting(const notification& n) override;

private:
    void busy();

    watchReport* report_;
    bool busy_ = false;
    std::string cause_;
};

// Runs `frontEnd`, which prints to standard output and returns the exit
// code. Isolated, a crash of the module, a call that takes longer than the
// timeout or an exit of the module ends the run with one line on standard
// error naming it and what caused it, and exit code 1; a stop signal ends
// the child with panel-host. In process when the settings ask for it. In a
// child started afresh for it (Windows), runs the front end for its watcher
// and ends the process.
int runIsolated(const isolationSettings& settings, const std::function<int(runProgress&)>& frontEnd);

}  // namespace panel_host
