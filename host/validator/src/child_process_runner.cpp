// The isolation seam: probes in child processes (fork, pipes, waitpid with a
// deadline) on POSIX; in the caller's process on Windows.
#include "probe_runner.h"

#if !defined(_WIN32)
#include "child_process.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>
#endif

namespace panel_host {

#if defined(_WIN32)

std::unique_ptr<probeRunner> makeChildProcessRunner()
{
    return makeInProcessRunner();
}

#else

namespace {

constexpr std::size_t outputTailBytes = 8192;
constexpr std::size_t maxNotes = 10000;

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

int runProbe(const probeBody& body, int resultFd, int outputFd)
{
    ::dup2(outputFd, STDOUT_FILENO);
    ::dup2(outputFd, STDERR_FILENO);
    ::close(outputFd);
    // Unbuffered, so that what a probe prints before it crashes is not lost.
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    pipeProgress progress(resultFd);
    try {
        nlohmann::json value = body(progress);
        progress.send({{"result", std::move(value)}});
        return 0;
    } catch (const std::exception& e) {
        progress.send({{"escaped", e.what()}});
    } catch (...) {
        progress.send({{"escaped", ""}});
    }
    return 3;
}

// The end of what the child prints, read from its own pipe.
class outputTail {
public:
    explicit outputTail(int fd) : fd_(fd) {}
    ~outputTail() { close(); }
    outputTail(const outputTail&) = delete;
    outputTail& operator=(const outputTail&) = delete;

    int fd() const { return fd_; }
    // Reads what is there; closes the pipe at its end.
    void readSome()
    {
        char chunk[4096];
        const ssize_t n = ::read(fd_, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) {
            return;
        }
        if (n <= 0) {
            close();
            return;
        }
        text_.append(chunk, static_cast<std::size_t>(n));
        if (text_.size() > 2 * outputTailBytes) {
            text_.erase(0, text_.size() - outputTailBytes);
        }
    }
    // Reads what is left once the child has ended.
    void drain()
    {
        pollfd ready{fd_, POLLIN, 0};
        while (fd_ >= 0 && ::poll(&ready, 1, 0) > 0) {
            readSome();
            ready.fd = fd_;
        }
        close();
    }
    std::string tail() const
    {
        return text_.size() > outputTailBytes ? text_.substr(text_.size() - outputTailBytes) : text_;
    }

private:
    void close()
    {
        if (fd_ >= 0) {
            ::close(fd_);
            fd_ = -1;
        }
    }

    int fd_;
    std::string text_;
};

void readMessage(const std::string& line, probeOutcome& outcome, bool& finished)
{
    const nlohmann::json message = nlohmann::json::parse(line, nullptr, false);
    if (!message.is_object()) {
        return;
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

class childProcessRunner final : public probeRunner {
public:
    probeOutcome run(const probeBody& body, std::chrono::milliseconds limit) override
    {
        probeOutcome outcome;
        const auto started = std::chrono::steady_clock::now();
        int outputPipe[2];
        if (::pipe2(outputPipe, O_CLOEXEC) != 0) {
            return failedToStart(outcome, "cannot create a pipe");
        }
        childProcess child;
        std::string problem;
        const bool running = child.start(
            [&body, &outputPipe](int inputFd, int resultFd) {
                ::close(inputFd);
                return runProbe(body, resultFd, outputPipe[1]);
            },
            problem);
        ::close(outputPipe[1]);
        outputTail output(outputPipe[0]);
        if (!running) {
            return failedToStart(outcome, problem);
        }
        bool finished = false;
        collect(child, output, started + limit, outcome, finished);
        output.drain();
        const childEnding ending = child.wait();
        outcome.output = output.tail();
        if (outcome.how != probeOutcome::ending::timedOut && !finished) {
            outcome.how = probeOutcome::ending::crashed;
            if (outcome.problem.empty()) {
                outcome.problem = ending.how + (ending.exited ? " before it finished" : "");
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

    // Reads the child's messages and output until it closes its channel or
    // the deadline passes (then kills it).
    static void collect(childProcess& child, outputTail& output, std::chrono::steady_clock::time_point deadline,
                        probeOutcome& outcome, bool& finished)
    {
        for (;;) {
            const auto now = std::chrono::steady_clock::now();
            if (now >= deadline) {
                child.kill();
                outcome.how = probeOutcome::ending::timedOut;
                return;
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now).count();
            pollfd polled[2] = {{child.outputFd(), POLLIN, 0}, {output.fd(), POLLIN, 0}};
            ::poll(polled, output.fd() >= 0 ? 2 : 1, static_cast<int>(left < 50 ? left : 50));
            if (output.fd() >= 0 && polled[1].revents != 0) {
                output.readSome();
            }
            std::string line;
            lineReader::status got;
            while ((got = child.read(0, line)) == lineReader::status::line) {
                readMessage(line, outcome, finished);
            }
            // Ended, or gone while a process it started holds the channel.
            if (got == lineReader::status::end || child.ended()) {
                while (child.read(0, line) == lineReader::status::line) {
                    readMessage(line, outcome, finished);
                }
                return;
            }
        }
    }
};

}  // namespace

std::unique_ptr<probeRunner> makeChildProcessRunner()
{
    return std::make_unique<childProcessRunner>();
}

#endif

}  // namespace panel_host
