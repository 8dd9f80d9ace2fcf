#pragma once

#include "watched_child.h"

#include <nlohmann/json.hpp>

#include <chrono>
#include <functional>
#include <string>

namespace panel_host {

// How the session process ended.
using workerEnding = childEnding;

// serve's session process: a watched child that takes operator lines and
// answers with JSON messages, one a line; a call into the module that
// takes longer than the call limit gets it killed.
class workerProcess {
public:
    using body = watchedChild::body;
    using messageSink = std::function<void(const nlohmann::json& message)>;

    explicit workerProcess(std::chrono::milliseconds callLimit = defaultCallLimit) : child_(callLimit) {}

    // Forks; the child ignores Ctrl-C and SIGTERM (the parent decides when
    // the session ends), closes every descriptor it inherited but its
    // channel and the standard streams (the server's sockets stay the
    // parent's), and runs `work`. False (with `problem`) when no child
    // started.
    bool start(const body& work, std::string& problem);

    bool send(const std::string& line) { return child_.send(line); }
    void closeInput() { child_.closeInput(); }
    // Kills a child that does not finish by itself (a module stuck in a call).
    void kill() { child_.kill(); }

    // The descriptor the child's messages come on, to wait for them.
    int outputFd() const { return child_.outputFd(); }
    // Takes the child's messages for at most timeoutMs, handing each to
    // `sink` (a line that is not JSON as {"log": [line]}), and applies the
    // call limit. False once the child has ended.
    bool pump(int timeoutMs, const messageSink& sink);
    // After pump() said false: reaps the child and says how it ended.
    workerEnding wait() { return child_.wait(); }
    // pump() until the child has ended, then wait().
    workerEnding readUntilEnd(const messageSink& sink);
    // What the watch saw: the call under way, whether it ran past the limit.
    const watchedRun& run() const { return child_.run(); }
    // The line that says how the session process went wrong, when it ended
    // without telling its end: a call past the limit, the module's exit(),
    // a crash.
    std::string failure(const workerEnding& ending) const;

private:
    watchedChild child_;
};

}  // namespace panel_host
