#include "validate_command.h"

#include "check_registry.h"
#include "report_writers.h"
#include "router_config.h"
#include "validation_runner.h"

#include <fstream>
#include <iostream>
#include <memory>

namespace {

struct validateRequest {
    validationSettings settings;
    std::string routerFile;
    double timeoutSeconds = 10.0;
    std::vector<std::string> include;
    std::vector<std::string> exclude;
    bool json = false;
    std::string junitPath;
    bool list = false;
};

int listChecks()
{
    for (const checkDefinition& check : registeredChecks()) {
        std::cout << check.name << "\n    " << check.description << "\n";
    }
    return 0;
}

bool prepare(validateRequest& request)
{
    if (request.settings.modulePath.empty()) {
        std::cerr << "error: name the MODULE to validate\n";
        return false;
    }
    if (request.routerFile.empty()) {
        request.settings.devices = defaultRouterDevices();
    } else {
        routerConfigResult router = loadRouterConfig(request.routerFile);
        if (!router.ok) {
            std::cerr << "error: " << router.error << "\n";
            return false;
        }
        request.settings.devices = std::move(router.devices);
    }
    request.settings.timeout =
        std::chrono::milliseconds(static_cast<std::int64_t>(request.timeoutSeconds * 1000.0 + 0.5));
    return true;
}

bool writeJunit(const std::string& path, const validationReport& report)
{
    std::ofstream out(path, std::ios::binary);
    out << junitXml(report);
    out.close();
    if (!out) {
        std::cerr << "error: cannot write " << path << "\n";
        return false;
    }
    return true;
}

int validate(validateRequest& request)
{
    if (request.list) {
        return listChecks();
    }
    if (!prepare(request)) {
        return 2;
    }
    const std::vector<const checkDefinition*> checks =
        selectChecks(registeredChecks(), request.include, request.exclude);
    if (checks.empty()) {
        std::cerr << "error: no check matches --include/--exclude; see --list\n";
        return 2;
    }
    const std::unique_ptr<probeRunner> runner =
        request.settings.inProcess ? makeInProcessRunner() : makeChildProcessRunner();
    textReporter text(std::cout);
    if (!request.json) {
        text.header(request.settings, checks.size(), runner->isolates());
    }
    const validationReport report =
        runValidation(request.settings, checks, *runner, request.json ? nullptr : &text);
    if (request.json) {
        std::cout << reportJson(report, request.settings).dump(2, ' ', false, nlohmann::json::error_handler_t::replace)
                  << "\n";
    } else {
        text.finish(report);
    }
    if (!request.junitPath.empty() && !writeJunit(request.junitPath, report)) {
        return 2;
    }
    return report.exitCode();
}

}  // namespace

void registerValidateCommand(CLI::App& app, int& exitCode, validateDefaults defaults)
{
    auto request = std::make_shared<validateRequest>();
    request->settings.layoutFolder = std::move(defaults.layoutFolder);
    request->routerFile = std::move(defaults.routerFile);
    CLI::App* command = app.add_subcommand(
        "validate", "check that a panel module keeps the host-boundary contract: named checks, each in its own process");
    command->add_option("module", request->settings.modulePath, "the panel module (shared library) to validate");
    command->add_option("--layouts", request->settings.layoutFolder,
                        "folder of the layout files, passed to the script as its base path")
        ->capture_default_str();
    command->add_option("--router", request->routerFile,
                        "router configuration file (JSON); default: the built-in B4 Audio Router");
    command->add_option("--seed", request->settings.seed, "first seed of the random event sequences")
        ->capture_default_str();
    command->add_option("--events", request->settings.events, "events in each random sequence")
        ->capture_default_str();
    command->add_option("--sequences", request->settings.sequences, "random sequences to run (seeds seed, seed+1, ...)")
        ->capture_default_str();
    command->add_option("--timeout", request->timeoutSeconds, "time limit of each check, in seconds")
        ->check(CLI::PositiveNumber)
        ->capture_default_str();
    command->add_option("--include", request->include, "run only the checks matching these names ('*' wildcards, "
                                                        "or a group such as 'output')")
        ->delimiter(',');
    command->add_option("--exclude", request->exclude, "leave out the checks matching these names")->delimiter(',');
    command->add_flag("--in-process", request->settings.inProcess,
                      "run every check in this process (for debugging: a crash or hang of the module stops the run)");
    command->add_flag("--json", request->json, "print the report as JSON instead of text");
    command->add_option("--junit", request->junitPath, "also write the report as JUnit XML to this file");
    command->add_flag("--list", request->list, "list the checks with their descriptions and exit");
    command->callback([request, &exitCode] { exitCode = validate(*request); });
}
