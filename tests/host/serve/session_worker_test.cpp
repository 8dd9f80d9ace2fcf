#include "build_paths.h"
#include "operator_outcome.h"
#include "session_worker.h"
#include "worker_process.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace panel_host {

namespace {

struct workerRun {
    std::vector<std::string> log;
    std::vector<nlohmann::json> states;
    std::vector<operatorOutcome> outcomes;
    nlohmann::json end;
    workerEnding ending;
};

// Runs the serve session on `module` in a child process with these lines.
workerRun runWorker(const std::string& module, const std::vector<std::string>& lines,
                    const std::string& layouts = buildPaths::layouts)
{
    const hostSetup setup{module, layouts, ""};
    workerProcess worker;
    std::string problem;
    EXPECT_TRUE(
        worker.start([&setup](int in, watchReport& report) { return runSessionWorker(setup, in, report); }, problem))
        << problem;
    for (const std::string& line : lines) {
        worker.send(line);
    }
    worker.closeInput();
    workerRun run;
    const auto take = [&run](const nlohmann::json& message) {
        for (const nlohmann::json& line : message.value("log", nlohmann::json::array())) {
            run.log.push_back(line.get<std::string>());
        }
        if (message.contains("state")) {
            run.states.push_back(message["state"]);
        }
        if (const std::optional<operatorOutcome> outcome = readOutcome(message)) {
            run.outcomes.push_back(*outcome);
        }
        if (message.contains("end")) {
            run.end = message["end"];
        }
    };
    while (worker.pump(100, take)) {
    }
    run.ending = worker.wait();
    return run;
}

// The transcript without timer ticks, which real time adds to serve.
std::vector<std::string> withoutTicks(const std::vector<std::string>& lines)
{
    std::vector<std::string> kept;
    bool inTick = false;
    for (const std::string& line : lines) {
        if (line.rfind("  notify(4)", 0) == 0) {
            inTick = true;
        } else if (line.rfind("    ", 0) != 0) {
            inTick = false;
        }
        if (!inTick) {
            kept.push_back(line);
        }
    }
    return kept;
}

TEST(SessionWorker, SendsTheSameTrafficAsPlayForTheSameOperatorLines)
{
    const std::vector<std::string> lines{"choose Sources 5", "choose Destinations 7", "press Take",
                                         "choose Destinations 7", "route 3 9 1"};
    const workerRun served = runWorker(buildPaths::vantryModule, lines);
    EXPECT_TRUE(served.ending.normal) << served.ending.how;
    EXPECT_EQ(served.end.value("failed", true), false);

    std::ostringstream transcript;
    {
        scenarioRunner runner({buildPaths::vantryModule, buildPaths::layouts, ""}, transcript, "", transcript);
        for (std::size_t i = 0; i < lines.size(); ++i) {
            runner.run(parseScenarioLine(lines[i], static_cast<int>(i + 1)).line);
        }
        runner.finish();
        transcript << "# " << runner.session()->report().summary();
    }
    std::vector<std::string> played;
    std::istringstream text(transcript.str());
    for (std::string line; std::getline(text, line);) {
        played.push_back(line);
    }
    EXPECT_EQ(withoutTicks(served.log), withoutTicks(played));

    ASSERT_FALSE(served.states.empty());
    EXPECT_EQ(served.states.back()["routers"][0]["routes"][6], 5) << "destination 7 carries source 5";
}

TEST(SessionWorker, JudgesEachOperatorLineOnceAndSaysWhy)
{
    struct lineCase {
        const char* line;
        const char* outcome;  // "done", "unknown" (400 on the page) or "now" (409)
    };
    // In this order: Take is still disabled when it is pressed.
    const std::vector<lineCase> cases{
        {"press Take", "now"},
        {"choose Destinations 64", "done"},
        {"choose Sources 65", "unknown"},
        {"choose Sources 0", "unknown"},
        {"choose Sources -2", "unknown"},
        {"choose New 1", "unknown"},
        {"press Nope", "unknown"},
        {"press Clear", "done"},
        {"route 3 9", "done"},
        {"route 3 99", "unknown"},
        {"route 0 1", "unknown"},
        {"route 1 1 2", "unknown"},
        {"wait 10", "unknown"},
    };
    std::vector<std::string> lines;
    for (const lineCase& c : cases) {
        lines.emplace_back(c.line);
    }
    const workerRun served = runWorker(buildPaths::vantryModule, lines);
    ASSERT_EQ(served.outcomes.size(), cases.size()) << "one outcome a line";
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const operatorOutcome& got = served.outcomes[i];
        EXPECT_EQ(got.done         ? "done"
                  : got.refusedNow ? "now"
                                   : "unknown",
                  std::string(cases[i].outcome))
            << cases[i].line << ": " << got.reason;
        EXPECT_EQ(got.reason.empty(), got.done) << cases[i].line << ": a refusal says why";
    }
}

// A copy of the routing panel's layout whose lists take any entry, so that an
// operator can reach the crashing module's choice above 1000.
std::string layoutsWithoutEntryLimits()
{
    nlohmann::json layout;
    std::ifstream(std::string(buildPaths::layouts) + "/p1.morv_ui") >> layout;
    for (nlohmann::json& control : layout["controls"]) {
        control.erase("entries");
    }
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "serve_unlimited_layouts";
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "p1.morv_ui") << layout.dump(2);
    return folder.string();
}

TEST(SessionWorker, ACrashingModuleEndsTheProcessWithoutAnEndMessage)
{
    const workerRun served =
        runWorker(buildPaths::crashingModule, {"choose Sources 1001", "press Clear"}, layoutsWithoutEntryLimits());
    EXPECT_FALSE(served.ending.normal);
    EXPECT_NE(served.ending.exitCode, 0) << served.ending.how;
    EXPECT_TRUE(served.end.is_null()) << "the session did not end by itself";
    ASSERT_FALSE(served.log.empty());
    EXPECT_EQ(served.log.back(), "  notify(2) button panel '1' control 'Sources' event 'select=1001'")
        << "the lines up to the crash reach the page";
}

TEST(SessionWorker, AModuleThatCannotLoadEndsWithAFailure)
{
    const workerRun served = runWorker("/nonexistent/module.so", {"press Clear"});
    EXPECT_EQ(served.ending.exitCode, 2);
    EXPECT_EQ(served.end.value("failed", false), true);
    EXPECT_TRUE(served.states.empty());
}

}  // namespace

}  // namespace panel_host
