#pragma once

#include "host_session.h"
#include "scenario_line.h"
#include "transcript_printer.h"

#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace panel_host {

struct scenarioForm;

// What a session is started with.
struct hostSetup {
    std::string modulePath;
    std::string layoutFolder;  // also the base path the script receives
    std::string routerFile;    // empty: the built-in default router
    // Script instances (panels) opened at the start, from 1; a scenario
    // opens more with @N lines.
    std::int32_t instances = 1;
};

// Plays scenario lines on a host session: settings first, then actions, whose
// commands the following expect lines check, in order. Prints a transcript of
// everything to `out`. The session is started (router read, module loaded)
// when the first line that is not a setting runs, or by start().
class scenarioRunner {
public:
    // Relative paths of setting lines are taken from `relativeTo` (the
    // scenario's folder; empty: the working folder). Errors (a line that
    // cannot run, a router file or module that cannot be used) go to `err`
    // as one line each, starting "error: ".
    scenarioRunner(hostSetup setup, std::ostream& out, std::string relativeTo, std::ostream& err);
    ~scenarioRunner();
    scenarioRunner(const scenarioRunner&) = delete;
    scenarioRunner& operator=(const scenarioRunner&) = delete;

    // Runs one parsed line. False when it could not run (the reason is
    // printed); a failed expectation is not such a case, see failures().
    bool run(const scenarioLine& line);
    // What the last line run came to: done, or why not (an operator action
    // the session refused says whether it named something unknown or cannot
    // be done now).
    const hostSession::actionOutcome& lastOutcome() const { return lastOutcome_; }
    // Reads the router and loads the module, if not done yet. False when
    // that failed (printed).
    bool start();
    // Closes the last expectation block and unloads the module.
    void finish();

    // Whether each line is printed ("> line") before what it caused; on by
    // default, off where a terminal already shows what was typed.
    void setEcho(bool echo) { echo_ = echo; }
    // Whether the module path and the folders are written as ${module},
    // ${layouts} and ${router} (on by default: transcripts that read the
    // same everywhere) or as they are.
    void setPathNames(bool on) { hidePaths_ = on; }
    // The name errors give the lines' source ("tests/x.scenario").
    void setSourceName(std::string name) { sourceName_ = std::move(name); }
    // Another observer of the session from its start (not owned; it must
    // outlive the runner).
    void addObserver(hostObserver* observer) { observers_.push_back(observer); }
    // The transcript printer, for front ends that change how it prints.
    transcriptPrinter& printer() { return printer_; }

    bool started() const { return session_ != nullptr; }
    // Null before start() succeeded.
    hostSession* session() { return session_.get(); }
    const pathNames& names() const { return names_; }

    // One readable report per failed expectation block, with the commands
    // wanted next to those received.
    const std::vector<std::string>& failures() const { return failures_; }
    // The first failed expectation of each failed block: its line, what it
    // wanted and what came ("nothing more", "no more commands" where no
    // command is meant).
    struct mismatch {
        int line = 0;
        std::string wanted;
        std::string got;
    };
    const std::vector<mismatch>& mismatches() const { return mismatches_; }
    int expectationsChecked() const { return checked_; }

    // What runs one form of line (the table of forms names one for each).
    using lineHandler = hostSession::actionOutcome (scenarioRunner::*)(const scenarioLine&);

private:
    class commandCollector;
    class queuedAnswers;
    using outcome = hostSession::actionOutcome;

    // The table of forms holds the handlers below.
    friend const std::vector<scenarioForm>& scenarioForms();

    // Whether a line of this form may run now, and what comes before its
    // handler: the session's start, the echo, a new block.
    bool prepare(const scenarioLine& line, const scenarioForm& form);

    // Settings.
    outcome setLayouts(const scenarioLine& line);
    outcome setRouter(const scenarioLine& line);
    outcome setPath(const scenarioLine& line);
    outcome setPassiveHost(const scenarioLine& line);
    outcome setNullHost(const scenarioLine& line);
    // Actions.
    outcome choose(const scenarioLine& line);
    outcome press(const scenarioLine& line);
    outcome route(const scenarioLine& line);
    outcome wait(const scenarioLine& line);
    // button, button-record, tally, tick, query, notify.
    outcome rawNotification(const scenarioLine& line);
    outcome unload(const scenarioLine& line);
    // What the host does inside a command of the next action.
    outcome during(const scenarioLine& line);
    // Checks, answers and views.
    outcome expectCommand(const scenarioLine& line);
    outcome expectNothing(const scenarioLine& line);
    outcome expectResult(const scenarioLine& line);
    outcome checkReply(const scenarioLine& line);
    outcome queueAnswer(const scenarioLine& line);
    outcome show(const scenarioLine& line);
    outcome printHelp(const scenarioLine& line);
    outcome quit(const scenarioLine& line);

    // Creates script instance `instance` (the next number) with the setup.
    bool openInstance(std::int32_t instance);
    // The line with its words and text as host bytes in the session's code
    // page, or false (printed) when it holds a character the page lacks.
    bool inHostBytes(const scenarioLine& line, scenarioLine& bytes);
    bool inHostBytes(const std::string& text, int lineNumber, std::string& bytes);

    // A command as reports show it: as an expect line would write it.
    std::string shownCommand(const std::optional<std::string>& text) const;
    // A reply or query result as reports show it.
    std::string shownReply(const std::optional<std::string>& text) const;

    void openBlock(const std::string& cause);
    void closeBlock();
    // The session's hook inside each command: the during lines due at it.
    void runDuringCommand();
    void fail(const scenarioLine& line, const std::string& why, std::string wanted, std::string got);
    std::string resolve(const std::string& path) const;
    void error(const std::string& text);

    hostSetup setup_;
    hostSession::actionOutcome lastOutcome_ = hostSession::actionOutcome::success();
    // Set by "path": the path the script receives at load (else the layout
    // folder), as written (null: std::nullopt). Set by "host passive": the
    // host carries out no command and raises no notification of its own; it
    // answers only from answer lines. Set by "host null": the script gets no
    // host object.
    bool pathSet_ = false;
    std::optional<std::string> pathText_;
    int pathLine_ = 0;
    std::optional<std::string> basePath_;
    bool passiveHost_ = false;
    bool nullHost_ = false;
    // Answer lines read before the session started (text, line number).
    std::vector<std::pair<std::optional<std::string>, int>> answersBeforeStart_;
    std::ostream& out_;
    std::string relativeTo_;
    pathNames names_;
    transcriptPrinter printer_;
    std::unique_ptr<commandCollector> collector_;
    std::unique_ptr<queuedAnswers> answers_;
    std::unique_ptr<hostSession> session_;
    std::vector<hostObserver*> observers_;
    bool startFailed_ = false;
    bool echo_ = true;
    bool hidePaths_ = true;
    std::ostream& err_;
    std::string sourceName_ = "standard input";

    // The current block: the commands since its action, and what its expect
    // lines wanted.
    std::string blockCause_;
    std::vector<std::string> blockWanted_;
    std::size_t cursor_ = 0;
    std::string blockProblem_;
    // During lines for the next action, and those of the current block not
    // done yet, each with its line.
    struct duringLine {
        scenarioLine line;    // the during line
        scenarioLine nested;  // the line the host runs then, in host bytes
    };
    std::vector<duringLine> duringNext_;
    std::vector<duringLine> duringBlock_;
    int checked_ = 0;
    std::vector<std::string> failures_;
    std::vector<mismatch> mismatches_;
};

}  // namespace panel_host
