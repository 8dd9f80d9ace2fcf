#pragma once

#include <CLI/CLI.hpp>

#include <string>

namespace panel_host {

// Where validate finds the layouts and the router when no option says
// otherwise (panel-host passes its own defaults).
struct validateDefaults {
    std::string layoutFolder;
    std::string routerFile;  // empty: the built-in router
    std::string version;     // what --version prints ("": no --version)
};

// `panel-host validate MODULE [options]`: runs the contract checks on a panel
// module and prints a report. Sets exitCode when it ran: 0 nothing failed,
// 1 a check failed, crashed or timed out, 2 the run could not be set up.
void registerValidateCommand(CLI::App& app, int& exitCode, validateDefaults defaults);

}  // namespace panel_host
