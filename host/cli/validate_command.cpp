#include "validate_command.h"

#include "cli_support.h"
#include "probe_keys.h"
#include "validation_check.h"
#include "input_rules.h"
#include "layout_file.h"
#include "report_writers.h"
#include "router_config.h"
#include "validate_trace_folder.h"
#include "validation_runner.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <iostream>
#include <memory>

namespace panel_host {

namespace {

struct validateRequest {
    validationSettings settings;
    std::string routerFile;
    // The numeric options as given, read by the input rules in prepare().
    std::string seed = std::to_string(validationSettings::defaultSeed);
    std::string events = "200";
    std::string sequences = "8";
    std::string timeout = "10";
    std::vector<std::string> include;
    std::vector<std::string> exclude;
    bool json = false;
    std::string junitPath;
    bool list = false;
    bool layoutsGiven = false;
};

// A module's own layouts: its folder when that holds a layout file, else its
// "layouts" subfolder; "" when neither.
std::string layoutsBesideModule(const std::string& modulePath)
{
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path folder = fs::absolute(modulePath, error).parent_path();
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        if (it->path().extension() == ".morv_ui") {
            return folder.string();
        }
    }
    return fs::is_directory(folder / "layouts", error) ? (folder / "layouts").string() : std::string();
}

int listChecks()
{
    for (const checkDefinition& check : registeredChecks()) {
        std::cout << check.name << "\n    " << check.description << "\n";
    }
    return 0;
}

// Limits of the numeric options.
constexpr std::int64_t maxEvents = 100000;
constexpr std::int64_t maxSequences = 100000;
constexpr std::int64_t maxSeed = 1000000000000000000;

bool fail(const std::string& text)
{
    std::cout.flush();
    reportError(text);
    return false;
}

bool readOption(const char* option, const std::string& text, std::int64_t min, std::int64_t max, std::int64_t& value)
{
    std::string problem;
    return readWholeNumber(text, min, max, value, problem) || fail(std::string(option) + ": " + problem);
}

bool readNumbers(validateRequest& request)
{
    std::int64_t seed = 0;
    std::int64_t events = 0;
    std::int64_t sequences = 0;
    double seconds = 0;
    std::string problem;
    if (!readOption("--seed", request.seed, 0, maxSeed, seed) ||
        !readOption("--events", request.events, 0, maxEvents, events) ||
        !readOption("--sequences", request.sequences, 1, maxSequences, sequences)) {
        return false;
    }
    if (!readDecimal(request.timeout, 0.001, maxTimeoutSeconds, seconds, problem)) {
        return fail("--timeout: " + problem + " (seconds)");
    }
    request.settings.seed = static_cast<std::uint64_t>(seed);
    request.settings.events = static_cast<std::size_t>(events);
    request.settings.sequences = static_cast<std::size_t>(sequences);
    request.settings.timeout = std::chrono::milliseconds(static_cast<std::int64_t>(seconds * 1000.0 + 0.5));
    return true;
}

// Why the report may not go to `path`: it is the module under test, or
// there and not a regular file ("" when it may).
std::string junitPathProblem(const std::string& path, const std::string& modulePath)
{
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    if (status.type() == fs::file_type::not_found) {
        return {};
    }
    if (status.type() != fs::file_type::regular) {
        return "--junit " + shownPath(path) + ": cannot be written: it is not a regular file";
    }
    if (fs::equivalent(path, modulePath, error)) {
        return "--junit " + shownPath(path) + ": is the module under test; name another file";
    }
    return {};
}

bool prepare(validateRequest& request)
{
    if (!readNumbers(request)) {
        return false;
    }
    if (request.settings.modulePath.empty()) {
        return fail("name the MODULE to validate");
    }
    if (const std::string problem = fileProblem(request.settings.modulePath, "module"); !problem.empty()) {
        return fail(problem);
    }
    if (!request.junitPath.empty()) {
        if (const std::string problem = junitPathProblem(request.junitPath, request.settings.modulePath);
            !problem.empty()) {
            return fail(problem);
        }
    }
    if (!request.layoutsGiven) {
        if (std::string beside = layoutsBesideModule(request.settings.modulePath); !beside.empty()) {
            request.settings.layoutFolder = std::move(beside);
        }
    }
    if (!request.settings.layoutFolder.empty()) {
        if (const std::string problem = loadLayoutFolder(request.settings.layoutFolder).error; !problem.empty()) {
            return fail(problem);
        }
    }
    if (request.routerFile.empty()) {
        request.settings.devices = defaultRouterDevices();
    } else {
        routerConfigResult router = loadRouterConfig(request.routerFile);
        if (!router.ok) {
            return fail(router.error);
        }
        request.settings.devices = std::move(router.devices);
    }
    return true;
}

// Writes the report beside `path` and renames it over it, so that a file is
// either the old one or the whole report.
bool writeJunit(const std::string& path, const validationReport& report)
{
    const std::string partial = path + ".partial";
    std::ofstream out(partial, std::ios::binary | std::ios::trunc);
    out << junitXml(report);
    out.close();
    std::error_code error;
    if (out) {
        std::filesystem::rename(partial, path, error);
    }
    if (!out || error) {
        std::filesystem::remove(partial, error);
        return fail("--junit " + shownPath(path) + ": cannot be written");
    }
    return true;
}

int validate(validateRequest& request)
{
    if (request.list) {
        return listChecks();
    }
    if (!prepare(request)) {
        return usageErrorExit;
    }
    // A child started afresh for one probe of the run (Windows) runs it here.
    runStartedProbe(request.settings);
    const std::vector<const checkDefinition*> checks =
        selectChecks(registeredChecks(), request.include, request.exclude);
    if (checks.empty()) {
        fail("no check matches --include/--exclude; see --list");
        return usageErrorExit;
    }
    const std::unique_ptr<probeRunner> runner =
        request.settings.inProcess ? makeInProcessRunner() : makeChildProcessRunner();
    const validateTraceFolder traces(request.settings.modulePath);
    textReporter text(std::cout);
    if (!request.json) {
        text.header(request.settings, checks.size(), runner->isolates());
    }
    const validationReport report = runValidation(request.settings, checks, *runner, request.json ? nullptr : &text);
    const std::size_t traceCount = traces.traces();
    if (request.json) {
        nlohmann::json json = reportJson(report, request.settings);
        if (traceCount > 0) {
            json["traces"] = {{"folder", traces.path()}, {"files", traceCount}};
        }
        std::cout << json.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << "\n";
    } else {
        text.finish(report);
        if (traceCount > 0) {
            std::cout << "traces: " << traceCount << " in " << shownPath(traces.path())
                      << " (the tracing module's, one for each process that loaded it)\n";
        }
    }
    if (!request.junitPath.empty() && !writeJunit(request.junitPath, report)) {
        return usageErrorExit;
    }
    return report.exitCode();
}

}  // namespace

void registerValidateCommand(CLI::App& app, int& exitCode, validateDefaults defaults)
{
    const auto addValidateVersion = [&defaults](CLI::App& command) {
        if (!defaults.version.empty()) {
            command.set_version_flag("--version", defaults.version, "print the version and exit");
        }
    };
    auto request = std::make_shared<validateRequest>();
    request->settings.layoutFolder = std::move(defaults.layoutFolder);
    request->routerFile = std::move(defaults.routerFile);
    CLI::App* command = app.add_subcommand(
        "validate",
        "check that a panel module keeps the host-boundary contract: named checks, each in its own process");
    addValidateVersion(*command);
    command->add_option("module", request->settings.modulePath, "the panel module (shared library) to validate");
    CLI::Option* layouts = command->add_option(
        "--layouts", request->settings.layoutFolder,
        "folder of the layout files, passed to the script as its base path; default: the module's folder when it "
        "holds a .morv_ui file, else its layouts/ subfolder, else the kit's layouts");
    command->add_option("--router", request->routerFile,
                        "router configuration file (JSON); default: the built-in B4 Audio Router");
    command->add_option("--seed", request->seed, "first seed of the random event sequences (0 up)")
        ->capture_default_str();
    command
        ->add_option("--events", request->events,
                     "events in each random sequence (0 to " + std::to_string(maxEvents) + ")")
        ->capture_default_str();
    command
        ->add_option("--sequences", request->sequences,
                     "random sequences to run, seeds seed, seed+1, ... (1 to " + std::to_string(maxSequences) + ")")
        ->capture_default_str();
    command->add_option("--timeout", request->timeout, "time limit of each check, in seconds (0.001 to 86400)")
        ->capture_default_str();
    command
        ->add_option("--include", request->include,
                     "run only the checks matching these names ('*' wildcards, "
                     "or a group such as 'output')")
        ->delimiter(',');
    command->add_option("--exclude", request->exclude, "leave out the checks matching these names")->delimiter(',');
    command->add_flag("--in-process", request->settings.inProcess,
                      "run every check in this process (for debugging: a crash or hang of the module stops the run)");
    command->add_flag("--json", request->json, "print the report as JSON instead of text");
    command->add_option("--junit", request->junitPath, "also write the report as JUnit XML to this file");
    command->add_flag("--list", request->list, "list the checks with their descriptions and exit");
    command->callback([request, layouts, &exitCode] {
        const char* fromEnvironment = std::getenv("PANEL_HOST_LAYOUTS");
        request->layoutsGiven = layouts->count() > 0 || (fromEnvironment != nullptr && *fromEnvironment != '\0');
        exitCode = validate(*request);
    });
}

}  // namespace panel_host
