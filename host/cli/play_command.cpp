#include "play_command.h"

#include "host_options.h"
#include "scenario_runner.h"

#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

namespace {

struct playRequest {
    std::string scenarioPath;
    bool check = false;
    hostSetup setup = defaultHostSetup();
};

bool readScenario(const std::string& path, std::vector<scenarioLine>& lines)
{
    std::ifstream in(path);
    if (!in) {
        std::cout << "error: cannot read scenario " << path << '\n';
        return false;
    }
    bool ok = true;
    std::string text;
    for (int number = 1; std::getline(in, text); ++number) {
        scenarioLineParse parsed = parseScenarioLine(text, number);
        if (!parsed.ok) {
            std::cout << "error: " << path << ": " << parsed.error << '\n';
            ok = false;
        }
        lines.push_back(std::move(parsed.line));
    }
    return ok;
}

int play(const playRequest& request)
{
    std::vector<scenarioLine> lines;
    if (!readScenario(request.scenarioPath, lines)) {
        return 2;
    }
    const std::string folder = std::filesystem::path(request.scenarioPath).parent_path().string();
    std::cout << "# scenario " << std::filesystem::path(request.scenarioPath).filename().string() << '\n';
    scenarioRunner runner(request.setup, std::cout, folder);
    for (const scenarioLine& line : lines) {
        if (line.what == scenarioLine::kind::help || line.what == scenarioLine::kind::quit) {
            std::cout << "error: line " << line.number << ": " << line.source << " is for interactive sessions\n";
            return 2;
        }
        if (!runner.run(line)) {
            return 2;
        }
    }
    if (!runner.start()) {
        return 2;
    }
    runner.finish();
    const contractReport& report = runner.session()->report();
    std::cout << "# " << report.summary();
    for (const std::string& failure : runner.failures()) {
        std::cout << "# FAILED " << failure;
    }
    const bool passed = runner.failures().empty() && report.total() == 0;
    std::cout << "# " << (runner.expectationsChecked()) << " expectation(s) checked, " << runner.failures().size()
              << " block(s) failed, " << report.total() << " breach(es): " << (passed ? "PASS" : "FAIL") << '\n';
    return request.check && !passed ? 1 : 0;
}

}  // namespace

void registerPlayCommand(CLI::App& app, int& exitCode)
{
    auto request = std::make_shared<playRequest>();
    CLI::App* command = app.add_subcommand("play", "play a scenario on a virtual clock and print its transcript");
    command->add_option("scenario", request->scenarioPath, "scenario file")->required();
    command->add_flag("--check", request->check,
                      "exit 1 when an expectation fails or the script breaks the calling rules");
    addHostOptions(*command, request->setup);
    command->callback([request, &exitCode] { exitCode = play(*request); });
}
