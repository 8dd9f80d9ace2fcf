#include "module_isolation.h"

#include "exit_codes.h"
#include "input_rules.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>

#ifndef _WIN32
#include "stop_signals.h"
#include "watched_child.h"

#include <csignal>
#include <termios.h>
#include <unistd.h>
#endif

namespace panel_host {

#ifdef _WIN32
// No watched children here: nobody is told.
class watchReport {
public:
    void cause(const std::string&) {}
    void busy() {}
    void idle() {}
    void finished(int) {}
};
#endif

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

#ifdef _WIN32

int runIsolated(const isolationSettings&, const std::function<int(runProgress&)>& frontEnd)
{
    runProgress progress;
    return frontEnd(progress);
}

#else

namespace {

// A child that has not ended this long after Ctrl-C is killed.
constexpr std::chrono::milliseconds interruptGrace{1000};

// The terminal's settings, put back when a child that changed them is killed.
class terminalSettings {
public:
    terminalSettings() : saved_(::isatty(STDIN_FILENO) != 0 && ::tcgetattr(STDIN_FILENO, &settings_) == 0) {}
    void restore() const
    {
        if (saved_) {
            ::tcsetattr(STDIN_FILENO, TCSANOW, &settings_);
            std::cerr << '\n';
        }
    }

private:
    termios settings_{};
    bool saved_;
};

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

}  // namespace

int runIsolated(const isolationSettings& settings, const std::function<int(runProgress&)>& frontEnd)
{
    if (settings.inProcess) {
        runProgress progress;
        return frontEnd(progress);
    }
    const terminalSettings terminal;
    watchedChild child(settings.timeout);
    std::string problem;
    const bool started = child.start(
        [&frontEnd](int inputFd, watchReport& report) {
            // The terminal's Ctrl-C reaches the whole process group: the
            // parent decides what it means (a line editor may still take it
            // while it reads a line), so it never kills this process outright.
            std::signal(SIGINT, SIG_IGN);
            ::close(inputFd);
            runProgress progress(&report);
            const int code = frontEnd(progress);
            progress.finished(code);
            return code;
        },
        problem);
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
        std::signal(stop.stoppedBy, SIG_DFL);
        std::raise(stop.stoppedBy);
        return 128 + stop.stoppedBy;
    }
    if (stop.killedAfterStop && !stop.busyWhenKilled) {
        // Ctrl-C while the session waited for a line: it simply ends.
        return 128 + SIGINT;
    }
    if (stop.killedAfterStop) {
        return report("the module did not return within " + secondsText(interruptGrace) + " of Ctrl-C during " +
                      excerpt(run.cause, 200) + "; it was stopped");
    }
    return report(watchedFailure(run, ending, settings.timeout));
}

#endif

}  // namespace panel_host
