#include "worker_process.h"

#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <iostream>

namespace {

void closeFd(int& fd)
{
    if (fd >= 0) {
        close(fd);
        fd = -1;
    }
}

workerEnding describeStatus(int status)
{
    workerEnding ending;
    if (WIFEXITED(status)) {
        ending.exitCode = WEXITSTATUS(status);
        ending.normal = ending.exitCode == 0;
        ending.how = "exited with code " + std::to_string(ending.exitCode);
    } else if (WIFSIGNALED(status)) {
        const int signal = WTERMSIG(status);
        ending.exitCode = 128 + signal;
        const char* name = strsignal(signal);
        ending.how = "killed by signal " + std::to_string(signal) + (name != nullptr ? " (" + std::string(name) + ")" : "");
    }
    return ending;
}

}  // namespace

workerProcess::~workerProcess()
{
    closeFd(toChild_);
    closeFd(fromChild_);
    if (child_ > 0) {
        int status = 0;
        while (waitpid(child_, &status, 0) < 0 && errno == EINTR) {
        }
    }
}

bool workerProcess::start(const body& work, std::string& problem)
{
    // Lines go down a socket, so that sending to a child that has gone is an
    // error (MSG_NOSIGNAL) rather than a SIGPIPE in the parent.
    int down[2];
    int up[2];
    if (socketpair(AF_UNIX, SOCK_STREAM, 0, down) != 0) {
        problem = std::string("cannot create a pipe: ") + std::strerror(errno);
        return false;
    }
    if (pipe(up) != 0) {
        problem = std::string("cannot create a pipe: ") + std::strerror(errno);
        close(down[0]);
        close(down[1]);
        return false;
    }
    std::cout.flush();
    std::cerr.flush();
    const pid_t pid = fork();
    if (pid < 0) {
        problem = std::string("cannot start the session process: ") + std::strerror(errno);
        for (int fd : {down[0], down[1], up[0], up[1]}) {
            close(fd);
        }
        return false;
    }
    if (pid == 0) {
        close(down[1]);
        close(up[0]);
        // The parent decides when the session ends; a terminal's Ctrl-C
        // reaches the whole process group.
        std::signal(SIGINT, SIG_IGN);
        std::signal(SIGTERM, SIG_IGN);
        std::signal(SIGPIPE, SIG_IGN);
        const int code = work(down[0], up[1]);
        std::cout.flush();
        std::cerr.flush();
        _exit(code);
    }
    close(down[0]);
    close(up[1]);
    child_ = pid;
    toChild_ = down[1];
    fromChild_ = up[0];
    return true;
}

bool workerProcess::send(const std::string& line)
{
    const std::lock_guard<std::mutex> lock(sending_);
    const std::string text = line + "\n";
    for (std::size_t done = 0; done < text.size();) {
        if (toChild_ < 0) {
            return false;
        }
        const ssize_t count = ::send(toChild_, text.data() + done, text.size() - done, MSG_NOSIGNAL);
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

void workerProcess::closeInput()
{
    const std::lock_guard<std::mutex> lock(sending_);
    closeFd(toChild_);
}

void workerProcess::kill()
{
    const std::lock_guard<std::mutex> lock(childLock_);
    if (child_ > 0) {
        ::kill(child_, SIGKILL);
    }
}

workerEnding workerProcess::readUntilEnd(const messageSink& sink)
{
    std::string pending;
    char buffer[8192];
    for (;;) {
        const ssize_t count = read(fromChild_, buffer, sizeof buffer);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count <= 0) {
            break;
        }
        pending.append(buffer, static_cast<std::size_t>(count));
        for (std::size_t end = pending.find('\n'); end != std::string::npos; end = pending.find('\n')) {
            const std::string line = pending.substr(0, end);
            pending.erase(0, end + 1);
            nlohmann::json message = nlohmann::json::parse(line, nullptr, false);
            sink(message.is_object() ? message : nlohmann::json{{"log", {line}}});
        }
    }
    closeFd(fromChild_);
    // Wait without reaping, so that kill() never meets a reused process id.
    siginfo_t info{};
    while (waitid(P_PID, static_cast<id_t>(child_), &info, WEXITED | WNOWAIT) < 0 && errno == EINTR) {
    }
    const std::lock_guard<std::mutex> lock(childLock_);
    int status = 0;
    waitpid(child_, &status, 0);
    child_ = -1;
    return describeStatus(status);
}
