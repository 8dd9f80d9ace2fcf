#include "build_paths.h"
#include "command_interpreter.h"

#include "router_config.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace panel_host {

namespace {

const std::string testLayout = std::string(buildPaths::testData) + "/test_panel.morv_ui";

class CommandInterpreter : public testing::Test {
protected:
    CommandInterpreter() : router(defaultRouterDevices()), interpreter(panels, router, timers)
    {
        router.setTallySink([this](const tallyData& t) {
            tallies.push_back(std::to_string(t.index) + "<-" + std::to_string(t.value) + " " + t.text);
        });
    }

    interpretation run(const std::string& text) { return interpreter.execute(text); }
    void showTestPanel() { ASSERT_EQ(run("PS '1' '" + testLayout + "'").reply, "OK"); }
    const panelControl& control(const std::string& name) { return *panels.find("1")->findControl(name); }

    panelModel panels;
    routerModel router;
    timerScheduler timers;
    commandInterpreter interpreter;
    std::vector<std::string> tallies;
};

TEST_F(CommandInterpreter, ShowingALayoutAnswersOkAndShowsItsControls)
{
    const interpretation result = run("PS '1' '" + testLayout + "'");
    EXPECT_TRUE(result.parsed);
    EXPECT_EQ(result.reply, "OK");
    EXPECT_TRUE(result.diagnostics.empty());
    ASSERT_NE(panels.find("1"), nullptr);
    EXPECT_EQ(panels.find("1")->controls.size(), 5u);
}

TEST_F(CommandInterpreter, AMissingLayoutFileAnswersNullWithADiagnostic)
{
    const interpretation result = run("PS '1' '/no/such/p1.morv_ui'");
    EXPECT_TRUE(result.parsed);
    EXPECT_EQ(result.reply, std::nullopt);
    ASSERT_EQ(result.diagnostics.size(), 1u);
    EXPECT_EQ(result.diagnostics[0], "layout file not found or unreadable: /no/such/p1.morv_ui");
    EXPECT_EQ(panels.find("1"), nullptr);
}

TEST_F(CommandInterpreter, AnInvalidLayoutFileAnswersNullWithADiagnostic)
{
    const interpretation result = run("PS '1' '" + std::string(buildPaths::testData) + "/not_a_module.so'");
    EXPECT_EQ(result.reply, std::nullopt);
    ASSERT_EQ(result.diagnostics.size(), 1u);
    EXPECT_NE(result.diagnostics[0].find("invalid layout file"), std::string::npos) << result.diagnostics[0];
}

TEST_F(CommandInterpreter, PutPropertySetsItAndGetPropertyReadsItBack)
{
    showTestPanel();
    EXPECT_EQ(run("TP 'text=Mic 1' '1' 'Caption'").reply, std::nullopt);
    EXPECT_EQ(control("Caption").properties.at("text"), "Mic 1");
    EXPECT_EQ(run("TG '1' 'Caption' 'text'").reply, "text=Mic 1");
    EXPECT_EQ(run("TP 'statesheet=Dim' '1' 'Go'").diagnostics.size(), 0u);
    EXPECT_EQ(run("TG '1' 'Go' 'all'").reply, "enabled=0,statesheet=Dim");
    EXPECT_EQ(run("TG '1' 'Go' 'enabled'").reply, "enabled=0");
}

struct refusedCommand {
    const char* text;
    const char* diagnostic;
};

class CommandInterpreterRefusal : public CommandInterpreter, public testing::WithParamInterface<refusedCommand> {};

TEST_P(CommandInterpreterRefusal, AnswersNullWithADiagnosticAndChangesNothing)
{
    showTestPanel();
    const panelLayout before = *panels.find("1");
    const interpretation result = run(GetParam().text);
    EXPECT_TRUE(result.parsed);
    EXPECT_EQ(result.reply, std::nullopt);
    ASSERT_EQ(result.diagnostics.size(), 1u);
    EXPECT_EQ(result.diagnostics[0], GetParam().diagnostic);
    const panelLayout& after = *panels.find("1");
    for (std::size_t i = 0; i < before.controls.size(); ++i) {
        EXPECT_EQ(after.controls[i].properties, before.controls[i].properties);
        EXPECT_EQ(after.controls[i].enabled, before.controls[i].enabled);
    }
    EXPECT_TRUE(tallies.empty());
}

INSTANTIATE_TEST_SUITE_P(
    UnknownOrInvalid, CommandInterpreterRefusal,
    testing::Values(
        refusedCommand{"TP 'text=x' '2' 'Caption'", "no panel '2' is shown"},
        refusedCommand{"TP 'text=x' '1' 'Nope'", "panel '1' has no control 'Nope'"},
        refusedCommand{"TP 'statesheet=Blue' '1' 'Go'", "control 'Go': the layout has no state sheet \"Blue\""},
        refusedCommand{
            "TP 'select=x' '1' 'Choices'",
            "control 'Choices': the selection of list \"Choices\" must be a whole number from -1 up, not \"x\""},
        refusedCommand{"TP 'enabled=1' '1' 'Go'",
                       "control 'Go': \"enabled\" changes only by enabling and disabling the control"},
        refusedCommand{"TP '=x' '1' 'Caption'", "control 'Caption': a property needs a name"},
        refusedCommand{"TG '1' 'Caption' 'colour'", "control 'Caption' has no property 'colour'"},
        refusedCommand{"TG '1' 'Nope' 'text'", "panel '1' has no control 'Nope'"},
        refusedCommand{"CE '1' 'Nope'", "panel '1' has no control 'Nope'"},
        refusedCommand{"CD '7' 'Go'", "no panel '7' is shown"},
        refusedCommand{"XI '3' 'alm_'", "no panel '3' is shown"},
        refusedCommand{"SD 'C7 Video Router'", "no device named 'C7 Video Router'"},
        refusedCommand{"RN 2 0 5", "device 2 has no source 5"},
        refusedCommand{"RN 1 0 65", "device 1 has no source 65"},
        refusedCommand{"RN 1 1 0", "device 1 has no destination 0"},
        refusedCommand{"RN 1 2 5", "RN kind 2 is neither 0 (source) nor 1 (destination)"},
        refusedCommand{"RC 1 65 7 ',' 0", "B4 Audio Router has no source 65"},
        refusedCommand{"RC 1 5 0 ',' 0", "B4 Audio Router has no destination 0"},
        refusedCommand{"RC 9 5 7 ',' 0", "no device number 9"},
        refusedCommand{"RP 1 70 80", "B4 Audio Router has no destinations 70 to 80"},
        refusedCommand{"RR 9 1 64", "no device number 9"}, refusedCommand{"ET 1 -5", "timer 1 cannot run every -5 ms"}),
    [](const testing::TestParamInfo<refusedCommand>& row) { return "Row" + std::to_string(row.index); });

TEST_F(CommandInterpreter, EnableAndDisableChangeTheControl)
{
    showTestPanel();
    run("CE '1' 'Go'");
    EXPECT_TRUE(control("Go").enabled);
    run("CD '1' 'Go'");
    EXPECT_FALSE(control("Go").enabled);
}

TEST_F(CommandInterpreter, ControlListAnswersTheNamesStartingWithTheFilterInLayoutOrder)
{
    showTestPanel();
    EXPECT_EQ(run("XI '1' 'alm_'").reply, "alm_one,alm_two");
    EXPECT_EQ(run("XI '1' ''").reply, "Choices,Caption,alm_one,alm_two,Go");
    EXPECT_EQ(run("XI '1' 'zzz'").reply, std::nullopt);
}

TEST_F(CommandInterpreter, DeviceLookupAnswersTheNumberAndTheQuotedName)
{
    EXPECT_EQ(run("SD 'B4 Audio Router'").reply, "1 'B4 Audio Router'");
}

TEST_F(CommandInterpreter, NameRequestAnswersSourceAndDestinationNames)
{
    EXPECT_EQ(run("RN 1 0 5").reply, "Source 5");
    EXPECT_EQ(run("RN 1 1 64").reply, "Destination 64");
}

TEST_F(CommandInterpreter, CrosspointReportsATallyOnlyForRegisteredDestinations)
{
    run("RC 1 5 7 ',' 0");
    EXPECT_TRUE(tallies.empty());
    EXPECT_EQ(router.devices()[0].routes[6], 5);
    run("RR 1 7 8");
    run("RC 1 9 7 ',' 0");
    run("RC 1 9 9 ',' 0");
    EXPECT_EQ(tallies, (std::vector<std::string>{"7<-9 Source 9"}));
}

TEST_F(CommandInterpreter, RegistrationReplacesTheRangeUnlessAdded)
{
    run("RR 1 1 2");
    run("RR 1 5 5");
    EXPECT_EQ(router.devices()[0].registered.at(1), (std::set<std::int32_t>{5}));
    run("RR 1 1 2 'ADD'");
    EXPECT_EQ(router.devices()[0].registered.at(1), (std::set<std::int32_t>{1, 2, 5}));
}

TEST_F(CommandInterpreter, PollReportsEveryDestinationInTheRange)
{
    run("RC 1 12 3 ',' 0");
    run("RP 1 2 4");
    EXPECT_EQ(tallies, (std::vector<std::string>{"2<-2 Source 2", "3<-12 Source 12", "4<-4 Source 4"}));
}

TEST_F(CommandInterpreter, TimerCommandsStartRestartAndStop)
{
    run("ET 1 1000");
    run("ET 2 250");
    EXPECT_TRUE(timers.isRunning(1, 1));
    run("ET 1");
    EXPECT_FALSE(timers.isRunning(1, 1));
    run("ET 2 0");
    EXPECT_FALSE(timers.isRunning(1, 2));
}

TEST_F(CommandInterpreter, StopScriptStopsTimersAndForgetsRegistrations)
{
    run("ET 1 1000");
    run("RR 1 1 64");
    EXPECT_EQ(run("AS").reply, std::nullopt);
    EXPECT_TRUE(timers.running().empty());
    EXPECT_TRUE(router.devices()[0].registered.empty());
}

TEST_F(CommandInterpreter, UnparsableTextsAreReportedNotCarriedOut)
{
    const interpretation result = run("RC 1 5 7");
    EXPECT_FALSE(result.parsed);
    EXPECT_EQ(result.reply, std::nullopt);
    EXPECT_EQ(result.parseProblem,
              "not a valid RC command, expected the form RC device source destination ',extra' flag");
    EXPECT_EQ(router.devices()[0].routes[6], 7);
}

}  // namespace

}  // namespace panel_host
