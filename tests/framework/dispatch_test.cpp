// notify(): from the host's raw codes to the panel's handlers, and the
// script's construction and destruction as the host sees them.
#include "debug_capture.h"
#include "notify_codes.h"
#include "recording_host.h"
#include "tally_record_storage.h"
#include "test_panel.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

void* timerPayload(std::intptr_t id)
{
    return reinterpret_cast<void*>(id);
}

class Dispatch : public ::testing::Test {
protected:
    recordingHost host;
    testPanel panel{&host};
};

TEST_F(Dispatch, TallyReachesOnTally)
{
    tallyRecordStorage storage(3, 12, 5, "Mic 5");
    EXPECT_EQ(panel.notify(storage.record(), notifyTally), nullptr);
    EXPECT_EQ(panel.handled, (std::vector<std::string>{"onTally device=3 index=12 value=5 text=Mic 5"}));
}

TEST_F(Dispatch, ButtonReachesOnButton)
{
    buttonPress press("1", "Sources", "select=5");
    EXPECT_EQ(panel.notify(press.payload(), notifyButton), nullptr);
    EXPECT_EQ(panel.handled, (std::vector<std::string>{"onButton panel=1 control=Sources event=select value=5"}));
}

TEST_F(Dispatch, NullRecordForTallyOrButtonDoesNothing)
{
    EXPECT_EQ(panel.notify(nullptr, notifyTally), nullptr);
    EXPECT_EQ(panel.notify(nullptr, notifyButton), nullptr);
    EXPECT_TRUE(panel.handled.empty());
    EXPECT_TRUE(host.calls().empty());
}

TEST_F(Dispatch, AlarmButtonsAreOrdinaryButtonsWhileAlarmHandlingIsOff)
{
    ASSERT_FALSE(panel.alarmHandling);
    buttonPress action("1", "ActionAll", "alarm=1");
    buttonPress acknowledge("1", "AckAll", "press");
    panel.notify(action.payload(), notifyButton);
    panel.notify(acknowledge.payload(), notifyButton);
    EXPECT_EQ(panel.handled, (std::vector<std::string>{"onButton panel=1 control=ActionAll event=alarm value=1",
                                                       "onButton panel=1 control=AckAll event=press value="}));
    EXPECT_TRUE(host.calls().empty()) << joinLines(host.commands());
}

TEST_F(Dispatch, QueryReplyComesBackAsFreshTextFreedOnRelease)
{
    panel.queryReply = "abc";
    const char* reply = panel.notify(const_cast<char*>("return=all"), notifyQuery);
    ASSERT_NE(reply, nullptr);
    EXPECT_NE(reply, panel.queryReply.c_str());
    panel.queryReply = "changed";
    EXPECT_EQ(std::strlen(reply), 3U);
    EXPECT_STREQ(reply, "abc");
    EXPECT_EQ(panel.handled, (std::vector<std::string>{"onQuery name=return value=all"}));
    EXPECT_EQ(panel.notify(const_cast<char*>(reply), notifyRelease), nullptr);
    EXPECT_TRUE(host.calls().empty());
}

TEST_F(Dispatch, QueryReplyMayBeReleasedThroughAnotherScript)
{
    testPanel other(nullptr);
    panel.queryReply = "42";
    const char* reply = panel.notify(const_cast<char*>("return"), notifyQuery);
    ASSERT_NE(reply, nullptr);
    EXPECT_EQ(other.notify(const_cast<char*>(reply), notifyRelease), nullptr);
}

TEST_F(Dispatch, NullQueryIsAnEmptyMessage)
{
    panel.queryReply = "x";
    const char* reply = panel.notify(nullptr, notifyQuery);
    EXPECT_EQ(panel.handled, (std::vector<std::string>{"onQuery name= value="}));
    ASSERT_NE(reply, nullptr);
    panel.notify(const_cast<char*>(reply), notifyRelease);
}

TEST_F(Dispatch, EmptyQueryReplyGivesNull)
{
    EXPECT_EQ(panel.notify(const_cast<char*>("return=all"), notifyQuery), nullptr);
    EXPECT_EQ(panel.handled.size(), 1U);
}

TEST_F(Dispatch, QueryLeavesCallerTextUnchanged)
{
    char text[] = "a.b=c";
    panel.notify(text, notifyQuery);
    EXPECT_STREQ(text, "a.b=c");
    EXPECT_EQ(panel.handled, (std::vector<std::string>{"onQuery name=a value=c"}));
}

TEST_F(Dispatch, ReleaseOfNullDoesNothing)
{
    EXPECT_EQ(panel.notify(nullptr, notifyRelease), nullptr);
    EXPECT_TRUE(panel.handled.empty());
    EXPECT_TRUE(host.calls().empty());
}

TEST_F(Dispatch, TimerIdTravelsInPayloadWithoutBeingDereferenced)
{
    EXPECT_EQ(panel.notify(timerPayload(1), notifyTimer), nullptr);
    panel.notify(timerPayload(1000), notifyTimer);
    panel.notify(timerPayload(-1), notifyTimer);
    panel.notify(timerPayload(0), notifyTimer);
    EXPECT_EQ(panel.handled, (std::vector<std::string>{"onTimer 1", "onTimer 1000", "onTimer -1", "onTimer 0"}));
}

TEST_F(Dispatch, CodesSixAndSevenDoNothingByDefault)
{
    int record = 0;
    EXPECT_EQ(panel.notify(&record, notifyOther6), nullptr);
    EXPECT_EQ(panel.notify(&record, notifyOther7), nullptr);
    EXPECT_EQ(panel.notify(timerPayload(1), notifyOther6), nullptr);
    EXPECT_EQ(panel.notify(nullptr, notifyOther7), nullptr);
    EXPECT_TRUE(panel.handled.empty());
    EXPECT_TRUE(host.calls().empty());
}

class UnknownCode : public ::testing::TestWithParam<std::int32_t> {};

TEST_P(UnknownCode, CallsNoHandlerAndReturnsNull)
{
    recordingHost host;
    testPanel panel(&host);
    panel.queryReply = "reply";
    buttonPress press("1", "Take", "press");
    EXPECT_EQ(panel.notify(press.payload(), GetParam()), nullptr);
    EXPECT_EQ(panel.notify(nullptr, GetParam()), nullptr);
    EXPECT_TRUE(panel.handled.empty());
    EXPECT_TRUE(host.calls().empty());
}

INSTANTIATE_TEST_SUITE_P(Table, UnknownCode, ::testing::Values(0, 8, 9, 100, -1, -5, INT_MAX, INT_MIN));

struct failingCase {
    std::int32_t code;
    const char* handled;
};

class FailedOperation : public ::testing::TestWithParam<failingCase> {};

// A command that cannot be built is not sent, nothing after it in the same
// notify is, the result is null even for a query with a reply, and the next
// notify works normally.
TEST_P(FailedOperation, StopsTheNotifyAndNotTheNext)
{
    recordingHost host;
    testPanel panel(&host);
    panel.failInHandlers = true;
    panel.queryReply = "reply";
    tallyRecordStorage tally(1, 2, 3, "t");
    buttonPress press("1", "Take", "press");
    void* payloads[] = {nullptr, tally.record(), press.payload(), const_cast<char*>("q"), timerPayload(7)};
    const failingCase& c = GetParam();
    EXPECT_EQ(panel.notify(payloads[c.code], c.code), nullptr);
    EXPECT_EQ(panel.handled, (std::vector<std::string>{c.handled}));
    EXPECT_EQ(joinLines(host.commands()), joinLines({"TP 'text=before' '1' 'A'"}));

    panel.failInHandlers = false;
    const char* reply = panel.notify(const_cast<char*>("q"), notifyQuery);
    EXPECT_STREQ(reply, "reply");
    panel.notify(const_cast<char*>(reply), notifyRelease);
}

INSTANTIATE_TEST_SUITE_P(
    Table, FailedOperation,
    ::testing::Values(failingCase{notifyTally, "onTally device=1 index=2 value=3 text=t"},
                      failingCase{notifyButton, "onButton panel=1 control=Take event=press value="},
                      failingCase{notifyQuery, "onQuery name=q value="}, failingCase{notifyTimer, "onTimer 7"}));

TEST(ScriptLifetime, ConstructionSendsNothingAndKeepsPath)
{
    recordingHost host;
    testPanel panel(&host, "/opt/panels");
    EXPECT_TRUE(host.calls().empty());
    EXPECT_STREQ(panel.basePath.c_str(), "/opt/panels");
    EXPECT_FALSE(panel.alarmHandling);
}

TEST(ScriptLifetime, NullPathGivesEmptyBasePath)
{
    const testPanel panel(nullptr, nullptr);
    EXPECT_STREQ(panel.basePath.c_str(), "");
}

TEST(ScriptLifetime, DestructionSendsOneClosingCommandLast)
{
    recordingHost host;
    host.answer("AS", "done");
    auto panel = std::make_unique<testPanel>(&host);
    panel->closingControl = "Take";
    destroyScript(panel.release());
    EXPECT_EQ(joinLines(host.commands()), joinLines({"CD '1' 'Take'", "AS"}));
    ASSERT_EQ(host.calls().size(), 2U);
    EXPECT_EQ(host.calls().back().code, sendExecute);
    EXPECT_EQ(joinLines(host.replyProblems()), "");
}

TEST(ScriptLifetime, DestructionWithoutHostRunsTheScriptsDestructor)
{
    // A panel that says when its destructor has run.
    struct watchedPanel final : testPanel {
        explicit watchedPanel(bool& destroyed) : testPanel(nullptr), destroyed_(destroyed) {}
        ~watchedPanel() override { destroyed_ = true; }
        bool& destroyed_;
    };
    const debugCapture debug;
    bool destroyed = false;
    auto panel = std::make_unique<watchedPanel>(destroyed);
    panel->closingControl = "Take";
    destroyScript(panel.release());
    EXPECT_TRUE(destroyed);
    EXPECT_EQ(debug.text(), "");
}

}  // namespace
