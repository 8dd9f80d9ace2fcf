#pragma once

#include "module_isolation.h"
#include "scenario_runner.h"

#include <CLI/CLI.hpp>

namespace panel_host {

// Where panel-host finds the module, the layouts and the router when no
// option says otherwise: the environment variables PANEL_HOST_MODULE,
// PANEL_HOST_LAYOUTS and PANEL_HOST_ROUTER, else the routing panel and the
// layouts found relative to the panel-host file (in the build tree, or in an
// installed tree), and the built-in router.
hostSetup defaultHostSetup();

// Adds --module, --layouts and --router to `command`, filling `setup`.
void addHostOptions(CLI::App& command, hostSetup& setup);

// --in-process and --timeout, as given; read() checks the timeout.
struct isolationOptions {
    isolationSettings settings;
    std::string timeout = "10";

    // False (reported as one error line) when --timeout is not a number of
    // seconds in range.
    bool read();
};

// Adds --in-process and --timeout to a command that loads a module.
void addIsolationOptions(CLI::App& command, isolationOptions& options);
// Adds --timeout alone (a command whose module always runs in a watched child).
void addTimeoutOption(CLI::App& command, isolationOptions& options);

}  // namespace panel_host
