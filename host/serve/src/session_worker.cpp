#include "session_worker.h"

#include "child_process.h"
#include "session_snapshot.h"

#include <algorithm>
#include <chrono>
#include <ostream>
#include <streambuf>

namespace {

// Sends the worker's messages, one JSON object a line.
class messageWriter {
public:
    explicit messageWriter(int fd) : fd_(fd) {}

    bool ok() const { return ok_; }

    void send(const nlohmann::json& message)
    {
        ok_ = ok_ && writeAll(fd_, workerMessageLine(message) + "\n");
    }

    void sendStateIfChanged(const nlohmann::json& state)
    {
        if (state != lastState_) {
            lastState_ = state;
            send({{"state", state}});
        }
    }

private:
    int fd_;
    nlohmann::json lastState_;
    bool ok_ = true;
};

// The transcript's stream: every line goes out as a log message as soon as
// it is complete, so that the lines before a crash reach the page.
class transcriptLines final : public std::streambuf {
public:
    explicit transcriptLines(messageWriter& writer) : writer_(writer) {}

protected:
    int_type overflow(int_type c) override
    {
        if (traits_type::eq_int_type(c, traits_type::eof())) {
            return traits_type::not_eof(c);
        }
        if (traits_type::to_char_type(c) == '\n') {
            writer_.send({{"log", {line_}}});
            line_.clear();
        } else {
            line_ += traits_type::to_char_type(c);
        }
        return c;
    }

private:
    messageWriter& writer_;
    std::string line_;
};

bool isOperatorAction(scenarioLine::kind what)
{
    return what == scenarioLine::kind::choose || what == scenarioLine::kind::press ||
           what == scenarioLine::kind::route;
}

}  // namespace

std::string workerMessageLine(const nlohmann::json& message)
{
    return message.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

int runSessionWorker(const hostSetup& setup, int inputFd, int outputFd)
{
    using clock = std::chrono::steady_clock;
    messageWriter writer(outputFd);
    transcriptLines lines(writer);
    std::ostream transcript(&lines);
    // Lines that cannot run are reported in the log, like everything else.
    scenarioRunner runner(setup, transcript, "", transcript);
    if (!runner.start()) {
        writer.send({{"end", {{"message", "the session could not start; see the log"}, {"failed", true}}}});
        return 2;
    }
    hostSession& session = *runner.session();
    const snapshotSources sources{setup.modulePath, setup.layoutFolder, setup.routerFile};
    writer.sendStateIfChanged(sessionSnapshot(session, sources));

    lineReader input(inputFd);
    auto last = clock::now();
    for (int number = 1; writer.ok();) {
        const std::optional<std::int64_t> due = session.timers().nextDue();
        const std::int64_t untilDue = due ? *due - session.timers().now() : 1000;
        std::string text;
        const lineReader::status got =
            input.read(static_cast<int>(std::clamp<std::int64_t>(untilDue, 0, 1000)), text);
        const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(clock::now() - last);
        last += elapsed;
        session.wait(elapsed.count());
        if (got == lineReader::status::end) {
            break;
        }
        if (got == lineReader::status::line) {
            const scenarioLineParse parsed = parseScenarioLine(text, number++);
            if (parsed.ok && parsed.line.what == scenarioLine::kind::quit) {
                break;
            }
            if (parsed.ok && isOperatorAction(parsed.line.what)) {
                runner.run(parsed.line);
            } else {
                transcript << "  ! not an operator action: " << text << '\n';
            }
        }
        writer.sendStateIfChanged(sessionSnapshot(session, sources));
    }
    runner.finish();
    transcript << "# " << session.report().summary();
    writer.sendStateIfChanged(sessionSnapshot(session, sources));
    writer.send({{"end", {{"message", "the session ended; the module was unloaded"}, {"failed", false}}}});
    return 0;
}
