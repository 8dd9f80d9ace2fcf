#pragma once

#include <CLI/CLI.hpp>

namespace panel_host {

// `panel-host serve [--listen ADDR:PORT] [--watch[=replay|fresh]]`: its
// options, and runServe (host/serve) with them. Sets exitCode when it ran:
// 0 stopped by Ctrl-C (SIGINT or SIGTERM), 1 the module crashed, 2 the
// session or the server could not start.
void registerServeCommand(CLI::App& app, int& exitCode);

}  // namespace panel_host
