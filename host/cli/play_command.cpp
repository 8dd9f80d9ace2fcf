#include "play_command.h"

#include "cli_support.h"
#include "host_options.h"
#include "input_rules.h"
#include "scenario_file.h"
#include "scenario_runner.h"

#include <filesystem>
#include <functional>
#include <iostream>
#include <memory>
#include <string>

namespace panel_host {

namespace {

struct playRequest {
    std::string scenarioPath;
    bool check = false;
    hostSetup setup = defaultHostSetup();
    isolationOptions isolation;
};

// Reads the scenario a line at a time, handing each usable line to `each`
// until it returns false; each problem is one error line (the first ten,
// then a count). False when any line is unusable.
bool readScenario(const std::string& path, const std::function<bool(const scenarioLine&)>& each)
{
    errorLineCap errors;
    const bool usable = readScenarioFile(path, each, [&errors](const std::string& text) { errors.report(text); });
    errors.finish(shownPath(path));
    return usable;
}

// Plays the scenario, read again line by line as it runs, so that no more
// of it is held than the line at hand, and prints the transcript;
// `progress` names each line as it runs.
int playLines(const playRequest& request, runProgress& progress)
{
    const std::string folder = std::filesystem::path(request.scenarioPath).parent_path().string();
    std::cout << "# scenario " << std::filesystem::path(request.scenarioPath).filename().string() << '\n';
    scenarioRunner runner(request.setup, std::cout, folder, std::cerr);
    runner.setSourceName(request.scenarioPath);
    runner.addObserver(&progress);
    bool ran = true;
    const bool usable = readScenario(request.scenarioPath, [&](const scenarioLine& line) {
        progress.setCause(shownPath(request.scenarioPath) + ":" + std::to_string(line.number) + ": " + line.source);
        ran = runner.run(line);
        return ran;
    });
    if (!ran || !usable) {
        return usageErrorExit;
    }
    progress.setCause("the start of the session");
    if (!runner.start()) {
        return usageErrorExit;
    }
    progress.setCause("the end of the scenario (the script is deleted)");
    runner.finish();
    const contractReport& report = runner.session()->report();
    std::cout << "# " << report.summary();
    for (const std::string& failure : runner.failures()) {
        std::cout << "# FAILED " << failure;
    }
    const bool passed = runner.failures().empty() && report.total() == 0;
    std::cout << "# " << (runner.expectationsChecked()) << " expectation(s) checked, " << runner.failures().size()
              << " block(s) failed, " << report.total() << " breach(es): " << (passed ? "PASS" : "FAIL") << '\n';
    return request.check && !passed ? runFailedExit : 0;
}

int play(playRequest& request)
{
    // Every line is checked before any runs.
    if (!request.isolation.read() || !readScenario(request.scenarioPath, [](const scenarioLine&) { return true; })) {
        return usageErrorExit;
    }
    return runIsolated(request.isolation.settings,
                       [&request](runProgress& progress) { return exitAfterOutput(playLines(request, progress)); });
}

}  // namespace

void registerPlayCommand(CLI::App& app, int& exitCode)
{
    auto request = std::make_shared<playRequest>();
    CLI::App* command = app.add_subcommand("play", "play a scenario on a virtual clock and print its transcript");
    addVersionFlag(*command);
    command->add_option("scenario", request->scenarioPath, "scenario file")->required();
    command->add_flag("--check", request->check,
                      "exit 1 when an expectation fails or the script breaks the calling rules");
    addHostOptions(*command, request->setup);
    addIsolationOptions(*command, request->isolation);
    command->callback([request, &exitCode] { exitCode = play(*request); });
}

}  // namespace panel_host
