#pragma once

#include "child_process.h"

#include <nlohmann/json.hpp>

#include <functional>
#include <string>

namespace panel_host {

// How the session process ended.
using workerEnding = childEnding;

// serve's session process: a child on the one child-process channel that
// takes operator lines and answers with JSON messages, one a line.
class workerProcess {
public:
    using body = childProcess::body;
    using messageSink = std::function<void(const nlohmann::json& message)>;

    // Forks; the child ignores Ctrl-C and SIGTERM (the parent decides when
    // the session ends) and runs `work`. Call before the parent starts
    // threads. False (with `problem`) when no child started.
    bool start(const body& work, std::string& problem);

    bool send(const std::string& line) { return child_.send(line); }
    void closeInput() { child_.closeInput(); }
    // Kills a child that does not finish by itself (a module stuck in a call).
    void kill() { child_.kill(); }

    // Reads the child's messages, handing each to `sink`, until the child
    // closes its output; then waits for it and says how it ended. A line
    // that is not JSON is handed on as {"log": [line]}. One thread only.
    workerEnding readUntilEnd(const messageSink& sink);

private:
    childProcess child_;
};

}  // namespace panel_host
