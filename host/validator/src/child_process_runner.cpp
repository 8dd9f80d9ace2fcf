// The isolation seam of the validator: each probe in a watched child
// process of its own, its standard output and error on a pipe of their
// own, so that a crash names where the probe was and what it printed last.
#include "probe_runner.h"

#include "event_vocabulary.h"
#include "input_wait.h"
#include "probe_keys.h"
#include "watched_child.h"

#include <cerrno>
#include <cstdio>

namespace panel_host {

namespace {

constexpr std::size_t outputTailBytes = 8192;
constexpr std::size_t maxNotes = 10000;
// The task of a probe's child: this, then the probe's key.
const std::string probeTask = "probe ";

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

int runProbe(const probeBody& body, watchReport& report)
{
    // Unbuffered, so that what a probe prints before it crashes is not lost.
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    pipeProgress progress(report);
    if (!body) {
        progress.send({{"escaped", "no such probe"}});
        return 3;
    }
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
        const long n = readInput(fd_, chunk, sizeof chunk);
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
        while (fd_ >= 0 && waitForInput({fd_}, 0)) {
            readSome();
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
            closeDescriptor(fd_);
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
    probeOutcome run(const std::string& key, const probeBody& body, std::chrono::milliseconds limit) override
    {
        probeOutcome outcome;
        const auto started = std::chrono::steady_clock::now();
        int outputRead = -1;
        int outputWrite = -1;
        if (!openPipe(outputRead, outputWrite)) {
            return failedToStart(outcome, "cannot create a pipe");
        }
        // The whole probe is one call under the limit.
        watchedChild child(limit, true);
        std::string problem;
        const bool running = child.start(
            {probeTask + key, outputWrite},
            [&body](int inputFd, watchReport& report) {
                closeDescriptor(inputFd);
                return runProbe(body, report);
            },
            problem);
        closeDescriptor(outputWrite);
        outputTail output(outputRead);
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
            waitForInput({child.outputFd(), output.fd()}, 50);
            if (output.fd() >= 0 && waitForInput({output.fd()}, 0)) {
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

void runStartedProbe(const validationSettings& settings)
{
    watchedChild::runStartedTask(probeTask, [&settings](const std::string& task, int inputFd, watchReport& report) {
        closeDescriptor(inputFd);
        const eventVocabulary vocabulary = buildVocabulary(settings.layoutFolder, settings.devices);
        const std::unique_ptr<probeRunner> nested = makeInProcessRunner();
        return runProbe(probeOfKey(settings, vocabulary, *nested, task.substr(probeTask.size())), report);
    });
}

}  // namespace panel_host
