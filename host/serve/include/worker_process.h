#pragma once

#include "watched_child.h"

#include <nlohmann/json.hpp>

#include <chrono>
#include <string>

namespace panel_host {

// How the session process ended.
using workerEnding = childEnding;

// serve's session process: a watched child that takes operator lines and
// answers with JSON messages, one a line; a call into the module that
// takes longer than the call limit gets it killed. Sending, closing its
// input, killing and reaping are the watched child's own.
class workerProcess : public watchedChild {
public:
    using messageSink = watchedChild::messageSink;

    explicit workerProcess(std::chrono::milliseconds callLimit = defaultCallLimit) : watchedChild(callLimit) {}

    // Starts the child; it ignores Ctrl-C and SIGTERM (the parent decides
    // when the session ends), keeps no descriptor it inherited but its
    // channel and the standard streams (the server's sockets stay the
    // parent's), and runs `work`. False (with `problem`) when no child
    // started.
    bool start(const body& work, std::string& problem);
    // In a child started afresh for the session (Windows): runs `work` as
    // start() has it run, and ends the process. Returns otherwise.
    static void runStarted(const body& work);

    // Takes the child's messages for at most timeoutMs, handing each to
    // `sink` (a line that is not JSON as {"log": [line]}), and applies the
    // call limit. False once the child has ended.
    bool pump(int timeoutMs, const messageSink& sink);
    // The line that says how the session process went wrong, when it ended
    // without telling its end: a call past the limit, the module's exit(),
    // a crash.
    std::string failure(const workerEnding& ending) const;
};

}  // namespace panel_host
