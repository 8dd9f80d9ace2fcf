#include "trace_scenario.h"

#include "two_panel_trace.h"

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
              "notify 7 null\n"
              "expect nothing\n"
              "query \"\"\n"
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

// Each recorded text goes into the scenario in the form that holds it: bare,
// quoted, or the word null; a record no text builds field by field.
struct writtenCase {
    const char* name;
    std::string events;  // after the load, in format 2
    const char* line;    // a line of the scenario
};

class TraceScenarioTexts : public testing::TestWithParam<writtenCase> {};

TEST_P(TraceScenarioTexts, AreWrittenSoThatTheyReadBackAsRecorded)
{
    const traceScenario scenario = scenarioOf(
        "morv-trace 2\n0 7 0 trace module=\"m\" inner=\"i\" pid=1 cap=5000 clock=host\n"
        "0 7 1 load host=0x10 path=\"p\"\n0 7 1 created 0x20\n" +
        GetParam().events + "\n");
    ASSERT_TRUE(scenario.ok) << scenario.error;
    EXPECT_NE(scenario.text().find(std::string("\n") + GetParam().line + "\n"), std::string::npos) << scenario.text();
}

INSTANTIATE_TEST_SUITE_P(
    Recorded, TraceScenarioTexts,
    testing::Values(
        writtenCase{"ReplyNull", "1 7 1 notify 4 timer 1\n1 7 1 send 0 \"TG '1' 'A' 'x'\"\n1 7 1 reply 0x1 \"null\"",
                    "answer \"null\""},
        writtenCase{"ReplyNone", "1 7 1 notify 4 timer 1\n1 7 1 send 0 \"TG '1' 'A' 'x'\"\n1 7 1 reply null",
                    "answer null"},
        writtenCase{"ControlCharacter", "1 7 1 notify 4 timer 1\n1 7 1 send 0 \"TP 'text=\\x0a' '1' 'A'\"",
                    "expect \"TP 'text=\\x0a' '1' 'A'\""},
        writtenCase{"NullCommand", "1 7 1 notify 4 timer 1\n1 7 1 send 0 null", "expect null"},
        writtenCase{"CommandThatReadsAsAnotherForm", "1 7 1 notify 4 timer 1\n1 7 1 send 0 \"nothing\"",
                    "expect \"nothing\""},
        writtenCase{"BlankInControl",
                    "1 7 1 notify 2 button panel=\"1\" control=\"A B\" name=\"press\" value=\"1\" has-value=1 "
                    "count=0",
                    "button 1 \"A B\" press=1"},
        writtenCase{"NullFields", "1 7 1 notify 2 button panel=null control=\"null\" event=null",
                    "button null \"null\" null"},
        writtenCase{"ApostropheAndHashInARecord",
                    "1 7 1 notify 2 button panel=\"1\" control=\"A\" name=\"it's\" value=\"#\" has-value=0 count=0",
                    "button-record 1 A name=\"it\\x27s\" value=\"\\x23\" has-value=0 count=0"},
        writtenCase{"LeadingBlankInTally", "1 7 1 notify 1 tally device=1 index=1 value=1 text=\" S\"",
                    "tally 1 1 1 \" S\""},
        writtenCase{"CodePageByteInTally", "1 7 1 notify 1 tally device=1 index=7 value=5 text=\"Caf\\xe9\"",
                    "tally 1 7 5 \"Caf\\xe9\""},
        writtenCase{"EmptyTally", "1 7 1 notify 1 tally device=1 index=7 value=5 text=\"\"", "tally 1 7 5 \"\""},
        writtenCase{"Comment", "1 7 1 notify 3 query \"a #b\"", "query \"a #b\""},
        writtenCase{"EmptyQuery", "1 7 1 notify 3 query \"\"", "query \"\""},
        writtenCase{"NullQuery", "1 7 1 notify 3 query null", "query null"},
        writtenCase{"NullRecord", "1 7 1 notify 1 payload null", "notify 1 null"},
        writtenCase{"EmptyRecord", "1 7 1 notify 6 payload 0x40", "notify 6"},
        writtenCase{"ResultWithBlanks", "1 7 1 notify 3 query \"q\"\n1 7 1 returned 0x50 \" r \"",
                    "expect result \" r \""}),
    [](const testing::TestParamInfo<writtenCase>& row) { return row.param.name; });

TEST(TraceScenario, ReplaysANullHostObjectAndANullPathAsSuch)
{
    const traceScenario scenario = scenarioOf(scenarioTraceHead +
                                              "0 7 1 load host=null path=null\n"
                                              "0 7 1 created 0x20\n"
                                              "1 7 0 unload\n");
    ASSERT_TRUE(scenario.ok) << scenario.error;
    EXPECT_EQ(scenario.text(),
              "# instance 1 of t.trace: the recorded host's notifications and replies\n"
              "host null\n"
              "path null\n"
              "expect nothing\n");
}

// Two panels the host called on one thread, loaded alike, replay in one
// scenario: each line names its instance, the second panel is made by its
// first check, and the tally the host gave it from inside the first
// panel's "RC" is a during line of that command.
TEST(TraceScenario, ReplaysInstancesOfOneThreadTogether)
{
    const traceSource source = traceSource::text("t.trace", twoPanelTrace);
    const traceCheck check = checkTrace(source);
    ASSERT_TRUE(check.ok) << check.error;
    EXPECT_EQ(whyNotReplayedTogether(source), "");
    const traceScenario together = traceToScenario(source, check.summary, 0);
    ASSERT_TRUE(together.ok) << together.error;
    EXPECT_EQ(together.text(),
              "# every instance (@N: instance N) of t.trace: the recorded host's notifications and replies\n"
              "host passive\n"
              "path p\n"
              "expect nothing\n"
              "answer null\n"
              "@2 expect RR 1 7 7\n"
              "expect nothing\n"
              "answer null\n"
              "answer null\n"
              "answer null\n"
              "during 1 @2 tally 1 7 5 Source 5\n"
              "button 1 Take press=1\n"
              "expect RC 1 5 7 ',' 0\n"
              "expect ET 1 1000\n"
              "expect ET 1 1000\n"
              "expect nothing\n"
              "tick 1\n"
              "expect nothing\n"
              "@2 tick 1\n"
              "expect nothing\n"
              "tick 1\n"
              "expect nothing\n"
              "tick 1\n"
              "expect nothing\n"
              "tick 1\n"
              "expect nothing\n");
    // Alone, the second panel gets the tally as a notification of its own.
    const std::string second = traceToScenario(source, check.summary, 2).text();
    EXPECT_NE(second.find("\nexpect RR 1 7 7\nexpect nothing\nanswer null\ntally 1 7 5 Source 5\n"), std::string::npos)
        << second;
}

TEST(TraceScenario, TellsWhyInstancesCannotBeReplayedTogether)
{
    const auto why = [](const std::string& from, const std::string& to) {
        std::string text = twoPanelTrace;
        return whyNotReplayedTogether(traceSource::text("t.trace", text.replace(text.find(from), from.size(), to)));
    };
    EXPECT_EQ(why("0 7 2 load host=0x20 path=\"p\"", "0 7 2 load host=0x20 path=\"q\""), "they got different paths");
    EXPECT_EQ(why("0 7 2 load host=0x20", "0 7 2 load host=null"), "some got a host object and some none");
    EXPECT_EQ(why("1010 7 2 notify 4 timer 1\n1010 7 2 returned", "1010 8 2 notify 4 timer 1\n1010 8 2 returned"),
              "the host called them on several threads");
}

TEST(TraceScenario, RefusesATimerIdBeyondWhatATickLineHolds)
{
    const traceScenario scenario = scenarioOf(
        "morv-trace 2\n0 7 0 trace module=\"m\" inner=\"i\" pid=1 cap=5000 clock=host\n0 7 1 load host=0x10 "
        "path=\"p\"\n"
        "0 7 1 created 0x20\n1 7 1 notify 4 timer 4294967297\n");
    EXPECT_FALSE(scenario.ok);
    EXPECT_EQ(scenario.error,
              "t.trace:5: \"tick 4294967297\" cannot be written as a scenario line (a timer id within 32 bits)");
}

}  // namespace

}  // namespace panel_host
