#include "trace_scenario.h"

#include <gtest/gtest.h>

namespace panel_host {

namespace {

const std::string scenarioTraceHead = "morv-trace 1\n0 7 0 trace module=\"m\" inner=\"i\" pid=1 cap=100\n";
const std::string panelTrace = scenarioTraceHead +
                               "0 7 1 load host=0x10 path=\"C:\\\\panels\"\n"
                               "0 7 1 send 0 \"PS '1' 'C:\\\\panels/p1.morv_ui'\" -> 0x11 \"OK\"\n"
                               "0 7 1 send 0 \"SD 'B4'\" -> 0x12 \"1 'B4'\"\n"
                               "0 7 1 send 5 0x12\n"
                               "0 7 1 created 0x20\n"
                               "4 7 1 notify 1 tally device=1 index=7 value=5 text=\"Source 5\"\n"
                               "4 7 1 returned null\n"
                               "5 7 1 notify 2 button panel=\"1\" control=\"Sources\" event=\"select=5\"\n"
                               "5 7 1 send 0 \"RN 1 0 5\" -> null\n"
                               "5 7 1 send 5 null\n"
                               "5 7 1 returned null\n"
                               "6 7 1 notify 3 query \"return=all\"\n"
                               "6 7 1 returned 0x30 \"1,2\"\n"
                               "7 7 1 notify 5 giveback 0x30\n"
                               "7 7 1 returned null\n"
                               "8 7 1 notify 4 timer 1\n"
                               "8 7 1 returned null\n"
                               "9 7 1 notify 7 payload null\n"
                               "9 7 1 returned null\n"
                               "9 7 1 notify 3 query \"\"\n"
                               "9 7 1 returned null\n"
                               "10 7 1 destroy\n"
                               "10 7 1 send 0 \"AS\" -> null\n"
                               "10 7 1 destroyed\n"
                               "11 7 0 unload\n";

// The first lines of the scenario of instance 1 of t.trace, loaded with path p.
const std::string scenarioHead =
    "# instance 1 of t.trace: the recorded host's notifications and replies\n"
    "host passive\n"
    "path p\n"
    "expect nothing\n";

traceScenario scenarioOf(const std::string& text)
{
    const traceSource source = traceSource::text("t.trace", text);
    const traceCheck check = checkTrace(source);
    EXPECT_TRUE(check.ok) << check.error;
    return traceToScenario(source, check.summary, 1);
}

TEST(TraceScenario, AnswersEachCommandAndExpectsItAfterTheRecordedNotification)
{
    const traceScenario scenario = scenarioOf(panelTrace);
    ASSERT_TRUE(scenario.ok) << scenario.error;
    EXPECT_EQ(scenario.text(),
              "# instance 1 of t.trace: the recorded host's notifications and replies\n"
              "host passive\n"
              "path C:\\panels\n"
              "answer OK\n"
              "answer 1 'B4'\n"
              "expect PS '1' 'C:\\panels/p1.morv_ui'\n"
              "expect SD 'B4'\n"
              "expect nothing\n"
              "tally 1 7 5 Source 5\n"
              "expect nothing\n"
              "answer null\n"
              "button 1 Sources select=5\n"
              "expect RN 1 0 5\n"
              "expect nothing\n"
              "query return=all\n"
              "expect nothing\n"
              "expect result 1,2\n"
              "tick 1\n"
              "expect nothing\n"
              "notify 7\n"
              "expect nothing\n"
              "query\n"
              "expect nothing\n"
              "expect result null\n"
              "answer null\n"
              "unload\n"
              "expect AS\n"
              "expect nothing\n");
    // Each line knows the trace line it replays: the button is line 10, its command line 11.
    EXPECT_EQ(scenario.lines[11].traceLine, 10u);
    EXPECT_EQ(scenario.lines[12].traceLine, 11u);
}

// What the host did from inside a command comes before the action, as
// "during" lines that count the commands from it; a button record no text
// builds goes field by field; a trace that ends in the middle of a call says
// so.
TEST(TraceScenario, PutsWhatTheHostDidInsideACommandBeforeTheAction)
{
    const traceScenario scenario = scenarioOf(
        "morv-trace 2\n0 7 0 trace module=\"m\" inner=\"i\" pid=1 cap=5000 clock=host\n"
        "0 7 1 load host=0x10 path=\"p\"\n"
        "0 7 1 created 0x20\n"
        "5 7 1 notify 2 button panel=\"1\" control=\"Take\" name=\"press\" value=\"1\" has-value=1 "
        "count=0\n"
        "5 7 1 send 0 \"CD '1' 'Take'\"\n"
        "5 7 1 reply null\n"
        "5 7 1 send 0 \"RC 1 5 7\"\n"
        "6 7 1 notify 1 tally device=1 index=7 value=5 text=\"S\"\n"
        "6 7 1 send 0 \"RN 1 0 5\"\n"
        "6 7 1 reply 0x30 \"Mic\"\n"
        "6 7 1 send 5 0x30\n"
        "6 7 1 reply null\n"
        "6 7 1 returned null\n"
        "6 7 1 notify 2 button panel=\"1\" control=\"A\" name=\"a #1\" value=\"x\" has-value=0 count=0\n"
        "6 7 1 returned null\n"
        "7 7 1 reply null\n"
        "7 7 1 send 0 \"TP 'text=-' '1' 'Old'\"\n"
        "7 7 1 destroy\n"
        "7 7 1 send 0 \"AS\"\n"
        "7 7 1 reply null\n"
        "7 7 1 destroyed\n"
        "7 7 1 reply null\n"
        "7 7 1 send 0 \"TP 'text=-' '1' 'Did'\"\n");
    ASSERT_TRUE(scenario.ok) << scenario.error;
    EXPECT_EQ(scenario.text(),
              scenarioHead +
                  "answer null\n"
                  "answer null\n"
                  "answer Mic\n"
                  "answer null\n"
                  "answer null\n"
                  "answer null\n"
                  "during 2 tally 1 7 5 S\n"
                  "during 2 button-record 1 A name=\"a \\x231\" value=\"x\" has-value=0 count=0\n"
                  "during 4 unload\n"
                  "button 1 Take press=1\n"
                  "expect CD '1' 'Take'\n"
                  "expect RC 1 5 7\n"
                  "expect RN 1 0 5\n"
                  "expect TP 'text=-' '1' 'Old'\n"
                  "expect AS\n"
                  "expect TP 'text=-' '1' 'Did'\n"
                  "# the trace ends during this call: it may have sent more\n"
                  "# the trace ends without unload or stop after line 24: the process ended while it was being written "
                  "(a crash, a kill)\n");
}

TEST(TraceScenario, ExpectsNothingMoreOnlyOfCallsThatReturnedBeforeTheTraceEnded)
{
    const traceScenario scenario = scenarioOf(scenarioTraceHead +
                                              "0 7 1 load host=0x10 path=\"p\"\n"
                                              "0 7 1 created 0x20\n"
                                              "5 7 1 notify 4 timer 1\n"
                                              "5 7 1 send 0 \"ET 1\" -> null\n"
                                              "6 7 0 stop \"size cap of 100 bytes reached\"\n");
    ASSERT_TRUE(scenario.ok) << scenario.error;
    EXPECT_EQ(scenario.text(), scenarioHead +
                                   "answer null\n"
                                   "tick 1\n"
                                   "expect ET 1\n"
                                   "# the trace ends during this call: it may have sent more\n");
}

struct unwritable {
    const char* name;
    std::string event;  // the trace line 4 of instance 1
    const char* error;
};

class TraceScenarioRefused : public testing::TestWithParam<unwritable> {};

TEST_P(TraceScenarioRefused, NamesTheTraceLine)
{
    const traceScenario scenario =
        scenarioOf(scenarioTraceHead + "0 7 1 load host=0x10 path=\"p\"\n" + GetParam().event + "\n");
    EXPECT_FALSE(scenario.ok);
    EXPECT_EQ(scenario.error.rfind(GetParam().error, 0), 0u) << scenario.error;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, TraceScenarioRefused,
    testing::Values(unwritable{"ReplyNull", "0 7 1 send 0 \"TG '1' 'A' 'x'\" -> 0x1 \"null\"",
                               "t.trace:4: \"answer null\" cannot be written"},
                    unwritable{"ControlCharacter", "0 7 1 send 0 \"TP 'text=\\x0a' '1' 'A'\" -> null",
                               "t.trace:4: \"expect TP 'text=\\x0a' '1' 'A'\" cannot be written"},
                    unwritable{"BlankInControl", "0 7 1 notify 2 button panel=\"1\" control=\"A B\" event=\"press=1\"",
                               "t.trace:4: \"button 1 A B press=1\" cannot be written"},
                    unwritable{"LeadingBlankInTally", "0 7 1 notify 1 tally device=1 index=1 value=1 text=\" S\"",
                               "t.trace:4: \"tally 1 1 1  S\" cannot be written"},
                    unwritable{"Comment", "0 7 1 notify 3 query \"a #b\"",
                               "t.trace:4: \"query a #b\" cannot be written"}),
    [](const testing::TestParamInfo<unwritable>& row) { return row.param.name; });

}  // namespace

}  // namespace panel_host
