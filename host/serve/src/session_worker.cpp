#include "session_worker.h"

#include "child_process.h"
#include "exit_codes.h"
#include "input_rules.h"
#include "live_loop.h"
#include "session_snapshot.h"

#include <ostream>
#include <streambuf>

namespace panel_host {

namespace {

// Sends the worker's messages, one JSON object a line.
class messageWriter {
public:
    explicit messageWriter(int fd) : fd_(fd) {}

    bool ok() const { return ok_; }

    void send(const nlohmann::json& message) { ok_ = ok_ && writeAll(fd_, workerMessageLine(message) + "\n"); }

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

}  // namespace

std::string workerMessageLine(const nlohmann::json& message)
{
    return message.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

int runSessionWorker(const hostSetup& setup, int inputFd, int outputFd)
{
    messageWriter writer(outputFd);
    transcriptLines lines(writer);
    std::ostream transcript(&lines);
    // Lines that cannot run are reported in the log, like everything else.
    scenarioRunner runner(setup, transcript, "", transcript);
    if (!runner.start()) {
        writer.send({{"end", {{"message", "the session could not start; see the log"}, {"failed", true}}}});
        return usageErrorExit;
    }
    hostSession& session = *runner.session();
    const snapshotSources sources{setup.modulePath, setup.layoutFolder, setup.routerFile};
    writer.sendStateIfChanged(sessionSnapshot(session, sources));

    lineReader input(inputFd);
    liveLoopSteps steps;
    steps.read = [&writer, &input](int timeoutMs, std::string& text) {
        return writer.ok() ? input.read(timeoutMs, text) : lineReader::status::end;
    };
    steps.timePassed = [&writer, &session, &sources](lineReader::status) {
        writer.sendStateIfChanged(sessionSnapshot(session, sources));
    };
    steps.line = [&writer, &runner, &transcript, &session, &sources](const std::string& text, int number) {
        const scenarioLineParse parsed = parseScenarioLine(text, number);
        if (parsed.ok && parsed.line.what == scenarioLine::kind::quit) {
            return false;
        }
        if (parsed.ok && parsed.line.isOperatorAction()) {
            runner.run(parsed.line);
        } else {
            transcript << "  ! not an operator action: " << shownText(text) << '\n';
        }
        writer.sendStateIfChanged(sessionSnapshot(session, sources));
        return true;
    };
    runLiveLoop(session, steps);
    runner.finish();
    transcript << "# " << session.report().summary();
    writer.sendStateIfChanged(sessionSnapshot(session, sources));
    writer.send({{"end", {{"message", "the session ended; the module was unloaded"}, {"failed", false}}}});
    return 0;
}

}  // namespace panel_host
