// The isolation seam: probes in child processes (fork, pipes, waitpid with a
// deadline) on POSIX; in the caller's process on Windows.
#include "probe_runner.h"

#if defined(_WIN32)

std::unique_ptr<probeRunner> makeChildProcessRunner()
{
    return makeInProcessRunner();
}

#else

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr std::size_t outputTailBytes = 8192;
constexpr std::size_t maxNotes = 10000;

bool writeAll(int fd, const std::string& data)
{
    std::size_t written = 0;
    while (written < data.size()) {
        const ssize_t n = ::write(fd, data.data() + written, data.size() - written);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        written += static_cast<std::size_t>(n);
    }
    return true;
}

// In the child: every note, and the result last, go to the parent as one
// JSON object per line.
class pipeProgress final : public progressChannel {
public:
    explicit pipeProgress(int fd) : fd_(fd) {}
    void note(const std::string& text, std::int64_t step) override { send({{"note", text}, {"step", step}}); }
    void send(const nlohmann::json& message)
    {
        writeAll(fd_, message.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) + "\n");
    }

private:
    int fd_;
};

[[noreturn]] void runChild(const probeBody& body, int resultFd, int outputFd)
{
    ::dup2(outputFd, STDOUT_FILENO);
    ::dup2(outputFd, STDERR_FILENO);
    ::close(outputFd);
    // Unbuffered, so that what a probe prints before it crashes is not lost.
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    pipeProgress progress(resultFd);
    int status = 0;
    try {
        nlohmann::json value = body(progress);
        progress.send({{"result", std::move(value)}});
    } catch (const std::exception& e) {
        progress.send({{"escaped", e.what()}});
        status = 3;
    } catch (...) {
        progress.send({{"escaped", ""}});
        status = 3;
    }
    std::fflush(nullptr);
    // No exit handlers or destructors: they belong to the parent's state.
    ::_exit(status);
}

// What the parent collects from one child.
struct childStreams {
    int fds[2] = {-1, -1};  // results, output
    std::string results;
    std::string output;

    bool open() const { return fds[0] >= 0 || fds[1] >= 0; }

    // Waits up to `waitMs` for data and reads what is there; closes a
    // stream at its end. False when nothing was ready.
    bool pump(int waitMs)
    {
        pollfd polled[2];
        nfds_t count = 0;
        for (int fd : fds) {
            if (fd >= 0) {
                polled[count++] = {fd, POLLIN, 0};
            }
        }
        if (count == 0 || ::poll(polled, count, waitMs) <= 0) {
            return false;
        }
        for (nfds_t i = 0; i < count; ++i) {
            if (polled[i].revents != 0) {
                readFrom(polled[i].fd);
            }
        }
        return true;
    }

    void readFrom(int fd)
    {
        char chunk[4096];
        const ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) {
            return;
        }
        const int which = fd == fds[0] ? 0 : 1;
        if (n <= 0) {
            ::close(fd);
            fds[which] = -1;
            return;
        }
        std::string& into = which == 0 ? results : output;
        into.append(chunk, static_cast<std::size_t>(n));
        if (which == 1 && output.size() > 2 * outputTailBytes) {
            output.erase(0, output.size() - outputTailBytes);
        }
    }

    void closeAll()
    {
        for (int& fd : fds) {
            if (fd >= 0) {
                ::close(fd);
                fd = -1;
            }
        }
    }
};

void readMessages(const std::string& lines, probeOutcome& outcome, bool& finished)
{
    std::size_t start = 0;
    while (start < lines.size()) {
        std::size_t end = lines.find('\n', start);
        if (end == std::string::npos) {
            end = lines.size();
        }
        const nlohmann::json message = nlohmann::json::parse(lines.substr(start, end - start), nullptr, false);
        start = end + 1;
        if (!message.is_object()) {
            continue;
        }
        if (message.contains("note")) {
            if (outcome.notes.size() >= maxNotes) {
                outcome.notes.erase(outcome.notes.begin());
            }
            outcome.notes.push_back({message.value("note", ""), message.value("step", std::int64_t{-1})});
        } else if (message.contains("result")) {
            outcome.value = message["result"];
            finished = true;
        } else if (message.contains("escaped")) {
            outcome.problem = "an exception escaped: " + message.value("escaped", "");
        }
    }
}

std::string describeStatus(int status)
{
    if (WIFSIGNALED(status)) {
        const int signal = WTERMSIG(status);
        const char* name = ::strsignal(signal);
        return "killed by signal " + std::to_string(signal) + " (" + (name != nullptr ? name : "unknown") + ")";
    }
    if (WIFEXITED(status)) {
        return "exited with status " + std::to_string(WEXITSTATUS(status)) + " before it finished";
    }
    return "ended in an unknown way";
}

class childProcessRunner final : public probeRunner {
public:
    probeOutcome run(const probeBody& body, std::chrono::milliseconds limit) override
    {
        probeOutcome outcome;
        const auto started = std::chrono::steady_clock::now();
        int resultPipe[2];
        int outputPipe[2];
        if (::pipe(resultPipe) != 0) {
            return failedToStart(outcome, "cannot create a pipe");
        }
        if (::pipe(outputPipe) != 0) {
            ::close(resultPipe[0]);
            ::close(resultPipe[1]);
            return failedToStart(outcome, "cannot create a pipe");
        }
        std::cout.flush();
        std::fflush(nullptr);
        const pid_t child = ::fork();
        if (child == 0) {
            ::close(resultPipe[0]);
            ::close(outputPipe[0]);
            runChild(body, resultPipe[1], outputPipe[1]);
        }
        ::close(resultPipe[1]);
        ::close(outputPipe[1]);
        childStreams streams;
        streams.fds[0] = resultPipe[0];
        streams.fds[1] = outputPipe[0];
        if (child < 0) {
            streams.closeAll();
            return failedToStart(outcome, std::string("cannot start a child process: ") + std::strerror(errno));
        }
        const int status = collect(child, streams, started + limit, outcome);
        bool finished = false;
        readMessages(streams.results, outcome, finished);
        outcome.output = streams.output.size() > outputTailBytes
                             ? streams.output.substr(streams.output.size() - outputTailBytes)
                             : streams.output;
        if (outcome.how != probeOutcome::ending::timedOut && !finished) {
            outcome.how = probeOutcome::ending::crashed;
            if (outcome.problem.empty()) {
                outcome.problem = describeStatus(status);
            }
        }
        outcome.duration =
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started);
        return outcome;
    }

    bool isolates() const override { return true; }

private:
    static probeOutcome& failedToStart(probeOutcome& outcome, const std::string& why)
    {
        outcome.how = probeOutcome::ending::crashed;
        outcome.problem = why;
        return outcome;
    }

    // Reads the child's streams until it ends or the deadline passes (then
    // kills it); returns its wait status.
    static int collect(pid_t child, childStreams& streams, std::chrono::steady_clock::time_point deadline,
                       probeOutcome& outcome)
    {
        int status = 0;
        bool reaped = false;
        while (!reaped) {
            const auto now = std::chrono::steady_clock::now();
            if (now >= deadline) {
                ::kill(child, SIGKILL);
                outcome.how = probeOutcome::ending::timedOut;
                break;
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now).count();
            streams.pump(static_cast<int>(left < 50 ? left : 50));
            reaped = ::waitpid(child, &status, WNOHANG) == child;
        }
        if (reaped) {
            // Whatever the child wrote before it ended is still in the pipes.
            while (streams.open() && streams.pump(0)) {
            }
        } else {
            while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
            }
        }
        streams.closeAll();
        return status;
    }
};

}  // namespace

std::unique_ptr<probeRunner> makeChildProcessRunner()
{
    return std::make_unique<childProcessRunner>();
}

#endif
