#include "serve_command.h"

#include "cli_support.h"
#include "host_options.h"
#include "serve_engine.h"

#include <map>
#include <memory>

namespace panel_host {

namespace {

struct serveOptions {
    serveSettings settings{defaultHostSetup(), {}, {}, rebuildFollowing::off};
    std::string watch;  // empty: off
    isolationOptions isolation;
};

const std::map<std::string, rebuildFollowing> watchModes{{"replay", rebuildFollowing::replay},
                                                         {"fresh", rebuildFollowing::fresh}};

}  // namespace

void registerServeCommand(CLI::App& app, int& exitCode)
{
    auto options = std::make_shared<serveOptions>();
    CLI::App* command = app.add_subcommand("serve", "run the panel with real timers and serve it as a web page");
    addVersionFlag(*command);
    command->add_option("--listen", options->settings.listen,
                        "ADDR:PORT to listen on (default 127.0.0.1:8630 or the first free port after it; "
                        "port 0: any free port); beyond loopback the page needs the token in the address printed");
    command
        ->add_option("--allow-host", options->settings.allowedHosts,
                     "a further host NAME pages may be opened by beyond loopback (a proxy's, a DNS alias)")
        ->type_name("NAME");
    command
        ->add_option("--watch", options->watch,
                     "follow rebuilds of the module: reload it when its file is replaced and replay the "
                     "operator lines so far (replay, the default) or start afresh (fresh)")
        ->expected(0, 1)
        ->type_name("[replay|fresh]")
        ->default_str("replay")  // what a bare --watch gives
        ->check(CLI::IsMember({"replay", "fresh"}));
    command
        ->add_option("--panels", options->settings.setup.instances,
                     "how many panels (script instances of the module, on the one router) the page shows")
        ->type_name("N")
        ->check(CLI::Range(1, 16));
    addHostOptions(*command, options->settings.setup);
    addTimeoutOption(*command, options->isolation);
    command->callback([options, &exitCode] {
        if (!options->isolation.read()) {
            exitCode = usageErrorExit;
            return;
        }
        options->settings.callLimit = options->isolation.settings.timeout;
        if (!options->watch.empty()) {
            options->settings.rebuilds = watchModes.at(options->watch);
        }
        exitCode = runServe(options->settings, [](const std::string& why) { reportError(why); });
    });
}

}  // namespace panel_host
