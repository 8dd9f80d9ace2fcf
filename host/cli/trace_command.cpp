#include "trace_command.h"

#include "cli_support.h"
#include "host_options.h"
#include "input_rules.h"
#include "layout_file.h"
#include "router_config.h"
#include "scenario_runner.h"
#include "trace_compare.h"
#include "trace_reader.h"
#include "trace_router.h"
#include "trace_scenario.h"
#include "trace_show.h"

#include <iostream>
#include <memory>
#include <string>
#include <vector>

namespace panel_host {

namespace {

struct traceRequest {
    std::string tracePath;
    std::int32_t instance = 0;  // 0: every instance
    hostSetup setup = defaultHostSetup();
    isolationOptions isolation;
    std::int64_t tickTolerance = compareSetup{}.tickToleranceMs;
    std::string routerCodePage = codePageName(codePage::windows1252);  // of the router file written
};

// Reads the whole trace once, checking it, and checks --instance; false
// when either failed (told). The commands then read it again as they go.
bool readTrace(const traceRequest& request, traceSummary& summary)
{
    const traceCheck check = checkTrace(traceSource::file(request.tracePath));
    if (!check.ok) {
        reportError(check.error);
        return false;
    }
    summary = check.summary;
    if (request.instance != 0) {
        if (const std::string problem = traceInstanceProblem(summary, request.instance); !problem.empty()) {
            reportError("--instance: " + shownPath(request.tracePath) + ": " + problem);
            return false;
        }
    }
    return true;
}

// The instances a command works on: the one asked for, else all of them.
std::vector<std::int32_t> chosenInstances(const traceRequest& request, const traceSummary& summary)
{
    std::vector<std::int32_t> chosen;
    for (std::int32_t n = 1; n <= summary.instances; ++n) {
        if (request.instance == 0 || request.instance == n) {
            chosen.push_back(n);
        }
    }
    return chosen;
}

int show(const traceRequest& request)
{
    traceSummary summary;
    if (!readTrace(request, summary)) {
        return usageErrorExit;
    }
    showTrace(traceSource::file(request.tracePath), summary,
              request.instance != 0 ? std::optional<std::int32_t>(request.instance) : std::nullopt, std::cout);
    return 0;
}

// Whether each instance's scenario can be written, before any is used:
// false when one cannot (told).
bool scenariosWritable(const traceRequest& request, const traceSummary& summary,
                       const std::vector<std::int32_t>& instances)
{
    for (const std::int32_t instance : instances) {
        std::string error;
        if (!writeTraceScenario(
                traceSource::file(request.tracePath), summary, instance, [](const traceScenarioLine&) {}, error)) {
            reportError(error);
            return false;
        }
    }
    return true;
}

// The scenarios a command replays: the instance asked for; else one of
// every instance together (0) where they can be, else one per instance.
std::vector<std::int32_t> replayedInstances(const traceRequest& request, const traceSummary& summary,
                                            std::string& whyApart)
{
    if (request.instance == 0 && summary.instances > 1) {
        whyApart = whyNotReplayedTogether(traceSource::file(request.tracePath));
        if (whyApart.empty()) {
            return {0};
        }
    }
    return chosenInstances(request, summary);
}

int writeScenario(const traceRequest& request)
{
    traceSummary summary;
    if (!readTrace(request, summary)) {
        return usageErrorExit;
    }
    std::string whyApart;
    const std::vector<std::int32_t> chosen = replayedInstances(request, summary, whyApart);
    if (chosen.empty()) {
        return reportError(shownPath(request.tracePath) + ": the trace holds no instance to replay");
    }
    if (chosen.size() != 1) {
        return reportError(shownPath(request.tracePath) + ": the trace holds " + std::to_string(chosen.size()) +
                           " instances, which one scenario cannot replay together (" + whyApart +
                           "): choose one with --instance");
    }
    if (!scenariosWritable(request, summary, chosen)) {
        return usageErrorExit;
    }
    std::string error;
    writeTraceScenario(
        traceSource::file(request.tracePath), summary, chosen.front(),
        [](const traceScenarioLine& line) { std::cout << line.text << '\n'; }, error);
    return 0;
}

// Plays one instance's scenario, line by line as it is written; false when
// the module sent other commands (the first difference is printed), or the
// run could not start (`usable`).
bool replayInstance(const traceRequest& request, const traceSummary& summary, std::int32_t instance,
                    runProgress& progress, bool& usable)
{
    const std::string replayed = instance == 0 ? std::string("every instance") : "instance " + std::to_string(instance);
    std::cout << "# replay of " << replayed << " of " << shownPath(request.tracePath) << '\n';
    hostSetup setup;
    setup.modulePath = request.setup.modulePath;
    scenarioRunner runner(setup, std::cout, "", std::cerr);
    runner.setSourceName(request.tracePath);
    runner.addObserver(&progress);
    // The trace line of each scenario line, to name where a difference is.
    std::vector<std::size_t> traceLines;
    std::string error;
    writeTraceScenario(
        traceSource::file(request.tracePath), summary, instance,
        [&](const traceScenarioLine& line) {
            if (!usable) {
                return;
            }
            traceLines.push_back(line.traceLine);
            progress.setCause(shownPath(request.tracePath) + ":" + std::to_string(line.traceLine) + ": " + line.text);
            usable = runner.run(parseScenarioLine(line.text, static_cast<int>(traceLines.size())).line);
        },
        error);
    if (!usable) {
        return false;
    }
    progress.setCause("the end of the replay (the script is deleted)");
    if (!runner.start()) {
        usable = false;
        return false;
    }
    runner.finish();
    std::cout << "# " << runner.session()->report().summary();
    if (runner.mismatches().empty()) {
        std::cout << "# " << replayed << ": the module sent every recorded command: PASS\n";
        return true;
    }
    const scenarioRunner::mismatch& first = runner.mismatches().front();
    const std::size_t line = traceLines[static_cast<std::size_t>(first.line - 1)];
    std::cout << "# " << replayed << " differs from the trace at " << shownPath(request.tracePath) << ":" << line
              << ": FAIL\n"
              << "#   recorded: " << shownText(first.wanted) << "\n"
              << "#   actual:   " << shownText(first.got) << "\n";
    return false;
}

int replay(traceRequest& request)
{
    traceSummary summary;
    if (!request.isolation.read() || !readTrace(request, summary)) {
        return usageErrorExit;
    }
    std::string whyApart;
    const std::vector<std::int32_t> instances = replayedInstances(request, summary, whyApart);
    if (instances.empty()) {
        return reportError(shownPath(request.tracePath) + ": the trace holds no instance to replay");
    }
    if (!scenariosWritable(request, summary, instances)) {
        return usageErrorExit;
    }
    return runIsolated(request.isolation.settings, [&](runProgress& progress) {
        for (const std::int32_t instance : instances) {
            bool usable = true;
            if (!replayInstance(request, summary, instance, progress, usable)) {
                return exitAfterOutput(usable ? runFailedExit : usageErrorExit);
            }
        }
        return exitAfterOutput(0);
    });
}

int compare(const traceRequest& request)
{
    traceSummary summary;
    if (!readTrace(request, summary)) {
        return usageErrorExit;
    }
    compareSetup setup;
    setup.tickToleranceMs = request.tickTolerance;
    setup.devices = defaultRouterDevices();
    if (!request.setup.routerFile.empty()) {
        routerConfigResult config = loadRouterConfig(request.setup.routerFile);
        if (!config.ok) {
            return reportError(config.error);
        }
        setup.devices = std::move(config.devices);
        setup.page = config.page;
    }
    setup.layoutFolder = request.setup.layoutFolder;
    if (!setup.layoutFolder.empty()) {
        layoutFolderResult layouts = loadLayoutFolder(setup.layoutFolder);
        if (!layouts.error.empty()) {
            return reportError(layouts.error);
        }
        setup.layouts = std::move(layouts.layouts);
    }
    const std::vector<traceDifference> differences = compareTrace(traceSource::file(request.tracePath), setup);
    std::cout << "# " << shownPath(request.tracePath) << " against our host (router: "
              << (request.setup.routerFile.empty() ? std::string("built-in") : shownPath(request.setup.routerFile))
              << ", layouts: " << shownPath(setup.layoutFolder)
              << ", times: " << (summary.hostClock ? "the recording host's own clock" : "the system's clock") << ")\n";
    if (!summary.complete) {
        std::cout << "# " << summary.endNote << '\n';
    }
    for (const traceDifference& d : differences) {
        std::cout << shownPath(request.tracePath) << ":" << d.line << ": " << d.text << '\n';
    }
    std::cout << "# " << differences.size() << " difference(s): " << (differences.empty() ? "PASS" : "FAIL") << '\n';
    return differences.empty() ? 0 : runFailedExit;
}

int writeRouter(const traceRequest& request)
{
    traceSummary summary;
    if (!readTrace(request, summary)) {
        return usageErrorExit;
    }
    const std::vector<routerDevice> devices = routersOfTrace(traceSource::file(request.tracePath));
    if (devices.empty()) {
        return reportError(shownPath(request.tracePath) +
                           ": the trace shows no router (no reply to SD or RN, no tally)");
    }
    std::cout << routerConfigText(devices, codePageNamed(request.routerCodePage).value_or(codePage::windows1252));
    return 0;
}

CLI::App* addTraceSubcommand(CLI::App& trace, const char* name, const char* description, traceRequest& request)
{
    CLI::App* command = trace.add_subcommand(name, description);
    addVersionFlag(*command);
    command->add_option("trace", request.tracePath, "trace file written by the tracing module")->required();
    return command;
}

void addInstanceOption(CLI::App& command, traceRequest& request, const char* what)
{
    command.add_option("--instance", request.instance, what)->check(CLI::PositiveNumber);
}

}  // namespace

void registerTraceCommand(CLI::App& app, int& exitCode)
{
    auto request = std::make_shared<traceRequest>();
    CLI::App* trace = app.add_subcommand("trace", "show, replay and compare a trace of a real host");
    addVersionFlag(*trace);
    trace->require_subcommand(1);

    CLI::App* showCommand = addTraceSubcommand(*trace, "show", "print the trace in the transcript's style", *request);
    addInstanceOption(*showCommand, *request, "only this script instance (from 1)");
    showCommand->callback([request, &exitCode] { exitCode = show(*request); });

    CLI::App* scenarioCommand =
        addTraceSubcommand(*trace, "scenario", "write a scenario that replays the recorded host", *request);
    addInstanceOption(*scenarioCommand, *request, "the script instance (needed when the trace holds several)");
    scenarioCommand->callback([request, &exitCode] { exitCode = writeScenario(*request); });

    CLI::App* replayCommand = addTraceSubcommand(
        *trace, "replay", "play the recorded host against a module; exit 1 at the first command that differs",
        *request);
    addInstanceOption(*replayCommand, *request, "only this script instance (default: each in turn)");
    replayCommand->add_option("--module", request->setup.modulePath, "panel module to load (env PANEL_HOST_MODULE)")
        ->capture_default_str();
    addIsolationOptions(*replayCommand, request->isolation);
    replayCommand->callback([request, &exitCode] { exitCode = replay(*request); });

    CLI::App* compareCommand = addTraceSubcommand(
        *trace, "compare", "list where our emulated host answers otherwise than the recorded one", *request);
    compareCommand
        ->add_option("--layouts", request->setup.layoutFolder, "folder of the layout files (env PANEL_HOST_LAYOUTS)")
        ->capture_default_str();
    compareCommand->add_option("--router", request->setup.routerFile,
                               "router configuration file (JSON); default: the built-in B4 Audio Router");
    compareCommand
        ->add_option("--tick-tolerance", request->tickTolerance,
                     "how many ms a timer tick may be off its interval before it is early or late")
        ->check(CLI::Range(0, 86400000))
        ->capture_default_str();
    compareCommand->callback([request, &exitCode] { exitCode = compare(*request); });

    CLI::App* routerCommand = addTraceSubcommand(
        *trace, "router", "write the router configuration the trace shows (its SD and RN replies, tallies)", *request);
    routerCommand
        ->add_option("--code-page", request->routerCodePage,
                     "the code page the file says and writes the names in (every byte reads back in either)")
        ->check(CLI::IsMember({codePageName(codePage::windows1252), codePageName(codePage::utf8)}, CLI::ignore_case))
        ->capture_default_str();
    routerCommand->callback([request, &exitCode] { exitCode = writeRouter(*request); });
}

}  // namespace panel_host
