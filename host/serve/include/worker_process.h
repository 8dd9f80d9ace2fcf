#pragma once

#include <nlohmann/json.hpp>

#include <functional>
#include <mutex>
#include <string>
#include <sys/types.h>

// How a worker process ended.
struct workerEnding {
    bool normal = false;  // exited by itself with code 0
    int exitCode = 0;     // its exit code, or 128 + signal
    std::string how;      // "exited with code 2", "killed by signal 11 (Segmentation fault)"
};

// A child process that runs one function and talks to its parent through
// two pipes: lines to it, JSON messages (one a line) back. The POSIX seam of
// `panel-host serve`.
class workerProcess {
public:
    // The child's work: reads lines from inputFd, writes to outputFd;
    // returns its exit code.
    using body = std::function<int(int inputFd, int outputFd)>;
    using messageSink = std::function<void(const nlohmann::json& message)>;

    workerProcess() = default;
    // Closes the pipes and waits for the child (see finish()).
    ~workerProcess();
    workerProcess(const workerProcess&) = delete;
    workerProcess& operator=(const workerProcess&) = delete;

    // Forks; the child runs `work` and exits with its result. Call before
    // the parent starts threads. False (with `problem`) when no child started.
    bool start(const body& work, std::string& problem);

    // Sends one line (without its line end) to the child; false when the
    // child no longer reads. Any thread.
    bool send(const std::string& line);
    // Tells the child that no more lines come: it finishes its work.
    void closeInput();
    // Kills a child that does not finish by itself (a module stuck in a call).
    void kill();

    // Reads the child's messages, handing each to `sink`, until the child
    // closes its output; then waits for it and says how it ended. A line
    // that is not JSON is handed on as {"log": [line]}. One thread only.
    workerEnding readUntilEnd(const messageSink& sink);

private:
    std::mutex childLock_;  // guards child_ between kill() and the reaping reader
    pid_t child_ = -1;
    int toChild_ = -1;
    int fromChild_ = -1;
    std::mutex sending_;
};
