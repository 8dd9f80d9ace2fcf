#pragma once

#include "line_reader.h"

#include <functional>
#include <memory>
#include <string>

namespace panel_host {

// The one child-process channel of panel-host: the validator's checks, serve's
// session and the isolated play and terminal session all run the module in a
// child made here. Lines go down one pipe and come back up another; no child
// outlives its parent, whatever ends the parent. The platform seam:
//   child_process_posix.cpp    forks: the child runs the work it is given
//                              there and then, and dies with its parent;
//   child_process_windows.cpp  starts panel-host.exe afresh with the same
//                              arguments and the name of its task, in a job
//                              object that ends it with its parent; the new
//                              process runs the task where its code claims it
//                              (runStartedTask), on the same front end.

// How a child process ended.
struct childEnding {
    bool exited = false;  // by exit(), with exitCode
    bool normal = false;  // exited with status 0
    int exitCode = 0;     // exit status, or 128 + signal (the exception code on Windows)
    int signal = 0;       // the signal that killed it, or 0
    // "exited with status 2", "killed by signal 11 (Segmentation fault)",
    // "ended by exception 0xC0000005 (access violation)".
    std::string how;
};

// How a child is started.
struct childStart {
    // The task it runs, by name: a child started afresh runs the
    // runStartedTask() of this name.
    std::string task;
    // Where the child's standard output and error go (a descriptor of this
    // process), or -1 for panel-host's own.
    int standardOutput = -1;
    // The child keeps no descriptor of its parent's but its channel and the
    // standard streams (one started afresh never has any other).
    bool keepOnlyChannel = false;
};

// Writes all of `data` to `fd`, resuming after signals; a socket is written
// without SIGPIPE. False when the other end is gone or the write failed.
bool writeAll(int fd, const std::string& data);
// Closes a descriptor of the channel (or of a pipe of the caller's).
void closeDescriptor(int fd);
// A pipe of the caller's, whose descriptors no child inherits unless
// passed (childStart::standardOutput). False when none could be made.
bool openPipe(int& readFd, int& writeFd);

class childProcess {
public:
    // The child's work: reads lines from inputFd, writes lines to outputFd;
    // returns its exit code.
    using body = std::function<int(int inputFd, int outputFd)>;

    childProcess();
    // Kills a child still running and reaps it.
    ~childProcess();
    childProcess(const childProcess&) = delete;
    childProcess& operator=(const childProcess&) = delete;

    // Starts the child, which runs `work` and exits with its result without
    // running the parent's exit handlers. False (with `problem`) when no
    // child started.
    bool start(const childStart& how, const body& work, std::string& problem);

    // Sends one line (without its line end); false when the child no longer
    // reads. Any thread.
    bool send(const std::string& line);
    // Tells the child that no more lines come.
    void closeInput();
    // Kills the child; safe from any thread while another reads.
    void kill();

    // The child's next line. One thread only.
    lineReader::status read(int timeoutMs, std::string& line) { return reader_.read(timeoutMs, line); }
    // The descriptor read() reads, for callers that wait for it with others.
    int outputFd() const;
    // Whether the child has ended (it is not reaped: wait() does that). Its
    // channel may stay open after it: a process it started can hold it.
    bool ended();
    // Closes the channel and waits for the child to end (kill() it first
    // when it should not finish by itself).
    childEnding wait();

private:
    struct process;  // the platform's own
    std::unique_ptr<process> process_;
    lineReader reader_{-1};
};

// The child's side where children are started afresh (Windows): when this
// process was started for a task whose name begins with `taskPrefix`, runs
// `work` with that task's name and its channel, and ends the process with
// its result. Returns otherwise, and always where children are forks.
using startedTask = std::function<int(const std::string& task, int inputFd, int outputFd)>;
void runStartedTask(const std::string& taskPrefix, const startedTask& work);

}  // namespace panel_host
