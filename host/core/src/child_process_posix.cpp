// The child-process seam on POSIX: fork, a socket down, a pipe up, death
// with the parent (PR_SET_PDEATHSIG), waitpid.
#include "child_process.h"

#include "coverage_flush.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <mutex>

namespace panel_host {

struct childProcess::process {
    std::mutex childLock;  // guards child between kill() and wait()
    pid_t child = -1;
    int toChild = -1;
    int fromChild = -1;
    std::mutex sending;
};

namespace {

// The longest line a child may send (serve's state of a large router).
constexpr std::size_t maxMessageBytes = 64 * 1024 * 1024;

void closeFd(int& fd)
{
    if (fd >= 0) {
        ::close(fd);
        fd = -1;
    }
}

// In a new child: die with the parent. The parent may have died before the
// request took effect, so check it once afterwards.
void followParent(pid_t parent)
{
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() != parent) {
        ::_exit(1);
    }
}

// Closes every descriptor from 3 up but `a` and `b`.
void closeInheritedBut(int a, int b)
{
    const auto low = static_cast<unsigned>(std::min(a, b));
    const auto high = static_cast<unsigned>(std::max(a, b));
    for (const auto& [first, last] :
         {std::pair{3U, low - 1}, std::pair{low + 1, high - 1}, std::pair{high + 1, UINT_MAX}}) {
        if (first <= last) {
            ::close_range(first, last, 0);
        }
    }
}

// In the new child, before its work: its standard output and error, and the
// descriptors it keeps.
void prepareChild(const childStart& how, int inputFd, int outputFd)
{
    if (how.standardOutput >= 0) {
        ::dup2(how.standardOutput, STDOUT_FILENO);
        ::dup2(how.standardOutput, STDERR_FILENO);
        ::close(how.standardOutput);
    }
    if (how.keepOnlyChannel) {
        closeInheritedBut(inputFd, outputFd);
    }
}

childEnding describeEnding(int waitStatus)
{
    childEnding ending;
    if (WIFEXITED(waitStatus)) {
        ending.exited = true;
        ending.exitCode = WEXITSTATUS(waitStatus);
        ending.normal = ending.exitCode == 0;
        ending.how = "exited with status " + std::to_string(ending.exitCode);
    } else if (WIFSIGNALED(waitStatus)) {
        ending.signal = WTERMSIG(waitStatus);
        ending.exitCode = 128 + ending.signal;
        const char* name = ::strsignal(ending.signal);
        ending.how = "killed by signal " + std::to_string(ending.signal) +
                     (name != nullptr ? " (" + std::string(name) + ")" : std::string());
    } else {
        ending.exitCode = 1;
        ending.how = "ended in an unknown way";
    }
    return ending;
}

}  // namespace

void closeDescriptor(int fd)
{
    ::close(fd);
}

bool openPipe(int& readFd, int& writeFd)
{
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        return false;
    }
    readFd = fds[0];
    writeFd = fds[1];
    return true;
}

void runStartedTask(const std::string&, const startedTask&) {}

childProcess::childProcess() : process_(std::make_unique<process>()) {}

childProcess::~childProcess()
{
    if (process_->child > 0) {
        kill();
        wait();
    }
    closeFd(process_->toChild);
    closeFd(process_->fromChild);
}

int childProcess::outputFd() const
{
    return process_->fromChild;
}

bool childProcess::start(const childStart& how, const body& work, std::string& problem)
{
    // Lines go down a socket, so that sending to a child that has gone is an
    // error rather than a SIGPIPE in the parent.
    int down[2];
    int up[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, down) != 0) {
        problem = std::string("cannot create a socket pair: ") + std::strerror(errno);
        return false;
    }
    if (::pipe2(up, O_CLOEXEC) != 0) {
        problem = std::string("cannot create a pipe: ") + std::strerror(errno);
        ::close(down[0]);
        ::close(down[1]);
        return false;
    }
    std::cout.flush();
    std::cerr.flush();
    std::fflush(nullptr);
    const pid_t parent = ::getpid();
    const pid_t pid = ::fork();
    if (pid < 0) {
        problem = std::string("cannot start a child process: ") + std::strerror(errno);
        for (int fd : {down[0], down[1], up[0], up[1]}) {
            ::close(fd);
        }
        return false;
    }
    if (pid == 0) {
        followParent(parent);
        ::close(down[1]);
        ::close(up[0]);
        prepareChild(how, down[0], up[1]);
        const int code = work(down[0], up[1]);
        std::cout.flush();
        std::cerr.flush();
        std::fflush(nullptr);
        flushCoverageBeforeExit();
        // No exit handlers or destructors: they belong to the parent's state.
        ::_exit(code);
    }
    ::close(down[0]);
    ::close(up[1]);
    process_->child = pid;
    process_->toChild = down[1];
    process_->fromChild = up[0];
    reader_ = lineReader(process_->fromChild, maxMessageBytes);
    return true;
}

bool childProcess::send(const std::string& line)
{
    const std::lock_guard<std::mutex> lock(process_->sending);
    return process_->toChild >= 0 && writeAll(process_->toChild, line + "\n");
}

void childProcess::closeInput()
{
    const std::lock_guard<std::mutex> lock(process_->sending);
    closeFd(process_->toChild);
}

void childProcess::kill()
{
    const std::lock_guard<std::mutex> lock(process_->childLock);
    if (process_->child > 0) {
        ::kill(process_->child, SIGKILL);
    }
}

bool childProcess::ended()
{
    const std::lock_guard<std::mutex> lock(process_->childLock);
    siginfo_t info{};
    return process_->child <= 0 ||
           (::waitid(P_PID, static_cast<id_t>(process_->child), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
            info.si_pid != 0);
}

childEnding childProcess::wait()
{
    closeInput();
    closeFd(process_->fromChild);
    reader_ = lineReader(-1);
    if (process_->child <= 0) {
        return describeEnding(0);
    }
    // Wait without reaping, so that kill() never meets a reused process id.
    siginfo_t info{};
    while (::waitid(P_PID, static_cast<id_t>(process_->child), &info, WEXITED | WNOWAIT) < 0 && errno == EINTR) {
    }
    const std::lock_guard<std::mutex> lock(process_->childLock);
    int status = 0;
    while (::waitpid(process_->child, &status, 0) < 0 && errno == EINTR) {
    }
    process_->child = -1;
    return describeEnding(status);
}

}  // namespace panel_host
