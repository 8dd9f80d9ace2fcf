#include "host_options.h"

#include <cstdlib>

namespace {

std::string fromEnvironment(const char* name, const char* fallback)
{
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0' ? value : fallback;
}

}  // namespace

hostSetup defaultHostSetup()
{
    hostSetup setup;
    setup.modulePath = fromEnvironment("PANEL_HOST_MODULE", PANEL_HOST_DEFAULT_MODULE);
    setup.layoutFolder = fromEnvironment("PANEL_HOST_LAYOUTS", PANEL_HOST_DEFAULT_LAYOUTS);
    setup.routerFile = fromEnvironment("PANEL_HOST_ROUTER", "");
    return setup;
}

void addHostOptions(CLI::App& command, hostSetup& setup)
{
    command.add_option("--module", setup.modulePath, "panel module to load (env PANEL_HOST_MODULE)")
        ->capture_default_str();
    command.add_option("--layouts", setup.layoutFolder,
                       "folder of the layout files, passed to the script as its base path (env PANEL_HOST_LAYOUTS)")
        ->capture_default_str();
    command.add_option("--router", setup.routerFile,
                       "router configuration file (JSON); default: the built-in B4 Audio Router (env PANEL_HOST_ROUTER)");
}
