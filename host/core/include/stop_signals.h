#pragma once

#include <csignal>

namespace panel_host {

// The signals that end panel-host (Ctrl-C, SIGTERM, SIGHUP, SIGQUIT), caught
// while it watches a child process, so that it can end the child first and
// say why. One at a time; the previous handling is back once it goes.
class stopSignals {
public:
    stopSignals();
    ~stopSignals();
    stopSignals(const stopSignals&) = delete;
    stopSignals& operator=(const stopSignals&) = delete;

    // The first stop signal caught, or 0.
    int caught() const;
};

}  // namespace panel_host
