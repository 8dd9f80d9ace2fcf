// Every check can fail: each test module breaks one rule, and the validator
// reports it with the right check and result. The sound module they are
// built from, and the routing panel, pass every check.
#include "build_paths.h"
#include "validator_fixture.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <ostream>

namespace panel_host {

namespace {

using std::chrono::milliseconds;

struct brokenModuleCase {
    const char* module;
    const char* check;
    resultKind expected;
    const char* detail;  // a part of the details the report must hold
};

std::ostream& operator<<(std::ostream& out, const brokenModuleCase& c)
{
    return out << c.module << " -> " << c.check;
}

const brokenModuleCase brokenModuleCases[] = {
    {"entry_with_cpp_linkage", "loading.entry-point", resultKind::failed, "declare it extern \"C\""},
    {"exports_second_symbol", "loading.single-export", resultKind::warning, "sound_panel_version"},
    {"creates_no_object", "loading.creates-object", resultKind::failed, "returned no script object"},
    {"creates_one_object", "loading.repeated-load", resultKind::failed, "script 2 alive at once"},
    {"uses_null_host", "host.null-host", resultKind::crashed, "during: start-up with a null host"},
    {"reads_null_reply", "host.null-replies", resultKind::crashed, "control 'Sources'"},
    {"trusts_reply_format", "host.garbage-replies", resultKind::crashed, "during: event"},
    {"crashes_on_unknown_code", "boundary.unknown-codes", resultKind::crashed, "during: event 1 of 6: code 0"},
    {"reads_null_release", "boundary.null-release", resultKind::crashed, "give back the query reply"},
    {"static_query_reply", "boundary.query-replies", resultKind::failed, "static data"},
    {"reads_timer_payload", "boundary.timer-payload", resultKind::crashed, "during: event 1 of 8: timer 1"},
    {"hangs_on_foreign_timer", "boundary.timer-payload", resultKind::timedOut, "during: event 2 of 8: timer 2"},
    {"sends_code_seven", "output.send-codes", resultKind::failed, "send() with code 7"},
    {"sends_unparsable_command", "output.command-texts", resultKind::failed, "\"TP 'text=1' '1'\""},
    {"gives_back_twice", "output.give-back", resultKind::failed, "repeated-release"},
    {"keeps_reading_reply", "output.reading-replies", resultKind::failed, "reply-never-given-back"},
    {"sends_from_own_thread", "output.calling-thread", resultKind::failed, "\"TP 'text=late' '1' 'New'\" from another"},
    {"never_sends_as", "output.final-as", resultKind::failed, "no \"AS\" was sent"},
    {"sends_as_twice", "output.final-as", resultKind::failed, "\"AS\" was sent 2 times"},
    {"crashes_out_of_range", "robustness.random-events", resultKind::crashed, "shortest failing prefix"},
    {"gives_back_twice", "robustness.random-events", resultKind::failed, "repeated-release"},
    {"hangs_on_foreign_timer", "robustness.random-events", resultKind::timedOut, "shortest failing prefix"},
    {"counts_across_objects", "determinism.transcript", resultKind::failed, "differ at line"},
};

class BrokenModule : public testing::TestWithParam<brokenModuleCase> {};

TEST_P(BrokenModule, IsReportedByTheRightCheck)
{
    const brokenModuleCase& c = GetParam();
    const auto runner = makeChildProcessRunner();
    const validationReport report =
        validateWith(testSettings(testModulePaths().at(c.module), milliseconds(2000)), {c.check}, *runner);
    const checkRecord* record = findRecord(report, c.check);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(resultKindName(record->result.kind), std::string(resultKindName(c.expected))) << describeReport(report);
    EXPECT_NE(record->result.details.find(c.detail), std::string::npos) << describeReport(report);
    EXPECT_EQ(report.exitCode(), isFailure(c.expected) ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(EachRule, BrokenModule, testing::ValuesIn(brokenModuleCases),
                         [](const testing::TestParamInfo<brokenModuleCase>& param) {
                             std::string name = std::string(param.param.module) + "_" + param.param.check;
                             for (char& c : name) {
                                 c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                             }
                             return name;
                         });

void expectEveryCheckPasses(const std::string& modulePath, probeRunner& runner)
{
    const validationReport report = validateWith(testSettings(modulePath, milliseconds(20000)), {}, runner);
    EXPECT_EQ(report.records.size(), registeredChecks().size());
    EXPECT_EQ(report.count(resultKind::passed), report.records.size()) << describeReport(report);
    EXPECT_EQ(report.exitCode(), 0);
}

TEST(SoundModule, PassesEveryCheck)
{
    const auto runner = makeChildProcessRunner();
    expectEveryCheckPasses(testModulePaths().at("sound_module"), *runner);
}

TEST(SoundModule, PassesEveryCheckInProcess)
{
    const auto runner = makeInProcessRunner();
    expectEveryCheckPasses(testModulePaths().at("sound_module"), *runner);
}

TEST(RoutingPanel, PassesEveryCheck)
{
    const auto runner = makeChildProcessRunner();
    expectEveryCheckPasses(buildPaths::vantryModule, *runner);
}

TEST(Validation, SkipsTheChecksWhoseNeedsFailed)
{
    const auto runner = makeChildProcessRunner();
    const validationReport report = validateWith(
        testSettings(testModulePaths().at("creates_no_object"), milliseconds(5000)), {"loading", "output"}, *runner);
    EXPECT_EQ(findRecord(report, "loading.entry-point")->result.kind, resultKind::passed) << describeReport(report);
    EXPECT_EQ(findRecord(report, "loading.creates-object")->result.kind, resultKind::failed);
    for (const char* dependent : {"loading.repeated-load", "output.final-as", "output.send-codes"}) {
        const checkRecord* record = findRecord(report, dependent);
        ASSERT_NE(record, nullptr) << dependent;
        EXPECT_EQ(record->result.kind, resultKind::skipped) << dependent;
        EXPECT_EQ(record->result.details, "needs loading.creates-object (Failed)");
    }
}

TEST(Validation, AFileThatIsNoModuleFailsToLoad)
{
    const auto runner = makeChildProcessRunner();
    const validationReport report = validateWith(
        testSettings(std::string(buildPaths::layouts) + "/p1.morv_ui", milliseconds(5000)), {"loading"}, *runner);
    EXPECT_EQ(findRecord(report, "loading.file-loads")->result.kind, resultKind::failed) << describeReport(report);
    EXPECT_EQ(findRecord(report, "loading.entry-point")->result.kind, resultKind::skipped);
    EXPECT_EQ(report.exitCode(), 1);
}

// The shortest failing prefix the robustness check reports replays with its
// seed, and one event fewer passes.
TEST(Robustness, ReportedPrefixIsTheShortestAndReplaysWithItsSeed)
{
    const auto runner = makeChildProcessRunner();
    validationSettings settings = testSettings(testModulePaths().at("crashes_out_of_range"), milliseconds(5000));
    const validationReport report = validateWith(settings, {"robustness.random-events"}, *runner);
    const std::string& details = report.records.at(0).result.details;
    unsigned long long seed = 0;
    std::size_t length = 0;
    std::size_t total = 0;
    ASSERT_EQ(
        std::sscanf(details.c_str(), "seed %llu: the shortest failing prefix has %zu of %zu", &seed, &length, &total),
        3)
        << details;
    ASSERT_GT(length, 0u);
    EXPECT_NE(details.find("--seed " + std::to_string(seed) + " --events " + std::to_string(length)), std::string::npos)
        << details;

    settings.seed = seed;
    settings.sequences = 1;
    settings.events = length;
    const validationReport replay = validateWith(settings, {"robustness.random-events"}, *runner);
    EXPECT_EQ(replay.records.at(0).result.kind, resultKind::crashed) << describeReport(replay);
    settings.events = length - 1;
    const validationReport shorter = validateWith(settings, {"robustness.random-events"}, *runner);
    EXPECT_EQ(shorter.records.at(0).result.kind, resultKind::passed) << describeReport(shorter);
}

}  // namespace

}  // namespace panel_host
