// Arming, flashing, "Take" and "Clear".
#include "address_space_cap.h"
#include "panel_fixture.h"

#include "notify_codes.h"

#include <functional>
#include <optional>

namespace {

using step = std::function<void(panelSession&)>;

step source(long long value)
{
    return [value](panelSession& p) { p.choose("Sources", value); };
}
step destination(long long value)
{
    return [value](panelSession& p) { p.choose("Destinations", value); };
}
step press(const char* button)
{
    return [button](panelSession& p) { p.press(button); };
}
step ticks(int count, std::int32_t timerId = 1)
{
    return [count, timerId](panelSession& p) {
        for (int i = 0; i < count; ++i) {
            p.tick(timerId);
        }
    };
}

const std::vector<std::string> source4 = {"TP 'text=4' '1' 'New'", "RN 7 0 4", "TP 'text=Line 4' '1' 'NewSrcName'"};
const std::vector<std::string> arm = {sent::enableTake, sent::startFlash};
const std::vector<std::string> stopArmed = {sent::takeHigh, sent::disableTake, sent::stopFlash};
const std::vector<std::string> route = {"RC 7 5 12 ',' 0"};

struct transition {
    const char* name;
    std::vector<step> before;
    step event;
    std::vector<std::string> want;
    bool armedAfter;
};

// Shown by the test runner in place of the raw bytes.
void PrintTo(const transition& c, std::ostream* out)
{
    *out << c.name;
}

const transition transitions[] = {
    {"DisarmedChoiceCompletingSelectionArms", {source(5)}, destination(12), concat({sent::destination12, arm}), true},
    {"DisarmedSourceCompletingSelectionArms", {destination(12)}, source(5), concat({sent::source5, arm}), true},
    {"ChoiceAfterFlashEndedArmsAgain",
     {source(5), destination(12), ticks(10)},
     source(4),
     concat({source4, arm}),
     true},
    {"ArmedSourceChoiceRestartsFlash",
     {source(5), destination(12)},
     source(4),
     concat({source4, {sent::stopFlash, sent::takeHigh}, arm}),
     true},
    {"ArmedDestinationChoiceRestartsFlash",
     {source(5), destination(12)},
     destination(12),
     concat({sent::destination12, {sent::stopFlash, sent::takeHigh}, arm}),
     true},
    {"ArmedSourceNoneDisarms",
     {source(5), destination(12)},
     source(-1),
     concat({sent::noSource, {sent::takeHigh, sent::disableTake, sent::stopFlash, sent::takeHigh}}),
     false},
    {"ArmedDestinationNoneDisarms",
     {source(5), destination(12)},
     destination(-1),
     concat({sent::noDestination, {sent::takeHigh, sent::disableTake, sent::stopFlash, sent::takeHigh}}),
     false},
    {"ArmedFirstTickPutsLowSheet", {source(5), destination(12)}, ticks(1), {sent::takeLow}, true},
    {"ArmedNinthTickPutsLowSheet", {source(5), destination(12), ticks(8)}, ticks(1), {sent::takeLow}, true},
    {"ArmedTenthTickDisarms",
     {source(5), destination(12), ticks(9)},
     ticks(1),
     {sent::takeHigh, sent::stopFlash, sent::disableTake},
     false},
    {"ArmedTakeRoutesAndResets",
     {source(5), destination(12)},
     press("Take"),
     concat({stopArmed, route, sent::reset}),
     false},
    {"ArmedClearResets", {source(5), destination(12)}, press("Clear"), concat({stopArmed, sent::reset}), false},
    {"DisarmedChoiceLeavingSourceClearOnlyShowsLabels", {}, destination(12), sent::destination12, false},
    {"DisarmedChoiceAfterNoneOnlyShowsLabels",
     {source(5), destination(12), destination(-1)},
     source(4),
     source4,
     false},
    {"DisarmedNoneAtStartOnlyShowsLabels", {}, source(-1), sent::noSource, false},
    {"DisarmedTakeAfterFlashRoutesAndResets",
     {source(5), destination(12), ticks(10)},
     press("Take"),
     concat({{sent::takeHigh, sent::disableTake}, route, sent::reset}),
     false},
    {"DisarmedTakeWithoutChoiceOnlyDisables", {}, press("Take"), {sent::takeHigh, sent::disableTake}, false},
    {"DisarmedTakeAfterResetMakesNoRoute",
     {source(5), destination(12), press("Clear")},
     press("Take"),
     {sent::takeHigh, sent::disableTake},
     false},
    {"DisarmedClearOnlyResets", {}, press("Clear"), sent::reset, false},
    {"DisarmedClearAfterFlashOnlyResets", {source(5), destination(12), ticks(10)}, press("Clear"), sent::reset, false},
};

class PanelTransition : public panelTest, public ::testing::WithParamInterface<transition> {};

TEST_P(PanelTransition, SendsItsCommandsAndReachesItsState)
{
    const transition& t = GetParam();
    for (const step& s : t.before) {
        s(*panel);
    }
    forget();
    t.event(*panel);
    EXPECT_COMMANDS(commands(), t.want);

    // "Clear" tells the state: armed, it first stops the flash.
    forget();
    panel->press("Clear");
    EXPECT_COMMANDS(commands(), t.armedAfter ? concat({stopArmed, sent::reset}) : sent::reset);
}

INSTANTIATE_TEST_SUITE_P(Take, PanelTransition, ::testing::ValuesIn(transitions), caseName());

using PanelFlash = panelTest;

TEST_F(PanelFlash, TenTicksAlternateLowAndHighThenDisableTakeAndKeepTheChoice)
{
    source(5)(*panel);
    destination(12)(*panel);
    forget();
    ticks(10)(*panel);
    const std::vector<std::string> want = {sent::takeLow, sent::takeHigh, sent::takeLow,   sent::takeHigh,
                                           sent::takeLow, sent::takeHigh, sent::takeLow,   sent::takeHigh,
                                           sent::takeLow, sent::takeHigh, sent::stopFlash, sent::disableTake};
    EXPECT_COMMANDS(commands(), want);

    // The choice stays: "Take" still routes it.
    forget();
    panel->press("Take");
    EXPECT_COMMANDS(commands(), concat({{sent::takeHigh, sent::disableTake}, route, sent::reset}));
}

TEST_F(PanelFlash, ChoosingAgainStartsTheTenTicksOver)
{
    source(5)(*panel);
    destination(12)(*panel);
    ticks(5)(*panel);
    source(5)(*panel);
    forget();
    ticks(9)(*panel);
    EXPECT_COMMANDS(commands(), (std::vector<std::string>{sent::takeLow, sent::takeHigh, sent::takeLow, sent::takeHigh,
                                                          sent::takeLow, sent::takeHigh, sent::takeLow, sent::takeHigh,
                                                          sent::takeLow}));
    forget();
    ticks(1)(*panel);
    EXPECT_COMMANDS(commands(), (std::vector<std::string>{sent::takeHigh, sent::stopFlash, sent::disableTake}));
}

TEST_F(PanelFlash, TickOfAnotherTimerOnlyStopsThatTimer)
{
    source(5)(*panel);
    destination(12)(*panel);
    forget();
    for (const std::int32_t id : {2, 0, -1, 1000}) {
        ticks(1, id)(*panel);
    }
    EXPECT_COMMANDS(commands(), (std::vector<std::string>{"ET 2", "ET 0", "ET -1", "ET 1000"}));
    // The flash of timer 1 went on untouched.
    forget();
    ticks(1)(*panel);
    EXPECT_COMMANDS(commands(), std::vector<std::string>{sent::takeLow});
}

TEST_F(PanelFlash, StrayTickBeforeArmingCountsDownRegardless)
{
    ticks(1)(*panel);
    EXPECT_COMMANDS(commands(), std::vector<std::string>{sent::takeLow});
}

TEST_F(PanelFlash, SecondTakeAfterRouteMakesNoRoute)
{
    source(5)(*panel);
    destination(12)(*panel);
    press("Take")(*panel);
    forget();
    press("Take")(*panel);
    EXPECT_COMMANDS(commands(), (std::vector<std::string>{sent::takeHigh, sent::disableTake}));
}

#if ADDRESS_SPACE_CAP_TESTS
// Answers as recordingHost does; once told to, it caps the address space
// after answering a command that starts with `prefix`, until the script
// sends again: the script then cannot copy a large reply.
class cappingHost : public recordingHost {
public:
    void capAfterAnswering(std::string prefix) { prefix_ = std::move(prefix); }

    const char* send(const char* text, std::int32_t code) override
    {
        cap_.reset();
        const char* reply = recordingHost::send(text, code);
        if (prefix_ && code == sendExecute && text != nullptr && std::string(text).rfind(*prefix_, 0) == 0) {
            prefix_.reset();
            cap_.emplace(4u << 20);
        }
        return reply;
    }

private:
    std::optional<std::string> prefix_;
    std::optional<addressSpaceCap> cap_;
};

// Memory runs out as a destination is chosen: the script cannot copy its
// long name, so the rest of the choice, "CE" and "ET 1 1000" included, is
// held back. The panel is then as the host saw it, not armed: "Clear" only
// resets, and a new choice arms without stopping anything first.
TEST(PanelOutOfMemory, ArmingHeldBackLeavesTakeUnarmed)
{
    if (!addressSpaceCap::available()) {
        GTEST_SKIP() << "valgrind keeps its own address space; the cap would starve it";
    }
    for (const bool clear : {true, false}) {
        cappingHost host;
        host.answer("SD ", "7 'B4 Audio Router'");
        host.answer("RN 7 1 12", std::string(16u << 20, 'n'));
        panelSession panel(&host, "");
        ASSERT_NE(panel.script(), nullptr);
        panel.choose("Sources", 5);
        host.capAfterAnswering("RN 7 1 12");
        host.clearCalls();
        panel.choose("Destinations", 12);
        EXPECT_COMMANDS(host.commands(), (std::vector<std::string>{"TP 'text=12' '1' 'Did'", "RN 7 1 12"}));

        host.clearCalls();
        if (clear) {
            panel.press("Clear");
            EXPECT_COMMANDS(host.commands(), sent::reset);
        } else {
            panel.choose("Sources", 4);
            EXPECT_COMMANDS(host.commands(),
                            concat({{"TP 'text=4' '1' 'New'", "RN 7 0 4", "TP 'text=' '1' 'NewSrcName'"}, arm}));
        }
        panel.destroy();
        EXPECT_EQ(joinLines(host.replyProblems()), "");
    }
}
#endif

}  // namespace
