#include "module_isolation.h"

#include "exit_codes.h"
#include "input_rules.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>

#ifndef _WIN32
#include "child_process.h"

#include <csignal>
#include <termios.h>
#include <unistd.h>
#endif

namespace panel_host {

void runProgress::tell(const std::string& line)
{
#ifndef _WIN32
    if (fd_ >= 0) {
        writeAll(fd_, line + "\n");
    }
#else
    (void)line;
#endif
}

void runProgress::setCause(const std::string& cause)
{
    if (cause != cause_) {
        cause_ = cause;
        tell("cause " + cause);
    }
}

void runProgress::busy()
{
    if (fd_ >= 0) {
        std::cout.flush();
        std::cerr.flush();
        busy_ = true;
        tell("busy");
    }
}

void runProgress::idle()
{
    if (busy_) {
        busy_ = false;
        tell("idle");
    }
}

void runProgress::finished(int code)
{
    std::cout.flush();
    std::cerr.flush();
    tell("exit " + std::to_string(code));
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

volatile std::sig_atomic_t stopSignal = 0;

void onStopSignal(int signal)
{
    stopSignal = signal;
}

// Catches the signals that end panel-host while it watches, so that it can
// end the child first; restores them when done.
class stopSignals {
public:
    stopSignals()
    {
        stopSignal = 0;
        struct sigaction action {};
        action.sa_handler = onStopSignal;
        sigemptyset(&action.sa_mask);
        for (std::size_t i = 0; i < count; ++i) {
            sigaction(caught[i], &action, &previous_[i]);
        }
    }
    ~stopSignals()
    {
        for (std::size_t i = 0; i < count; ++i) {
            sigaction(caught[i], &previous_[i], nullptr);
        }
    }
    stopSignals(const stopSignals&) = delete;
    stopSignals& operator=(const stopSignals&) = delete;

private:
    static constexpr std::size_t count = 4;
    static constexpr int caught[count] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};
    struct sigaction previous_[count] {};
};

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

// What the watcher saw of the child.
struct watchedRun {
    std::string cause = "start-up";
    int exitCode = -1;  // from the child's "exit" line
    bool timedOut = false;
    bool killedAfterStop = false;
    bool busyWhenKilled = false;  // in a module call when it was killed after a stop
    int stoppedBy = 0;
};

void takeLine(const std::string& line, watchedRun& run, bool& busy, std::chrono::steady_clock::time_point& since)
{
    if (line.rfind("cause ", 0) == 0) {
        run.cause = line.substr(6);
    } else if (line == "busy") {
        busy = true;
        since = std::chrono::steady_clock::now();
    } else if (line == "idle") {
        busy = false;
    } else if (line.rfind("exit ", 0) == 0) {
        run.exitCode = std::atoi(line.c_str() + 5);
    }
}

void watch(childProcess& child, const isolationSettings& settings, watchedRun& run)
{
    using clock = std::chrono::steady_clock;
    bool busy = false;
    auto since = clock::now();
    auto killAt = clock::time_point::max();
    for (;;) {
        std::string line;
        const lineReader::status got = child.read(100, line);
        if (got == lineReader::status::end) {
            return;
        }
        if (got == lineReader::status::line) {
            takeLine(line, run, busy, since);
        } else if (child.ended()) {
            // Ended, though a process it started may hold its channel open.
            while (child.read(0, line) == lineReader::status::line) {
                takeLine(line, run, busy, since);
            }
            return;
        }
        const auto now = clock::now();
        if (stopSignal != 0 && run.stoppedBy == 0) {
            run.stoppedBy = stopSignal;
            // Ctrl-C is the session's to answer; other signals end it now.
            killAt = stopSignal == SIGINT ? now + interruptGrace : now;
        }
        if (now >= killAt && !run.killedAfterStop) {
            run.killedAfterStop = true;
            run.busyWhenKilled = busy;
            child.kill();
        }
        if (busy && !run.timedOut && now - since >= settings.timeout) {
            run.timedOut = true;
            child.kill();
        }
    }
}

std::string seconds(std::chrono::milliseconds duration)
{
    char text[32];
    std::snprintf(text, sizeof text, "%g s", static_cast<double>(duration.count()) / 1000.0);
    return text;
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
    childProcess child;
    std::string problem;
    const bool started = child.start(
        [&frontEnd](int inputFd, int progressFd) {
            // The terminal's Ctrl-C reaches the whole process group: the
            // parent decides what it means (a line editor may still take it
            // while it reads a line), so it never kills this process outright.
            std::signal(SIGINT, SIG_IGN);
            ::close(inputFd);
            runProgress progress(progressFd);
            const int code = frontEnd(progress);
            progress.finished(code);
            return code;
        },
        problem);
    if (!started) {
        return report(problem);
    }
    watchedRun run;
    {
        const stopSignals signals;
        watch(child, settings, run);
    }
    const childEnding ending = child.wait();
    const std::string where = " during " + excerpt(run.cause, 200);
    if (run.exitCode >= 0 && !run.timedOut && !run.killedAfterStop) {
        return run.exitCode;
    }
    if (!ending.exited) {
        terminal.restore();
    }
    if (run.stoppedBy != 0 && !(run.stoppedBy == SIGINT && run.killedAfterStop)) {
        std::signal(run.stoppedBy, SIG_DFL);
        std::raise(run.stoppedBy);
        return 128 + run.stoppedBy;
    }
    if (run.killedAfterStop && !run.busyWhenKilled) {
        // Ctrl-C while the session waited for a line: it simply ends.
        return 128 + SIGINT;
    }
    if (run.killedAfterStop) {
        return report("the module did not return within " + seconds(interruptGrace) + " of Ctrl-C" + where +
                      "; it was stopped");
    }
    if (run.timedOut) {
        return report("the module did not return within " + seconds(settings.timeout) + where +
                      "; it was stopped (--timeout)");
    }
    if (ending.exited) {
        return report("the module ended panel-host's session process (" + ending.how + ")" + where);
    }
    return report("the module crashed (" + ending.how + ")" + where);
}

#endif

}  // namespace panel_host
