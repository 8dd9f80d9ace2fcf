#include "build_paths.h"
#include "host_session.h"

#include "recording_host.h"
#include "router_config.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace panel_host {

namespace {

const std::string layouts = std::string(buildPaths::layouts);

// Records what a session does, one line per event, in order.
class sessionLog final : public hostObserver {
public:
    void notificationStarting(const notification& n) override
    {
        lines.push_back((n.instance != 1 ? "@" + std::to_string(n.instance) + " " : "") + "notify " + n.describe());
    }
    void commandSent(const sentCommand& c) override
    {
        if (c.code == 0) {
            lines.push_back("send " + c.text);
        }
    }
    void diagnostic(const std::string& text) override { diagnostics.push_back(text); }
    std::vector<std::string> lines;
    std::vector<std::string> diagnostics;
};

class HostSession : public testing::Test {
protected:
    explicit HostSession(sessionLimits limits = {}) : session(defaultRouterDevices(), limits)
    {
        session.addObserver(&log);
    }
    void loadFake()
    {
        const loadOutcome loaded = session.load(buildPaths::fakePanelModule, layouts);
        ASSERT_TRUE(loaded.ok) << loaded.message;
        log.lines.clear();
    }

    sessionLog log;  // outlives the session, which reports its unloading
    hostSession session;
};

TEST_F(HostSession, LoadingRunsTheStartUpCommandsAndShowsTheLayout)
{
    ASSERT_TRUE(session.load(buildPaths::fakePanelModule, layouts).ok);
    const std::vector<std::string> want{"send PS '1' '" + layouts + "/p1.morv_ui'", "send RR 1 1 64"};
    EXPECT_EQ(joinLines(log.lines), joinLines(want));
    EXPECT_NE(session.panels(1).find("1"), nullptr);
    EXPECT_TRUE(session.scriptLoaded());
}

TEST_F(HostSession, TallyRaisedInsideSendArrivesAfterTheCallReturns)
{
    loadFake();
    ASSERT_TRUE(session.deliver(notification::timer(5)).ok);
    const std::vector<std::string> want{"notify timer 5", "send RC 1 5 1 ',' 0",
                                        "notify tally device 1 index 1 value 5 text 'Source 5'", "send ET 77"};
    EXPECT_EQ(joinLines(log.lines), joinLines(want));
    EXPECT_EQ(session.report().total(), 0u) << session.report().summary();
}

TEST_F(HostSession, ChoosingSetsTheListAndSendsTheChoiceAsEventValue)
{
    loadFake();
    ASSERT_TRUE(session.choose(1, "1", "Sources", 5).ok);
    EXPECT_EQ(session.panels(1).find("1")->findControl("Sources")->properties.at("select"), "5");
    const std::vector<std::string> want{"notify button panel '1' control 'Sources' event 'select=5'", "send ET 1 5"};
    EXPECT_EQ(joinLines(log.lines), joinLines(want));
}

struct refusedAction {
    const char* name;
    bool press;
    const char* control;
    const char* message;
    actionRefusal refusal;
};

class HostSessionRefusal : public HostSession, public testing::WithParamInterface<refusedAction> {};

TEST_P(HostSessionRefusal, DeliversNothing)
{
    loadFake();
    const refusedAction& c = GetParam();
    const actionOutcome outcome = c.press ? session.press(1, "1", c.control) : session.choose(1, "1", c.control, 3);
    EXPECT_FALSE(outcome.ok);
    EXPECT_EQ(outcome.message, c.message);
    EXPECT_EQ(outcome.refusal, c.refusal);
    EXPECT_TRUE(log.lines.empty()) << joinLines(log.lines);
}

INSTANTIATE_TEST_SUITE_P(
    Operator, HostSessionRefusal,
    testing::Values(
        refusedAction{"PressDisabled", true, "Take", "'Take' is disabled; nothing is sent", actionRefusal::notNow},
        refusedAction{"PressUnknown", true, "Volume", "panel '1' has no control 'Volume'", actionRefusal::unknown},
        refusedAction{"PressLabel", true, "New", "'New' is a label, not a button", actionRefusal::unknown},
        refusedAction{"ChooseButton", false, "Clear", "'Clear' is a button, not a list", actionRefusal::unknown}),
    [](const testing::TestParamInfo<refusedAction>& row) { return std::string(row.param.name); });

TEST_F(HostSession, QueryReplyIsGivenBackToTheScript)
{
    loadFake();
    ASSERT_TRUE(session.deliver(notification::query(std::string("return=all"))).ok);
    const std::vector<std::string> want{"notify query 'return=all'", "notify give back the query reply 'ok'"};
    EXPECT_EQ(joinLines(log.lines), joinLines(want));
}

TEST_F(HostSession, OtherCodesReachTheScriptWithARecord)
{
    loadFake();
    session.deliver(notification::other(6));
    session.deliver(notification::other(7));
    const std::vector<std::string> want{"notify code 6 with an empty record", "send ET 106",
                                        "notify code 7 with an empty record", "send ET 107"};
    EXPECT_EQ(joinLines(log.lines), joinLines(want));
}

TEST_F(HostSession, RouteByAnotherControllerReportsRegisteredDestinations)
{
    loadFake();
    ASSERT_TRUE(session.routeByOtherController(1, 9, 1).ok);
    EXPECT_FALSE(session.routeByOtherController(1, 99, 1).ok);
    const std::vector<std::string> want{"notify tally device 1 index 1 value 9 text 'Source 9'", "send ET 77"};
    EXPECT_EQ(joinLines(log.lines), joinLines(want));
}

TEST_F(HostSession, UnloadDeletesTheScriptAndLaterActionsAreRefused)
{
    loadFake();
    session.unload();
    EXPECT_EQ(joinLines(log.lines), joinLines({"send AS"}));
    EXPECT_FALSE(session.scriptLoaded());
    EXPECT_EQ(session.deliver(notification::timer(1)).message, "no script is loaded");
}

TEST_F(HostSession, TimersStartedByTheScriptTickWhileWaiting)
{
    loadFake();
    // The fake starts timer 1 every 400 ms (more than the list's 64 entries
    // an operator can choose, so the raw event).
    session.deliver(notification::button("1", "Sources", "select=400"));
    log.lines.clear();
    session.wait(1000);
    const std::vector<std::string> want{
        "notify timer 1", "send RC 1 1 1 ',' 0", "notify tally device 1 index 1 value 1 text 'Source 1'", "send ET 77",
        "notify timer 1", "send RC 1 1 1 ',' 0", "notify tally device 1 index 1 value 1 text 'Source 1'", "send ET 77"};
    EXPECT_EQ(joinLines(log.lines), joinLines(want));
    EXPECT_EQ(session.timers().now(), 1000);
}

// Panels of one module on one router: each script instance has its own host
// object, panels and timers; a route reaches every instance registered for
// the destination; a deleted instance leaves the others working.
TEST_F(HostSession, InstancesShareTheRouterAndKeepTheirOwnTimers)
{
    loadFake();
    ASSERT_TRUE(session.load(buildPaths::fakePanelModule, layouts).ok);
    EXPECT_NE(session.panels(2).find("1"), nullptr);
    log.lines.clear();
    session.deliver(notification::button("1", "Sources", "select=400").to(2));  // its timer 1, every 400 ms
    session.deliver(notification::timer(5));                                    // instance 1 routes 5 to 1
    session.unload(1);
    EXPECT_EQ(session.deliver(notification::timer(5)).message, "script instance 1 is deleted");
    EXPECT_EQ(session.deliver(notification::timer(5).to(3)).message, "there is no script instance 3");
    session.wait(400);
    const std::vector<std::string> want{"@2 notify button panel '1' control 'Sources' event 'select=400'",
                                        "send ET 1 400",
                                        "notify timer 5",
                                        "send RC 1 5 1 ',' 0",
                                        "notify tally device 1 index 1 value 5 text 'Source 5'",
                                        "send ET 77",
                                        "@2 notify tally device 1 index 1 value 5 text 'Source 5'",
                                        "send ET 77",
                                        "send AS",
                                        "@2 notify timer 1",
                                        "send RC 1 1 1 ',' 0",
                                        "@2 notify tally device 1 index 1 value 1 text 'Source 1'",
                                        "send ET 77"};
    EXPECT_EQ(joinLines(log.lines), joinLines(want));
    EXPECT_TRUE(session.scriptLoaded(2));
    EXPECT_EQ(session.report().total(), 0u) << session.report().summary();
}

TEST_F(HostSession, AScriptWithoutAHostObjectSendsNothing)
{
    ASSERT_TRUE(session.load(buildPaths::fakePanelModule, std::nullopt, false).ok);
    ASSERT_TRUE(session.deliver(notification::timer(5)).ok);
    EXPECT_EQ(joinLines(log.lines), joinLines({"notify timer 5"}));
}

TEST_F(HostSession, NullPayloadsAndFieldsReachTheScriptAsNull)
{
    loadFake();
    session.deliver(notification::nullPayload(6));
    session.deliver(notification::button(std::nullopt, std::nullopt, std::string("x=7")));
    const std::vector<std::string> want{"notify code 6 with a null payload", "send ET 106",
                                        "notify button panel null control null event 'x=7'", "send ET 1 7"};
    EXPECT_EQ(joinLines(log.lines), joinLines(want));
}

class HostSessionLimits : public HostSession {
protected:
    HostSessionLimits() : HostSession(sessionLimits{8, 50, 20}) {}
};

TEST_F(HostSessionLimits, EndlessTalliesEndWithABreachInsteadOfLooping)
{
    loadFake();
    session.deliver(notification::query(std::string("echo")));
    session.deliver(notification::timer(3));
    EXPECT_EQ(session.report().count(breachKind::endlessNotifications), 1u) << session.report().summary();
}

TEST_F(HostSessionLimits, TicksPerWaitAreCapped)
{
    loadFake();
    session.choose(1, "1", "Sources", 1);  // timer 1 every millisecond
    session.wait(1000000);
    ASSERT_EQ(log.diagnostics.size(), 1u);
    EXPECT_EQ(log.diagnostics[0], "more than 20 timer ticks in one wait; the rest were skipped");
    EXPECT_EQ(session.timers().now(), 1000000);
}

}  // namespace

}  // namespace panel_host
