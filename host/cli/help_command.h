#pragma once

#include <CLI/CLI.hpp>

namespace panel_host {

// `panel-host help [TOPIC]`: prints one of the kit's manuals, the same texts
// the kit installs under share/doc: "formats" (the transcript, the scenario
// language, the layout and router files, what the host answers and the
// calling rules it checks) or "script" (write your first panel script).
// Without a topic, or with an unknown one, lists the topics; an unknown one
// is an error (exit code 2).
void registerHelpCommand(CLI::App& app, int& exitCode);

}  // namespace panel_host
