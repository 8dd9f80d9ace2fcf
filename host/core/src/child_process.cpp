#include "child_process.h"

#include "coverage_flush.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <iostream>

namespace panel_host {

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

}  // namespace

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

bool writeAll(int fd, const std::string& data)
{
    bool socket = true;
    for (std::size_t done = 0; done < data.size();) {
        ssize_t count = socket ? ::send(fd, data.data() + done, data.size() - done, MSG_NOSIGNAL) : -1;
        if (count < 0 && socket && errno == ENOTSOCK) {
            socket = false;
            continue;
        }
        if (!socket) {
            count = ::write(fd, data.data() + done, data.size() - done);
        }
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count <= 0) {
            return false;
        }
        done += static_cast<std::size_t>(count);
    }
    return true;
}

childProcess::~childProcess()
{
    if (child_ > 0) {
        kill();
        wait();
    }
    closeFd(toChild_);
    closeFd(fromChild_);
}

bool childProcess::start(const body& work, std::string& problem)
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
    child_ = pid;
    toChild_ = down[1];
    fromChild_ = up[0];
    reader_ = lineReader(fromChild_, maxMessageBytes);
    return true;
}

bool childProcess::send(const std::string& line)
{
    const std::lock_guard<std::mutex> lock(sending_);
    return toChild_ >= 0 && writeAll(toChild_, line + "\n");
}

void childProcess::closeInput()
{
    const std::lock_guard<std::mutex> lock(sending_);
    closeFd(toChild_);
}

void childProcess::kill()
{
    const std::lock_guard<std::mutex> lock(childLock_);
    if (child_ > 0) {
        ::kill(child_, SIGKILL);
    }
}

bool childProcess::ended()
{
    const std::lock_guard<std::mutex> lock(childLock_);
    siginfo_t info{};
    return child_ <= 0 ||
           (::waitid(P_PID, static_cast<id_t>(child_), &info, WEXITED | WNOHANG | WNOWAIT) == 0 && info.si_pid != 0);
}

childEnding childProcess::wait()
{
    closeInput();
    closeFd(fromChild_);
    reader_ = lineReader(-1);
    if (child_ <= 0) {
        return describeEnding(0);
    }
    // Wait without reaping, so that kill() never meets a reused process id.
    siginfo_t info{};
    while (::waitid(P_PID, static_cast<id_t>(child_), &info, WEXITED | WNOWAIT) < 0 && errno == EINTR) {
    }
    const std::lock_guard<std::mutex> lock(childLock_);
    int status = 0;
    while (::waitpid(child_, &status, 0) < 0 && errno == EINTR) {
    }
    child_ = -1;
    return describeEnding(status);
}

}  // namespace panel_host
