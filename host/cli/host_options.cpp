#include "host_options.h"

#include "cli_support.h"
#include "executable_location.h"
#include "input_rules.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace panel_host {

namespace {

namespace fs = std::filesystem;

std::string fromEnvironment(const char* name, const std::string& fallback)
{
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0' ? value : fallback;
}

// The first of the places relative to the panel-host folder that exists;
// the first place when none does (so that the error names it), "" without
// a known folder.
std::string besideExecutable(const std::vector<fs::path>& places)
{
    const std::string folder = executableFolder();
    if (folder.empty()) {
        return {};
    }
    std::error_code ignored;
    for (const fs::path& place : places) {
        const fs::path candidate = (fs::path(folder) / place).lexically_normal();
        if (fs::exists(candidate, ignored)) {
            return candidate.string();
        }
    }
    return places.empty() ? std::string() : (fs::path(folder) / places.front()).lexically_normal().string();
}

std::string defaultModule()
{
    const std::string name = PANEL_HOST_MODULE_NAME;
    if (name.empty()) {
        return {};
    }
    return besideExecutable(
        {fs::path(PANEL_HOST_MODULE_FROM_BUILD) / name, fs::path(PANEL_HOST_MODULE_FROM_INSTALL) / name});
}

std::string defaultLayouts()
{
    return besideExecutable({PANEL_HOST_LAYOUTS_FROM_BUILD, PANEL_HOST_LAYOUTS_FROM_INSTALL});
}

}  // namespace

hostSetup defaultHostSetup()
{
    hostSetup setup;
    setup.modulePath = fromEnvironment("PANEL_HOST_MODULE", defaultModule());
    setup.layoutFolder = fromEnvironment("PANEL_HOST_LAYOUTS", defaultLayouts());
    setup.routerFile = fromEnvironment("PANEL_HOST_ROUTER", "");
    return setup;
}

void addHostOptions(CLI::App& command, hostSetup& setup)
{
    command.add_option("--module", setup.modulePath, "panel module to load (env PANEL_HOST_MODULE)")
        ->capture_default_str();
    command
        .add_option("--layouts", setup.layoutFolder,
                    "folder of the layout files, passed to the script as its base path (env PANEL_HOST_LAYOUTS)")
        ->capture_default_str();
    command.add_option(
        "--router", setup.routerFile,
        "router configuration file (JSON); default: the built-in B4 Audio Router (env PANEL_HOST_ROUTER)");
}

bool isolationOptions::read()
{
    double seconds = 0;
    std::string problem;
    if (!readDecimal(timeout, 0.001, maxTimeoutSeconds, seconds, problem)) {
        reportError("--timeout: " + problem + " (seconds)");
        return false;
    }
    settings.timeout = std::chrono::milliseconds(static_cast<std::int64_t>(seconds * 1000.0 + 0.5));
    return true;
}

void addTimeoutOption(CLI::App& command, isolationOptions& options)
{
    command
        .add_option("--timeout", options.timeout,
                    "the longest one call into the module may take, in seconds (0.001 to 86400)")
        ->capture_default_str();
}

void addIsolationOptions(CLI::App& command, isolationOptions& options)
{
    command.add_flag("--in-process", options.settings.inProcess,
                     "run the module in this process (for debugging: its crash or hang is panel-host's)");
    addTimeoutOption(command, options);
}

}  // namespace panel_host
