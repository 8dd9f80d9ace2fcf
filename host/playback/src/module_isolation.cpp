#include "module_isolation.h"

#include "exit_codes.h"
#include "input_rules.h"

#include "stop_signals.h"
#include "terminal_settings.h"
#include "watched_child.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <iostream>

namespace panel_host {

void runProgress::setCause(const std::string& cause)
{
    if (cause != cause_) {
        cause_ = cause;
        if (report_ != nullptr) {
            report_->cause(cause);
        }
    }
}

void runProgress::busy()
{
    if (report_ != nullptr) {
        std::cout.flush();
        std::cerr.flush();
        busy_ = true;
        report_->busy();
    }
}

void runProgress::idle()
{
    if (busy_) {
        busy_ = false;
        report_->idle();
    }
}

void runProgress::finished(int code)
{
    std::cout.flush();
    std::cerr.flush();
    if (report_ != nullptr) {
        report_->finished(code);
    }
}

void runProgress::stage(const std::string&)
{
    busy();
}

void runProgress::notificationStarting(const notification&)
{
    busy();
}

namespace {

// A child that has not ended this long after Ctrl-C is killed.
constexpr std::chrono::milliseconds interruptGrace{1000};

// What a stop signal did to the watched run.
struct stopOutcome {
    int stoppedBy = 0;
    bool killedAfterStop = false;
    bool busyWhenKilled = false;  // in a module call when it was killed after a stop
};

void watch(watchedChild& child, const stopSignals& signals, stopOutcome& stop)
{
    using clock = std::chrono::steady_clock;
    auto killAt = clock::time_point::max();
    const auto ignore = [](const nlohmann::json&) {};
    while (child.pump(100, ignore)) {
        const auto now = clock::now();
        if (signals.caught() != 0 && stop.stoppedBy == 0) {
            stop.stoppedBy = signals.caught();
            // Ctrl-C is the session's to answer; other signals end it now.
            killAt = stop.stoppedBy == SIGINT ? now + interruptGrace : now;
        }
        if (now >= killAt && !stop.killedAfterStop) {
            stop.killedAfterStop = true;
            stop.busyWhenKilled = child.run().busy;
            child.kill();
        }
    }
}

int report(const std::string& text)
{
    std::cout.flush();
    std::cerr << "error: " << text << '\n' << std::flush;
    return runFailedExit;
}

// The task of a watched child that runs the front end.
constexpr const char* frontEndTask = "front end";

// The child's side: the front end, telling its watcher each call.
int runFrontEnd(const std::function<int(runProgress&)>& frontEnd, int inputFd, watchReport& report)
{
    // The terminal's Ctrl-C reaches the whole process group (every process
    // of the console): the parent decides what it means (a line editor may
    // still take it while it reads a line), so it never ends this process.
    ignoreInterrupt();
    closeDescriptor(inputFd);
    runProgress progress(&report);
    const int code = frontEnd(progress);
    progress.finished(code);
    return code;
}

}  // namespace

int runIsolated(const isolationSettings& settings, const std::function<int(runProgress&)>& frontEnd)
{
    watchedChild::runStartedTask(frontEndTask, [&frontEnd](const std::string&, int inputFd, watchReport& report) {
        return runFrontEnd(frontEnd, inputFd, report);
    });
    if (settings.inProcess) {
        runProgress progress;
        return frontEnd(progress);
    }
    const terminalSettings terminal;
    watchedChild child(settings.timeout);
    std::string problem;
    const bool started = child.start(
        {frontEndTask},
        [&frontEnd](int inputFd, watchReport& report) { return runFrontEnd(frontEnd, inputFd, report); }, problem);
    if (!started) {
        return report(problem);
    }
    stopOutcome stop;
    {
        const stopSignals signals;
        watch(child, signals, stop);
    }
    const childEnding ending = child.wait();
    const watchedRun& run = child.run();
    if (run.toldExit && !run.timedOut && !stop.killedAfterStop) {
        return *run.toldExit;
    }
    if (!ending.exited) {
        terminal.restore();
    }
    if (stop.stoppedBy != 0 && !(stop.stoppedBy == SIGINT && stop.killedAfterStop)) {
        return endAsStopped(stop.stoppedBy);
    }
    if (stop.killedAfterStop && !stop.busyWhenKilled) {
        // Ctrl-C while the session waited for a line: it simply ends.
        return interruptedExit();
    }
    if (stop.killedAfterStop) {
        return report("the module did not return within " + secondsText(interruptGrace) + " of Ctrl-C during " +
                      excerpt(run.cause, 200) + "; it was stopped");
    }
    return report(watchedFailure(run, ending, settings.timeout));
}

}  // namespace panel_host
