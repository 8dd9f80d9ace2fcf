#pragma once

#include "scenario_runner.h"

#include <CLI/CLI.hpp>

// Where panel-host finds the module, the layouts and the router when no
// option says otherwise: the environment variables PANEL_HOST_MODULE,
// PANEL_HOST_LAYOUTS and PANEL_HOST_ROUTER, else the built routing panel, the
// source tree's layouts/ folder and the built-in router.
hostSetup defaultHostSetup();

// Adds --module, --layouts and --router to `command`, filling `setup`.
void addHostOptions(CLI::App& command, hostSetup& setup);
