// The isolation seam: probes in child processes (fork, pipes, waitpid with a
// deadline) on POSIX; in the caller's process on Windows.
#include "probe_runner.h"

#if !defined(_WIN32)
#include "watched_child.h"

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

// In the child: every note, and the result last, go to the parent as
// messages of the watched child.
class pipeProgress final : public progressChannel {
public:
    explicit pipeProgress(watchReport& report) : report_(report) {}
    void note(const std::string& text, std::int64_t step) override { send({{"note", text}, {"step", step}}); }
    void send(const nlohmann::json& message) { report_.send(message); }

private:
    watchReport& report_;
};

int runProbe(const probeBody& body, watchReport& report, int outputFd)
{
    ::dup2(outputFd, STDOUT_FILENO);
    ::dup2(outputFd, STDERR_FILENO);
    ::close(outputFd);
    // Unbuffered, so that what a probe prints before it crashes is not lost.
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    pipeProgress progress(report);
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

void readMessage(const nlohmann::json& message, probeOutcome& outcome, bool& finished)
{
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
        // The whole probe is one call under the limit.
        watchedChild child(limit, true);
        std::string problem;
        const bool running = child.start(
            [&body, &outputPipe](int inputFd, watchReport& report) {
                ::close(inputFd);
                return runProbe(body, report, outputPipe[1]);
            },
            problem);
        ::close(outputPipe[1]);
        outputTail output(outputPipe[0]);
        if (!running) {
            return failedToStart(outcome, problem);
        }
        bool finished = false;
        collect(child, output, outcome, finished);
        output.drain();
        const childEnding ending = child.wait();
        outcome.output = output.tail();
        if (child.run().timedOut) {
            outcome.how = probeOutcome::ending::timedOut;
        } else if (!finished) {
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

    // Reads the child's messages and output until it has ended (killed
    // when it runs past its limit).
    static void collect(watchedChild& child, outputTail& output, probeOutcome& outcome, bool& finished)
    {
        const auto take = [&outcome, &finished](const nlohmann::json& message) {
            readMessage(message, outcome, finished);
        };
        do {
            pollfd polled[2] = {{child.outputFd(), POLLIN, 0}, {output.fd(), POLLIN, 0}};
            ::poll(polled, output.fd() >= 0 ? 2 : 1, 50);
            if (output.fd() >= 0 && polled[1].revents != 0) {
                output.readSome();
            }
        } while (child.pump(0, take));
    }
};

}  // namespace

std::unique_ptr<probeRunner> makeChildProcessRunner()
{
    return std::make_unique<childProcessRunner>();
}

#endif

}  // namespace panel_host
