// panel-host: loads a panel module into an emulated operator-panel host.
// Without a subcommand it opens the interactive panel; each subcommand lives
// in its own file and registers itself below.
#include "cli_support.h"
#include "help_command.h"
#include "host_options.h"
#include "interactive_session.h"
#include "new_command.h"
#include "play_command.h"
#include "trace_command.h"
#include "validate_command.h"
#ifdef PANEL_HOST_WITH_SERVE
#include "serve_command.h"
#endif

#include <CLI/CLI.hpp>

#include <exception>
#include <iostream>

namespace panel_host {
namespace {

int runPanelHost(int argc, char** argv)
{
    CLI::App app{
        "panel-host: an emulated operator-panel host for panel script modules.\n"
        "Without a subcommand: an interactive session with the routing panel."};
    // Options start with '-' everywhere: on Windows too, a word that starts
    // with '/' is a path ("/panels/p.scenario"), not an option.
    app.allow_windows_style_options(false);
    app.require_subcommand(0, 1);
    addVersionFlag(app);
    hostSetup interactiveSetup = defaultHostSetup();
    addHostOptions(app, interactiveSetup);
    interactiveOptions interactive;
    addInteractiveOptions(app, interactive);

    int exitCode = 0;
    registerPlayCommand(app, exitCode);
    registerNewCommand(app, exitCode);
    registerHelpCommand(app, exitCode);
    registerTraceCommand(app, exitCode);
    registerValidateCommand(app, exitCode, {interactiveSetup.layoutFolder, interactiveSetup.routerFile, versionText()});
#ifdef PANEL_HOST_WITH_SERVE
    registerServeCommand(app, exitCode);
#endif

    if (const std::optional<int> ended = parseCommandLine(app, argc, argv)) {
        return *ended;
    }
    if (app.get_subcommands().empty()) {
        exitCode = runInteractiveSession(interactiveSetup, interactive);
    }
    return exitCode;
}

}  // namespace
}  // namespace panel_host

int main(int argc, char** argv)
{
    // Nothing a user supplies may end the program by an exception.
    try {
        return panel_host::exitAfterOutput(panel_host::runPanelHost(argc, argv));
    } catch (const std::exception& e) {
        return panel_host::reportError(std::string("panel-host stopped: ") + e.what());
    } catch (...) {
        return panel_host::reportError("panel-host stopped by an unknown exception");
    }
}
