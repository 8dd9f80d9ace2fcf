#include "build_paths.h"
#include "emulated_host.h"

#include "debug_output.h"
#include "router_config.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace panel_host {

namespace {

// Remembers every breach and diagnostic the host reports.
class breachLog final : public hostObserver {
public:
    void breachFound(const contractBreach& breach) override
    {
        kinds.push_back(breach.kind);
        details.push_back(breach.detail);
    }
    void diagnostic(const std::string& text) override { diagnostics.push_back(text); }
    void debugOutput(const std::string& text) override { debugTexts.push_back(text); }
    std::vector<breachKind> kinds;
    std::vector<std::string> details;
    std::vector<std::string> diagnostics;
    std::vector<std::string> debugTexts;
};

class EmulatedHost : public testing::Test {
protected:
    EmulatedHost() : router(defaultRouterDevices()), interpreter(panels, router, timers), host(interpreter, log, 3)
    {
        router.setTallySink([this](const tallyData& t) {
            host.queueNotification(notification::tally(t.device, t.index, t.value, t.text));
        });
    }

    // One call into a script: the sends happen between beginCall and endCall.
    template <typename Sends>
    void duringOneCall(Sends sends)
    {
        host.beginCall();
        sends();
        host.endCall();
    }

    panelModel panels;
    routerModel router;
    timerScheduler timers;
    commandInterpreter interpreter;
    breachLog log;
    emulatedHost host;
};

// The framework's default debug output finds the hook this program exports
// and reaches the host whose call is running, one text per write.
TEST_F(EmulatedHost, DebugOutputDuringACallReachesTheHostsObserver)
{
    duringOneCall([] {
        writeDebugOutput("textGet: value returned \"a\"");
        std::thread([] { writeDebugOutput("from the module's thread: a line on standard error"); }).join();
        writeDebugOutput("second");
    });
    writeDebugOutput("after the call: a line on standard error");
    EXPECT_EQ(log.debugTexts, (std::vector<std::string>{"textGet: value returned \"a\"", "second"}));
}

TEST_F(EmulatedHost, AScriptThatKeepsTheRulesCausesNoBreach)
{
    duringOneCall([this] {
        const char* reply = host.send("RN 1 0 5", 0);
        ASSERT_NE(reply, nullptr);
        EXPECT_STREQ(reply, "Source 5");
        host.send(reply, 5);
        host.send(nullptr, 5);
        host.send("TP 'text=5' '1' 'New'", 0);
    });
    EXPECT_EQ(host.report().total(), 0u) << host.report().summary();
    EXPECT_EQ(host.heldReadingReplies(), 0u);
    EXPECT_EQ(log.diagnostics, std::vector<std::string>{"no panel '1' is shown"});
}

TEST_F(EmulatedHost, ReplyStaysValidUntilGivenBackAndEveryReplyIsItsOwnBuffer)
{
    host.beginCall();
    const char* first = host.send("RN 1 0 5", 0);
    const char* second = host.send("RN 1 0 6", 0);
    ASSERT_NE(first, second);
    host.send("RN 1 0 7", 0);
    EXPECT_STREQ(first, "Source 5");
    EXPECT_STREQ(second, "Source 6");
    EXPECT_EQ(host.heldReadingReplies(), 3u);
}

struct breachCase {
    const char* name;
    void (*act)(emulatedHost& host);
    breachKind kind;
};

class EmulatedHostBreach : public EmulatedHost, public testing::WithParamInterface<breachCase> {};

TEST_P(EmulatedHostBreach, IsCountedAndReported)
{
    duringOneCall([this] { GetParam().act(host); });
    EXPECT_EQ(host.report().count(GetParam().kind), 1u) << host.report().summary();
    EXPECT_EQ(host.report().total(), 1u) << host.report().summary();
    EXPECT_EQ(log.kinds, std::vector<breachKind>{GetParam().kind});
}

INSTANTIATE_TEST_SUITE_P(
    EveryKind, EmulatedHostBreach,
    testing::Values(
        breachCase{"CodeOtherThanZeroAndFive", [](emulatedHost& h) { h.send("TP 'a=b' '1' 'X'", 1); },
                   breachKind::unknownSendCode},
        breachCase{"NegativeCode", [](emulatedHost& h) { h.send(nullptr, -1); }, breachKind::unknownSendCode},
        breachCase{"ReleaseOfAForeignPointer",
                   [](emulatedHost& h) {
                       static const char foreign[] = "Source 5";
                       h.send(foreign, 5);
                   },
                   breachKind::releaseOfUnknownPointer},
        breachCase{"ReleaseTwice",
                   [](emulatedHost& h) {
                       const char* reply = h.send("SD 'B4 Audio Router'", 0);
                       h.send(reply, 5);
                       h.send(reply, 5);
                   },
                   breachKind::repeatedRelease},
        breachCase{"ReadingReplyKept", [](emulatedHost& h) { h.send("RN 1 1 7", 0); }, breachKind::replyNeverGivenBack},
        breachCase{"ReleaseOfTheLayoutReply",
                   [](emulatedHost& h) {
                       const std::string show = "PS '1' '" + std::string(buildPaths::testData) + "/test_panel.morv_ui'";
                       h.send(h.send(show.c_str(), 0), 5);
                   },
                   breachKind::releaseOfKeptReply},
        breachCase{"UnparsableText", [](emulatedHost& h) { h.send("TP text=5 1 New", 0); },
                   breachKind::unparsableCommand},
        breachCase{"NullCommandText", [](emulatedHost& h) { h.send(nullptr, 0); }, breachKind::unparsableCommand},
        breachCase{"ReservedEntry", [](emulatedHost& h) { h.reserved(); }, breachKind::reservedEntryCalled},
        breachCase{"TooManyNotificationsInOneCall", [](emulatedHost& h) { h.send("RP 1 1 64", 0); },
                   breachKind::endlessNotifications},
        breachCase{"SendFromAnotherThread",
                   [](emulatedHost& h) { std::thread([&h] { h.send("TP 'text=5' '1' 'New'", 0); }).join(); },
                   breachKind::sendFromOtherThread},
        breachCase{"ReservedEntryFromAnotherThread",
                   [](emulatedHost& h) { std::thread([&h] { h.reserved(); }).join(); },
                   breachKind::reservedEntryCalled}),
    [](const testing::TestParamInfo<breachCase>& row) { return std::string(row.param.name); });

// Sends from another thread or between calls are not carried out; each is a
// breach naming the command, told when the host's thread looks next.
TEST_F(EmulatedHost, AStraySendIsHeldUntilTheHostLooksAndIsNeverCarriedOut)
{
    EXPECT_EQ(host.send("ET 3 1000", 0), nullptr);
    std::thread([this] {
        EXPECT_EQ(host.send("ET 1 1000\x1b", 0), nullptr);
        for (int i = 0; i < 5000; ++i) {
            host.send("ET 2 1000", 0);
        }
    }).join();
    EXPECT_TRUE(log.kinds.empty()) << "told only when the host's thread looks";
    duringOneCall([] {});
    EXPECT_TRUE(timers.running().empty());
    ASSERT_EQ(host.report().total(), 4097u);
    const std::vector<contractBreach>& breaches = host.report().breaches();
    EXPECT_EQ(breaches[0].kind, breachKind::sendBetweenCalls);
    EXPECT_EQ(breaches[0].detail, "send(0) \"ET 3 1000\" between calls into the script; not carried out");
    EXPECT_EQ(breaches[1].kind, breachKind::sendFromOtherThread);
    EXPECT_EQ(breaches[1].detail, "send(0) \"ET 1 1000\\x1b\" from another thread between calls; not carried out");
    EXPECT_EQ(log.details.back(), "906 more send(s) from another thread or between calls; not carried out");
}

TEST_F(EmulatedHost, AKeptReplyIsReportedOnceAndMayStillBeGivenBackLater)
{
    const char* reply = nullptr;
    duringOneCall([this, &reply] { reply = host.send("RN 1 1 7", 0); });
    duringOneCall([this, reply] { host.send(reply, 5); });
    EXPECT_EQ(host.report().total(), 1u) << host.report().summary();
    EXPECT_EQ(host.heldReadingReplies(), 0u);
}

// A script that breaks a rule at every call: each breach is counted, the
// first ones are listed, and the report stops growing there.
TEST(ContractReport, ListsTheFirstBreachesAndCountsEveryOne)
{
    contractReport report;
    const std::size_t added = contractReport::maxListedBreaches + 5;
    for (std::size_t i = 0; i < added; ++i) {
        report.add({i % 2 == 0 ? breachKind::repeatedRelease : breachKind::unknownSendCode, "#" + std::to_string(i)});
    }
    EXPECT_EQ(report.total(), added);
    EXPECT_EQ(report.count(breachKind::repeatedRelease), added / 2 + 1);
    EXPECT_EQ(report.count(breachKind::unknownSendCode), added / 2);
    EXPECT_EQ(report.count(breachKind::sendBetweenCalls), 0u);
    ASSERT_EQ(report.breaches().size(), contractReport::maxListedBreaches);
    const std::string summary = report.summary();
    const std::string lastListed = "#" + std::to_string(contractReport::maxListedBreaches - 1);
    EXPECT_EQ(summary.rfind(std::to_string(added) + " contract breach(es):\n", 0), 0u) << summary;
    EXPECT_NE(summary.find(lastListed + "\n  ... and 5 more, not listed\n"), std::string::npos) << summary;
}

// A script that repeats a command whose reply it keeps does not make the
// host hold more: the same reply is the same buffer, and giving it back is
// a breach each time.
TEST_F(EmulatedHost, KeptRepliesOfTheSameCommandShareOneBuffer)
{
    const std::string show = "PS '1' '" + std::string(buildPaths::testData) + "/test_panel.morv_ui'";
    duringOneCall([this, &show] {
        const char* first = host.send(show.c_str(), 0);
        const char* again = host.send(show.c_str(), 0);
        ASSERT_NE(first, nullptr);
        EXPECT_EQ(first, again);
        EXPECT_STREQ(first, "OK");
        host.send(first, 5);
        host.send(again, 5);
    });
    EXPECT_EQ(host.report().count(breachKind::releaseOfKeptReply), 2u) << host.report().summary();
    EXPECT_EQ(host.report().total(), 2u) << host.report().summary();
}

TEST_F(EmulatedHost, NotificationsRaisedInsideSendAreQueuedUpToTheCap)
{
    duringOneCall([this] {
        host.send("RR 1 1 64", 0);
        host.send("RP 1 1 2", 0);
    });
    ASSERT_TRUE(host.hasQueued());
    EXPECT_EQ(host.takeQueued().index, 1);
    EXPECT_EQ(host.takeQueued().index, 2);
    EXPECT_FALSE(host.hasQueued());
    EXPECT_EQ(host.report().total(), 0u);
}

// Answers every command with a fixed text, as a probing tool would.
class garbageReplies final : public replyPolicy {
public:
    std::optional<std::string> reply(const std::string&, const std::optional<std::string>&) override
    {
        return std::string("\x01garbage");
    }
};

TEST_F(EmulatedHost, AReplyPolicyDecidesWhatTheScriptReceives)
{
    garbageReplies policy;
    host.setReplyPolicy(&policy);
    duringOneCall([this] {
        const char* reply = host.send("TP 'text=5' '1' 'New'", 0);
        ASSERT_NE(reply, nullptr);
        EXPECT_STREQ(reply, "\x01garbage");
    });
    EXPECT_EQ(host.report().total(), 0u) << host.report().summary();
}

TEST_F(EmulatedHost, APassiveHostCarriesOutNothingAndAnswersOnlyFromItsPolicy)
{
    garbageReplies policy;
    host.setPassive(true);
    duringOneCall([this] {
        EXPECT_EQ(host.send("RR 1 1 64", 0), nullptr);
        EXPECT_EQ(host.send("RC 1 5 7 ',' 0", 0), nullptr);
        EXPECT_EQ(host.send("SD 'B4 Audio Router'", 0), nullptr);
        host.send("ET 1 1000", 0);
        host.send("RC 1 5", 0);
    });
    EXPECT_FALSE(host.hasQueued()) << "no tallies";
    EXPECT_TRUE(timers.running().empty());
    EXPECT_EQ(router.devices().front().routes[6], 7);
    ASSERT_EQ(log.kinds.size(), 1u) << "commands are still checked";
    EXPECT_EQ(log.kinds[0], breachKind::unparsableCommand);
    host.setReplyPolicy(&policy);
    duringOneCall([this] {
        const char* reply = host.send("SD 'B4 Audio Router'", 0);
        ASSERT_NE(reply, nullptr);
        EXPECT_STREQ(reply, "\x01garbage");
        host.send(reply, 5);
    });
}

}  // namespace

}  // namespace panel_host
