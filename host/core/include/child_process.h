#pragma once

#include "line_reader.h"

#include <functional>
#include <mutex>
#include <string>

#include <sys/types.h>

namespace panel_host {

// The one child-process channel of panel-host (POSIX): the validator's
// checks, serve's session and the isolated play and terminal session all run
// the module in a child made here. Lines go down a socket, lines come back
// up another; the child dies with its parent, whatever ends the parent.

// How a child process ended, from its wait status.
struct childEnding {
    bool exited = false;  // by exit(), with exitCode
    bool normal = false;  // exited with status 0
    int exitCode = 0;     // exit status, or 128 + signal
    int signal = 0;       // the signal that killed it, or 0
    std::string how;      // "exited with status 2", "killed by signal 11 (Segmentation fault)"
};
childEnding describeEnding(int waitStatus);

// Writes all of `data` to `fd`, resuming after signals; a socket is written
// without SIGPIPE. False when the other end is gone or the write failed.
bool writeAll(int fd, const std::string& data);

class childProcess {
public:
    // The child's work: reads lines from inputFd, writes lines to outputFd;
    // returns its exit code.
    using body = std::function<int(int inputFd, int outputFd)>;

    childProcess() = default;
    // Kills a child still running and reaps it.
    ~childProcess();
    childProcess(const childProcess&) = delete;
    childProcess& operator=(const childProcess&) = delete;

    // Forks; the child runs `work` and exits with its result without running
    // the parent's exit handlers. False (with `problem`) when no child started.
    bool start(const body& work, std::string& problem);

    // Sends one line (without its line end); false when the child no longer
    // reads. Any thread.
    bool send(const std::string& line);
    // Tells the child that no more lines come.
    void closeInput();
    // Kills the child (SIGKILL); safe from any thread while another reads.
    void kill();

    // The child's next line. One thread only.
    lineReader::status read(int timeoutMs, std::string& line) { return reader_.read(timeoutMs, line); }
    // The descriptor read() reads, for callers that poll it with others.
    int outputFd() const { return fromChild_; }
    // Whether the child has ended (it is not reaped: wait() does that). Its
    // channel may stay open after it: a process it started can hold it.
    bool ended();
    // Closes the channel and waits for the child to end (kill() it first
    // when it should not finish by itself).
    childEnding wait();

private:
    std::mutex childLock_;  // guards child_ between kill() and wait()
    pid_t child_ = -1;
    int toChild_ = -1;
    int fromChild_ = -1;
    std::mutex sending_;
    lineReader reader_{-1};
};

}  // namespace panel_host
