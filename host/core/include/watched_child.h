#pragma once

#include "call_limit.h"
#include "child_process.h"

#include <nlohmann/json.hpp>

#include <chrono>
#include <functional>
#include <optional>
#include <string>

namespace panel_host {

// The one watched child of panel-host: play, the session, validate
// and serve run the module in a child that tells its watcher what it runs
// and when a call into the module begins and ends, so that the watcher can
// stop a call that takes too long and name the call a crash or hang ended.
// Every message up is one JSON object a line: the watch's own
// ({"watch": "cause", "text": ...}, "busy", "idle", {"watch": "exit",
// "code": N}) and the engine's, which the watcher hands on.

// The child's side.
class watchReport {
public:
    explicit watchReport(int fd) : fd_(fd) {}

    // What runs now, named when it crashes or hangs ("x.scenario:7: press Take").
    void cause(const std::string& text);
    // A call into the module begins: the time limit runs from now.
    void busy();
    // No call runs: no time limit until the next.
    void idle();
    // The work is done and the child ends with `code`.
    void finished(int code);
    // One message of the engine's own.
    void send(const nlohmann::json& message);
    // False once a message could not be written (the watcher is gone).
    bool ok() const { return ok_; }
    // The descriptor the messages go on.
    int fd() const { return fd_; }

private:
    int fd_;
    bool ok_ = true;
};

// What the watcher saw of the child.
struct watchedRun {
    std::string cause = "start-up";
    bool busy = false;
    bool timedOut = false;        // a call ran past the limit and the child was killed
    std::optional<int> toldExit;  // the code the child said it ends with
};

// The parent's side.
class watchedChild {
public:
    using body = std::function<int(int inputFd, watchReport& report)>;
    using taskBody = std::function<int(const std::string& task, int inputFd, watchReport& report)>;
    using messageSink = std::function<void(const nlohmann::json& message)>;

    // `busyFromStart`: the whole run is one call (the limit runs from start()).
    explicit watchedChild(std::chrono::milliseconds callLimit, bool busyFromStart = false);

    // Starts the child (see childProcess::start); it runs `work` and exits
    // with its result. False (with `problem`) when no child started.
    bool start(const childStart& how, const body& work, std::string& problem);
    // The child's side of a task started afresh (see runStartedTask): runs
    // `work` with its report and ends the process; returns when this process
    // was not started for such a task.
    static void runStartedTask(const std::string& taskPrefix, const taskBody& work);

    bool send(const std::string& line) { return child_.send(line); }
    void closeInput() { child_.closeInput(); }
    void kill() { child_.kill(); }
    // The descriptor the child's messages come on, for callers that poll it.
    int outputFd() const { return child_.outputFd(); }

    // Takes the child's messages for at most timeoutMs, handing the
    // engine's to `sink` (a line that is not a JSON object as a JSON
    // string), and kills the child once a call runs past the limit. False
    // once the child has ended (everything it sent taken).
    bool pump(int timeoutMs, const messageSink& sink);
    // After pump() said false: reaps the child and says how it ended.
    childEnding wait() { return child_.wait(); }

    const watchedRun& run() const { return run_; }
    std::chrono::milliseconds callLimit() const { return callLimit_; }

private:
    void take(const std::string& line, const messageSink& sink);
    void enforceLimit();

    childProcess child_;
    std::chrono::milliseconds callLimit_;
    watchedRun run_;
    std::chrono::steady_clock::time_point busySince_;
};

// "10 s", "0.5 s".
std::string secondsText(std::chrono::milliseconds duration);

// The one line that says how a watched run went wrong: a call past the
// limit, the child ended by the module's exit(), a crash; each naming the
// cause. Empty when the child ended as it told.
std::string watchedFailure(const watchedRun& run, const childEnding& ending, std::chrono::milliseconds callLimit);

}  // namespace panel_host
