// The alarm facility: the filter in front of onButton and alarmAction.
#include "debug_capture.h"
#include "notify_codes.h"
#include "recording_host.h"
#include "test_panel.h"

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace {

using lines = std::vector<std::string>;

TEST(AlarmAction, AcknowledgeReadsEachValueAndReplacesOnlyOutOfSetValues)
{
    recordingHost host;
    host.answer("XI", std::string("alm_a,alm_b"));
    host.answer("TG '1' 'alm_a'", std::string("value=1"));
    host.answer("TG '1' 'alm_b'", std::string("value=3"));
    testPanel panel(&host);
    panel.alarmAction("ack");
    EXPECT_EQ(joinLines(host.commands()),
              joinLines({"XI '1' 'alm_'", "TP 'alarm=ack' '1' 'alm_a'", "TG '1' 'alm_a' 'value'",
                         "TP 'value=4' '1' 'alm_a'", "TP 'alarm=ack' '1' 'alm_b'", "TG '1' 'alm_b' 'value'"}));
    EXPECT_EQ(joinLines(host.replyProblems()), "");
}

TEST(AlarmAction, SetStateFinishesEachControlBeforeTheNext)
{
    recordingHost host;
    host.answer("XI", std::string("alm_a,alm_b"));
    testPanel panel(&host);
    panel.alarmAction("1");
    EXPECT_EQ(joinLines(host.commands()),
              joinLines({"XI '1' 'alm_'", "TP 'alarm=1' '1' 'alm_a'", "TP 'value=1' '1' 'alm_a'",
                         "TP 'alarm=1' '1' 'alm_b'", "TP 'value=1' '1' 'alm_b'"}));
}

struct stateCase {
    const char* state;
    lines afterList;  // commands after the list request, for one control alm_a whose value reads 1
};

std::ostream& operator<<(std::ostream& out, const stateCase& c)
{
    return out << ::testing::PrintToString(c.state);
}

class AlarmState : public ::testing::TestWithParam<stateCase> {};

TEST_P(AlarmState, CommandsForOneControl)
{
    const stateCase& c = GetParam();
    recordingHost host;
    host.answer("XI", std::string("alm_a"));
    host.answer("TG", std::string("value=1"));
    testPanel panel(&host);
    panel.alarmAction(c.state);
    lines want{"XI '1' 'alm_'"};
    want.insert(want.end(), c.afterList.begin(), c.afterList.end());
    EXPECT_EQ(joinLines(host.commands()), joinLines(want));
    EXPECT_EQ(joinLines(host.replyProblems()), "");
}

INSTANTIATE_TEST_SUITE_P(
    Table, AlarmState,
    ::testing::Values(
        stateCase{"ack", {"TP 'alarm=ack' '1' 'alm_a'", "TG '1' 'alm_a' 'value'", "TP 'value=4' '1' 'alm_a'"}},
        stateCase{"4", {"TP 'alarm=4' '1' 'alm_a'", "TG '1' 'alm_a' 'value'", "TP 'value=4' '1' 'alm_a'"}},
        stateCase{"0", {"TP 'alarm=0' '1' 'alm_a'", "TP 'value=0' '1' 'alm_a'"}},
        stateCase{"1", {"TP 'alarm=1' '1' 'alm_a'", "TP 'value=1' '1' 'alm_a'"}},
        stateCase{"9", {"TP 'alarm=9' '1' 'alm_a'", "TP 'value=9' '1' 'alm_a'"}},
        stateCase{"x", {"TP 'alarm=x' '1' 'alm_a'", "TP 'value=0' '1' 'alm_a'"}},
        stateCase{"10", {"TP 'alarm=10' '1' 'alm_a'"}}, stateCase{"-1", {"TP 'alarm=-1' '1' 'alm_a'"}},
        stateCase{"ACK", {"TP 'alarm=ACK' '1' 'alm_a'"}}, stateCase{"", {"TP 'alarm=' '1' 'alm_a'"}}));

struct valueCase {
    std::optional<std::string> reply;  // the reply to the value read; nullopt: null
    bool replaced;                     // acknowledge writes value 4
};

std::ostream& operator<<(std::ostream& out, const valueCase& c)
{
    return out << "reply " << (c.reply ? '"' + *c.reply + '"' : "null");
}

class AcknowledgeValue : public ::testing::TestWithParam<valueCase> {};

TEST_P(AcknowledgeValue, ReplacedByFourUnlessZeroOrTwoToFive)
{
    const valueCase& c = GetParam();
    recordingHost host;
    host.answer("XI", std::string("alm_a"));
    host.answer("TG", c.reply);
    testPanel panel(&host);
    {
        const debugCapture quiet;
        panel.alarmAction("ack");
    }
    lines want{"XI '1' 'alm_'", "TP 'alarm=ack' '1' 'alm_a'", "TG '1' 'alm_a' 'value'"};
    if (c.replaced) {
        want.emplace_back("TP 'value=4' '1' 'alm_a'");
    }
    EXPECT_EQ(joinLines(host.commands()), joinLines(want));
    EXPECT_EQ(joinLines(host.replyProblems()), "");
}

INSTANTIATE_TEST_SUITE_P(Table, AcknowledgeValue,
                         ::testing::Values(valueCase{"value=1", true}, valueCase{"value=-1", true},
                                           valueCase{"value=6", true}, valueCase{"value=7", true},
                                           valueCase{"value=100", true}, valueCase{"value=0", false},
                                           valueCase{"value=2", false}, valueCase{"value=3", false},
                                           valueCase{"value=4", false}, valueCase{"value=5", false},
                                           valueCase{"value=", false}, valueCase{std::nullopt, false},
                                           valueCase{"alarm=1", false}));

TEST(AlarmAction, EmptyOrMissingListSendsOnlyTheListRequest)
{
    for (const std::optional<std::string>& reply : {std::optional<std::string>(""), std::optional<std::string>()}) {
        recordingHost host;
        host.answer("XI", reply);
        testPanel panel(&host);
        panel.alarmAction("ack");
        EXPECT_EQ(joinLines(host.commands()), joinLines({"XI '1' 'alm_'"}));
        EXPECT_EQ(joinLines(host.replyProblems()), "");
    }
}

TEST(AlarmAction, WithoutHostFindsNoControlAndLeavesTheOperationSound)
{
    const debugCapture debug;
    testPanel panel(nullptr);
    panel.alarmAction("ack");
    EXPECT_FALSE(panel.operationFailed());
    EXPECT_EQ(debug.text(), "");
}

struct filterCase {
    const char* control;
    const char* event;
    lines handled;   // handler calls
    lines commands;  // commands sent
};

std::ostream& operator<<(std::ostream& out, const filterCase& c)
{
    return out << c.control << " with event \"" << c.event << '"';
}

class AlarmFilter : public ::testing::TestWithParam<filterCase> {};

TEST_P(AlarmFilter, ConsumesAlarmButtonsOnly)
{
    const filterCase& c = GetParam();
    recordingHost host;
    host.answer("XI", std::string("alm_a"));
    host.answer("TG", std::string("value=1"));
    testPanel panel(&host);
    panel.alarmHandling = true;
    buttonPress press("1", c.control, c.event);
    EXPECT_EQ(panel.notify(press.payload(), notifyButton), nullptr);
    EXPECT_EQ(joinLines(panel.handled), joinLines(c.handled));
    EXPECT_EQ(joinLines(host.commands()), joinLines(c.commands));
    EXPECT_EQ(joinLines(host.replyProblems()), "");
}

INSTANTIATE_TEST_SUITE_P(
    Table, AlarmFilter,
    ::testing::Values(
        filterCase{
            "ActionAll", "alarm=1", {}, {"XI '1' 'alm_'", "TP 'alarm=1' '1' 'alm_a'", "TP 'value=1' '1' 'alm_a'"}},
        filterCase{
            "ActionAll",
            "alarm=ack",
            {},
            {"XI '1' 'alm_'", "TP 'alarm=ack' '1' 'alm_a'", "TG '1' 'alm_a' 'value'", "TP 'value=4' '1' 'alm_a'"}},
        filterCase{"ActionAll", "alarm", {}, {"XI '1' 'alm_'", "TP 'alarm=' '1' 'alm_a'"}},
        filterCase{"ActionAll", "select=1", {"onButton panel=1 control=ActionAll event=select value=1"}, {}},
        filterCase{"AckAll",
                   "press",
                   {},
                   {"XI '1' 'alm_'", "TP 'alarm=4' '1' 'alm_a'", "TG '1' 'alm_a' 'value'", "TP 'value=4' '1' 'alm_a'"}},
        filterCase{"AckAll",
                   "alarm=0",
                   {},
                   {"XI '1' 'alm_'", "TP 'alarm=4' '1' 'alm_a'", "TG '1' 'alm_a' 'value'", "TP 'value=4' '1' 'alm_a'"}},
        filterCase{"Take", "alarm=1", {"onButton panel=1 control=Take event=alarm value=1"}, {}},
        filterCase{"actionall", "alarm=1", {"onButton panel=1 control=actionall event=alarm value=1"}, {}}));

}  // namespace
