#pragma once

#include <CLI/CLI.hpp>

namespace panel_host {

// `panel-host new DIR [--name NAME]`: writes a new panel script project into
// DIR (created; an existing DIR must be empty) that builds against the
// installed kit. NAME defaults to DIR's last component. Sets exitCode: 0
// written, 2 a refused name or folder, or a file that could not be written
// (one line on standard error).
void registerNewCommand(CLI::App& app, int& exitCode);

}  // namespace panel_host
