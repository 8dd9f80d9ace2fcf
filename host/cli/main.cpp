// panel-host: loads a panel module into an emulated operator-panel host.
// Without a subcommand it opens the interactive panel; each subcommand lives
// in its own file and registers itself below.
#include "host_options.h"
#include "interactive_session.h"
#include "play_command.h"
#include "validate_command.h"
#ifdef PANEL_HOST_WITH_SERVE
#include "serve_command.h"
#endif

#include <CLI/CLI.hpp>

int main(int argc, char** argv)
{
    CLI::App app{"panel-host: an emulated operator-panel host for panel script modules.\n"
                 "Without a subcommand: an interactive session with the routing panel."};
    app.require_subcommand(0, 1);
    hostSetup interactiveSetup = defaultHostSetup();
    addHostOptions(app, interactiveSetup);

    int exitCode = 0;
    registerPlayCommand(app, exitCode);
    registerValidateCommand(app, exitCode, {interactiveSetup.layoutFolder, interactiveSetup.routerFile});
#ifdef PANEL_HOST_WITH_SERVE
    registerServeCommand(app, exitCode);
#endif

    CLI11_PARSE(app, argc, argv);
    if (app.get_subcommands().empty()) {
        exitCode = runInteractiveSession(interactiveSetup);
    }
    return exitCode;
}
