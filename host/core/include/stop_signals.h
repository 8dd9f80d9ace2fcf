#pragma once

#include <chrono>
#include <csignal>
#include <initializer_list>

namespace panel_host {

// The signals that end panel-host (Ctrl-C, SIGTERM, SIGHUP, SIGQUIT by
// default), caught while it watches a child process, so that it can end the
// child first and say why. One at a time (POSIX); the previous handling is
// back once it goes.
class stopSignals {
public:
    stopSignals(std::initializer_list<int> signals = {SIGINT, SIGTERM, SIGHUP, SIGQUIT});
    ~stopSignals();
    stopSignals(const stopSignals&) = delete;
    stopSignals& operator=(const stopSignals&) = delete;

    // The first stop signal caught, or 0.
    int caught() const;
    // Waits at most `wait` for a stop signal not taken yet; it, or 0.
    int next(std::chrono::milliseconds wait) const;
};

}  // namespace panel_host
