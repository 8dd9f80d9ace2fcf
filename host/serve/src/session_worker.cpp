#include "session_worker.h"

#include "serve_messages.h"
#include "exit_codes.h"
#include "input_rules.h"
#include "live_loop.h"
#include "module_isolation.h"
#include "operator_outcome.h"
#include "session_snapshot.h"
#include "watched_child.h"

#include <ostream>
#include <streambuf>

namespace panel_host {

namespace {

// Sends the worker's messages to its watcher.
class messageWriter {
public:
    explicit messageWriter(watchReport& report) : report_(report) {}

    bool ok() const { return report_.ok(); }

    void send(const nlohmann::json& message) { report_.send(message); }

    void sendStateIfChanged(const nlohmann::json& state)
    {
        if (state != lastState_) {
            lastState_ = state;
            send({{serveMessage::state, state}});
        }
    }

private:
    watchReport& report_;
    nlohmann::json lastState_;
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
            writer_.send({{serveMessage::log, {line_}}});
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

int runSessionWorker(const hostSetup& setup, int inputFd, watchReport& report)
{
    messageWriter writer(report);
    transcriptLines lines(writer);
    std::ostream transcript(&lines);
    // Lines that cannot run are reported in the log, like everything else.
    scenarioRunner runner(setup, transcript, "", transcript);
    runProgress progress(&report);
    runner.addObserver(&progress);
    progress.setCause("the start of the session");
    if (!runner.start()) {
        writer.send({{serveMessage::end, {{"message", "the session could not start; see the log"}, {"failed", true}}}});
        return usageErrorExit;
    }
    hostSession& session = *runner.session();
    const snapshotSources sources{setup.modulePath, setup.layoutFolder, setup.routerFile};
    writer.sendStateIfChanged(sessionSnapshot(session, sources));

    lineReader input(inputFd);
    liveLoopSteps steps;
    steps.read = [&writer, &input, &progress](int timeoutMs, std::string& text) {
        progress.idle();
        const lineReader::status got = writer.ok() ? input.read(timeoutMs, text) : lineReader::status::end;
        progress.setCause("a timer tick");
        return got;
    };
    steps.timePassed = [&writer, &session, &sources](lineReader::status) {
        writer.sendStateIfChanged(sessionSnapshot(session, sources));
    };
    steps.line = [&writer, &runner, &transcript, &session, &sources, &progress](const std::string& text, int number) {
        progress.setCause("operator line " + std::to_string(number) + ": " + text);
        const scenarioLineParse parsed = parseScenarioLine(text, number);
        if (parsed.ok && parsed.line.what == scenarioLine::kind::quit) {
            return false;
        }
        actionOutcome outcome;
        if (parsed.ok && parsed.line.isOperatorAction()) {
            runner.run(parsed.line);
            outcome = runner.lastOutcome();
        } else {
            transcript << "  ! not an operator action: " << shownText(text) << '\n';
            outcome = actionOutcome::failure(parsed.ok ? "not an operator action: " + shownText(text) : parsed.reason);
        }
        // The state first: once the line's outcome is known, so is what it did.
        writer.sendStateIfChanged(sessionSnapshot(session, sources));
        writer.send(outcomeMessage(outcome));
        return true;
    };
    runLiveLoop(session, steps);
    progress.setCause("the end of the session (the script is deleted)");
    runner.finish();
    transcript << "# " << session.report().summary();
    writer.sendStateIfChanged(sessionSnapshot(session, sources));
    writer.send({{serveMessage::end, {{"message", "the session ended; the module was unloaded"}, {"failed", false}}}});
    return 0;
}

}  // namespace panel_host
