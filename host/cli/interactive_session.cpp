#include "interactive_session.h"

#include "change_view.h"
#include "cli_support.h"
#include "input_rules.h"
#include "line_reader.h"
#include "live_loop.h"
#include "panel_view.h"
#include "terminal_input.h"
#include "terminal_style.h"

#include <iostream>
#include <sstream>

namespace panel_host {

namespace {

// Lines longer than this are refused (and the rest of them skipped).
constexpr std::size_t maxLineBytes = 1024 * 1024;

const char* const standardInput = "standard input";
constexpr int standardInputFd = 0;

enum class lineOutcome { ran, unreadable, quit };

// Where a problem is: "standard input:2:1" from a pipe or file; on a
// terminal, where the operator typed it, "line 2, column 1".
std::string linePlace(bool typed, int number, std::size_t column)
{
    return typed ? "line " + std::to_string(number) + ", column " + std::to_string(column)
                 : placeName(standardInput, {static_cast<std::size_t>(number), column});
}

// Parses and runs one operator line. Problems go to `errors` as one line
// naming the line and column.
lineOutcome runOperatorLine(scenarioRunner& runner, const std::string& text, int number, bool tooLong,
                            std::ostream& errors, bool& wasAction, bool typed = false)
{
    wasAction = false;
    const auto problem = [&errors, number, typed](std::size_t column, const std::string& reason) {
        errors << "error: " << linePlace(typed, number, column) << ": " << reason << '\n';
        return lineOutcome::unreadable;
    };
    if (tooLong) {
        return problem(maxLineBytes + 1, "the line is longer than " + std::to_string(maxLineBytes) + " bytes");
    }
    const scenarioLineParse parsed = parseScenarioLine(text, number);
    if (!parsed.ok) {
        return problem(parsed.column, parsed.reason);
    }
    if (parsed.line.what == scenarioLine::kind::quit) {
        return lineOutcome::quit;
    }
    if (parsed.line.isSetting()) {
        return problem(1,
                       "settings are options here: --layouts, --router (path and host passive only in scenario files)");
    }
    runner.run(parsed.line);
    wasAction = parsed.line.isAction();
    return lineOutcome::ran;
}

std::string lineCause(int number, const std::string& text)
{
    return std::string(standardInput) + ":" + std::to_string(number) + ": " + text;
}

// Each error line in `errors` (written "error: TEXT") under the cap; empties it.
void reportCapped(std::ostringstream& errors, errorLineCap& cap)
{
    std::istringstream lines(errors.str());
    errors.str({});
    const std::string prefix = "error: ";
    for (std::string line; std::getline(lines, line);) {
        cap.report(line.rfind(prefix, 0) == 0 ? line.substr(prefix.size()) : line);
    }
}

int runFromPipe(const hostSetup& setup, runProgress& progress)
{
    std::ostringstream errors;
    errorLineCap cap;
    scenarioRunner runner(setup, std::cout, "", errors);
    runner.addObserver(&progress);
    if (!runner.start()) {
        reportCapped(errors, cap);
        return usageErrorExit;
    }
    std::cout << renderSessionView(*runner.session());
    bool unreadable = false;
    std::string text;
    bool tooLong = false;
    lineReader input(standardInputFd, maxLineBytes);
    for (int number = 1;;) {
        progress.idle();
        const lineReader::status got = input.read(-1, text, &tooLong);
        if (got == lineReader::status::end) {
            break;
        }
        if (got != lineReader::status::line) {
            continue;  // a signal came
        }
        progress.setCause(lineCause(number, text));
        bool wasAction = false;
        const lineOutcome outcome = runOperatorLine(runner, text, number, tooLong, errors, wasAction);
        reportCapped(errors, cap);
        if (outcome == lineOutcome::quit) {
            break;
        }
        unreadable = unreadable || outcome == lineOutcome::unreadable;
        if (wasAction) {
            std::cout << renderSessionView(*runner.session());
        }
        ++number;
    }
    progress.setCause("the end of the input (the script is deleted)");
    runner.finish();
    reportCapped(errors, cap);
    cap.finish(standardInput);
    std::cout << "# " << runner.session()->report().summary();
    for (const std::string& failure : runner.failures()) {
        std::cout << "# FAILED " << failure;
    }
    return exitAfterOutput(unreadable ? usageErrorExit : 0);
}

// Counts the notifications delivered and keeps the breaches and diagnostics,
// so that ticks fired in the background can be summed up in a status line.
class backgroundWatch final : public hostObserver {
public:
    void notificationStarting(const notification&) override { ++deliveries; }
    void breachFound(const contractBreach& breach) override
    {
        notes.push_back("!! breach " + std::string(breachKindName(breach.kind)) + ": " + breach.detail);
    }
    void diagnostic(const std::string& text) override { notes.push_back("! " + text); }

    long deliveries = 0;
    std::vector<std::string> notes;
};

class terminalSession {
public:
    terminalSession(const hostSetup& setup, const interactiveOptions& options, runProgress& progress)
        : options_(options), progress_(progress), colour_(colourWanted()), runner_(setup, out_, "", errors_)
    {
        runner_.addObserver(&progress);
        runner_.setEcho(false);
        runner_.setPathNames(false);
        runner_.printer().setStyle({colour_, !options.verbose});
    }

    int run()
    {
        const bool started = runner_.start();
        runner_.printer().flush();
        std::cout << take();
        if (!started) {
            return usageErrorExit;
        }
        hostSession& session = *runner_.session();
        std::cout << (options_.verbose ? renderSessionView(session) : renderPanelView(session))
                  << coloured(colour_, "2",
                              "type help for the commands, show for the whole panel and router, quit "
                              "to end; Tab completes")
                  << '\n';
        session.addObserver(&watch_);
        {
            terminalInput input("> ");
            loop(session, input);
        }
        session.removeObserver(&watch_);
        progress_.setCause("the end of the session (the script is deleted)");
        runner_.finish();
        runner_.printer().flush();
        std::cout << take() << "# " << session.report().summary();
        for (const std::string& failure : runner_.failures()) {
            std::cout << "# FAILED " << failure;
        }
        std::cout << std::flush;
        return 0;
    }

private:
    // What the runner printed since the last call, and its errors in colour.
    std::string take()
    {
        std::string text = out_.str();
        out_.str({});
        std::string errors = errors_.str();
        errors_.str({});
        if (!errors.empty()) {
            std::cout << text << std::flush;
            std::cerr << coloured(colour_, "1;31", errors.substr(0, errors.size() - 1)) << '\n' << std::flush;
            text.clear();
        }
        return text;
    }

    void updateCompletions(terminalInput& input, const hostSession& session)
    {
        std::vector<std::string> later = scenarioFollowingWords();
        for (std::int32_t instance = 1; instance <= session.instanceCount(); ++instance) {
            for (const auto& [number, layout] : session.panels(instance).panels()) {
                later.push_back(scenarioWord(number, session.textCodePage()));
                for (const panelControl& control : layout.controls) {
                    later.push_back(scenarioWord(control.name, session.textCodePage()));
                }
            }
        }
        input.setCompletions(scenarioKeywords(), later);
    }

    // Ticks that fell due while the operator typed: their commands in
    // --verbose, else one status line (and any breach or diagnostic).
    std::string background(hostSession& session)
    {
        runner_.printer().flush();
        std::string transcript = take();
        if (watch_.deliveries == seenDeliveries_) {
            return {};
        }
        seenDeliveries_ = watch_.deliveries;
        std::string text = options_.verbose ? transcript : std::string();
        if (!options_.verbose) {
            for (const std::string& note : watch_.notes) {
                text += coloured(colour_, note.rfind("!!", 0) == 0 ? "1;31" : "33", "  " + note) + "\n";
            }
        }
        watch_.notes.clear();
        return text + coloured(colour_, "2", renderButtonLine(session));
    }

    void loop(hostSession& session, terminalInput& input)
    {
        updateCompletions(input, session);
        liveLoopSteps steps;
        steps.read = [this, &input](int timeoutMs, std::string& text) {
            progress_.idle();
            const lineReader::status got = input.readLine(timeoutMs, text);
            progress_.setCause("a timer tick");
            return got;
        };
        steps.timePassed = [this, &session, &input](lineReader::status got) {
            if (const std::string status = background(session); !status.empty()) {
                if (got == lineReader::status::timeout) {
                    input.printAbove(status);
                } else {
                    std::cout << status << std::flush;
                }
            }
        };
        steps.line = [this, &session, &input](const std::string& text, int number) {
            if (!runLine(session, text, number)) {
                return false;
            }
            updateCompletions(input, session);
            input.showPrompt();
            return true;
        };
        runLiveLoop(session, steps);
    }

    // False when the session should end.
    bool runLine(hostSession& session, const std::string& text, int number)
    {
        const changeView before(session);
        progress_.setCause(lineCause(number, text));
        bool wasAction = false;
        const lineOutcome outcome = runOperatorLine(runner_, text, number, false, errors_, wasAction, true);
        runner_.printer().flush();
        std::cout << take();
        if (outcome == lineOutcome::quit) {
            return false;
        }
        if (wasAction && session.scriptLoaded()) {
            // A refused line changed nothing: the whole view again would hide the refusal.
            const bool whole = options_.verbose && runner_.lastOutcome().ok;
            const std::string changes = whole ? renderSessionView(session) : before.changesIn(session);
            std::cout << coloured(colour_, "1", changes.empty() ? "  (nothing changed)\n" : changes);
        }
        std::cout << std::flush;
        seenDeliveries_ = watch_.deliveries;
        watch_.notes.clear();
        return true;
    }

    const interactiveOptions& options_;
    runProgress& progress_;
    bool colour_;
    std::ostringstream out_;
    std::ostringstream errors_;
    scenarioRunner runner_;
    backgroundWatch watch_;
    long seenDeliveries_ = 0;  // deliveries already accounted for in the view
};

}  // namespace

void addInteractiveOptions(CLI::App& app, interactiveOptions& options)
{
    app.add_flag("--verbose", options.verbose,
                 "on a terminal: every tally and tick in full and the whole view after each line");
    addIsolationOptions(app, options.isolation);
}

int runInteractiveSession(const hostSetup& setup, interactiveOptions& options)
{
    if (!options.isolation.read()) {
        return usageErrorExit;
    }
    return runIsolated(options.isolation.settings, [&setup, &options](runProgress& progress) {
        if (!terminalInput::isTerminal()) {
            return runFromPipe(setup, progress);
        }
        return terminalSession(setup, options, progress).run();
    });
}

}  // namespace panel_host
