// What a replay of a trace needs of the scenario language: the host acting
// from inside a command ("during") and a button record laid out field by
// field ("button-record").
#include "build_paths.h"
#include "scenario_line.h"
#include "scenario_runner.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace panel_host {

namespace {

struct formLine {
    const char* text;
    const char* error;  // "" when the line reads
};

class HostCallsInsideLines : public testing::TestWithParam<formLine> {};

TEST_P(HostCallsInsideLines, ReadOrAreRefusedWithTheColumnAndTheReason)
{
    const scenarioLineParse parsed = parseScenarioLine(GetParam().text, 3);
    EXPECT_EQ(parsed.ok ? std::string() : parsed.error, GetParam().error);
}

INSTANTIATE_TEST_SUITE_P(
    Language, HostCallsInsideLines,
    testing::Values(
        formLine{"during 2 tally 1 7 5 Source 5", ""}, formLine{"during 1 unload", ""},
        formLine{"during 4 button-record 1 A name=\"a=b\" value=null has-value=7 count=1 part=\"\\x23\"", ""},
        formLine{"button-record 1 A event=null", ""}, formLine{"during 2 @2 unload", ""},
        formLine{"button-record null \"a b\" event=null", ""},
        formLine{"@2 during 1 tick 1", "line 3, column 1: during lines concern the whole host and take no @N"},
        formLine{"during 0 tick 1",
                 "line 3, column 8: 0 is out of range: expected a whole number from 1 to "
                 "2147483647 (during COMMAND-NUMBER LINE)"},
        formLine{"during 1 choose Sources 5",
                 "line 3, column 10: during takes a tally, button, button-record, tick, query, notify or unload line"},
        formLine{"during 1 during 1 unload",
                 "line 3, column 10: during takes a tally, button, button-record, tick, "
                 "query, notify or unload line"},
        formLine{"during 1 tick one",
                 "line 3, column 15: \"one\" is not a whole number from -2147483648 to "
                 "2147483647 (tick TIMER-ID)"},
        formLine{"button-record 1 A name=\"a\" value=\"\" has-value=1 count=2 part=\"p\"",
                 "line 3, column 65: expected a blank and part= (button-record PANEL CONTROL name=TEXT value=TEXT "
                 "has-value=N count=N part=TEXT... | event=null)"},
        formLine{"button-record 1 A name=a",
                 "line 3, column 24: expected the name: null or a text in double quotes "
                 "(button-record PANEL CONTROL name=TEXT value=TEXT has-value=N count=N "
                 "part=TEXT... | event=null)"}));

// A scenario played through the routing panel, its transcript and what its
// expectations found.
struct played {
    std::string transcript;
    std::vector<std::string> failures;
};

played play(const std::vector<std::string>& lines)
{
    std::ostringstream out;
    std::ostringstream err;
    hostSetup setup;
    setup.modulePath = buildPaths::vantryModule;
    setup.layoutFolder = buildPaths::layouts;
    played result;
    {
        scenarioRunner runner(setup, out, "", err);
        for (std::size_t i = 0; i < lines.size(); ++i) {
            EXPECT_TRUE(runner.run(parseScenarioLine(lines[i], static_cast<int>(i + 1)).line)) << err.str();
        }
        runner.finish();
        result.failures = runner.failures();
    }
    result.transcript = out.str();
    return result;
}

TEST(HostCallsInside, TheNotificationIsDeliveredInsideTheCommandAndItsCommandsCount)
{
    // A record no text builds: a value without has-value, which the panel
    // reads all the same.
    const played run = play({"choose Sources 5",
                             "during 1 button-record 1 Sources name=\"select\" value=\"9\" "
                             "has-value=0 count=0",
                             "choose Destinations 7", "expect TP 'text=7' '1' 'Did'", "expect TP 'text=9' '1' 'New'"});
    EXPECT_TRUE(run.failures.empty()) << run.failures.front();
    EXPECT_NE(run.transcript.find("    send(0) TP 'text=7' '1' 'Did' -> null\n"
                                  "    notify(2) button panel '1' control 'Sources' record name=\"select\" "
                                  "value=\"9\" has-value=0 count=0\n"
                                  "      send(0) TP 'text=9' '1' 'New' -> null\n"),
              std::string::npos)
        << run.transcript;
}

TEST(HostCallsInside, ANotificationForAnotherInstanceIsDeliveredInsideTheCommand)
{
    // Panel 2 shows destination 7; a tally for it comes inside panel 1's
    // first command, and panel 2's commands come before panel 1's next.
    const played run = play({"@2 choose Destinations 7", "during 1 @2 tally 1 7 5 \"Seven's\"", "choose Destinations 3",
                             "expect TP 'text=3' '1' 'Did'", "expect TP 'text=5' '1' 'Old'",
                             "expect TP 'text=Seven's' '1' 'OldSrcName'", "expect RN 1 1 3"});
    EXPECT_TRUE(run.failures.empty()) << run.failures.front();
    EXPECT_NE(run.transcript.find("    send(0) TP 'text=3' '1' 'Did' -> null\n"
                                  "    notify(1) @2 tally device 1 index 7 value 5 text \"Seven's\"\n"
                                  "      send(0) TP 'text=5' '1' 'Old' -> null\n"),
              std::string::npos)
        << run.transcript;
}

TEST(HostCallsInside, ADuringLineWhoseCommandNeverComesFailsItsBlock)
{
    const played run = play({"during 99 tick 1", "choose Sources 5"});
    ASSERT_EQ(run.failures.size(), 1u) << run.transcript;
    EXPECT_EQ(run.failures.front().rfind("line 1: the host was to act during command 99, but the script sent 3 "
                                         "command(s)",
                                         0),
              0u)
        << run.failures.front();
}

}  // namespace

}  // namespace panel_host
