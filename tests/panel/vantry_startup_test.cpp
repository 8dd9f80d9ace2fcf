// What the panel sends while the host creates it.
#include "panel_fixture.h"

#include <optional>

namespace {

struct startupCase {
    const char* name;
    std::optional<std::string> lookupReply;  // the host's answer to "SD"
    const char* path;
    std::vector<std::string> want;
};

// Shown by the test runner in place of the raw bytes.
void PrintTo(const startupCase& c, std::ostream* out)
{
    *out << c.name;
}

const std::vector<std::string> lookupOnly = {"PS '1' 'p1.morv_ui'", "CD '1' 'Take'", "SD 'B4 Audio Router'"};

const startupCase startupCases[] = {
    {"RouterFoundRegistersAndPollsAllDestinations",
     "7 'B4 Audio Router'",
     "",
     {"PS '1' 'p1.morv_ui'", "CD '1' 'Take'", "SD 'B4 Audio Router'", "RR 7 1 64", "RP 7 1 64"}},
    {"AnyNonZeroDeviceCounts", "-3", "", concat({lookupOnly, {"RR -3 1 64", "RP -3 1 64"}})},
    {"NoReplyStopsAfterLookup", std::nullopt, "", lookupOnly},
    {"DeviceZeroStopsAfterLookup", "0 'B4 Audio Router'", "", lookupOnly},
    {"ReplyWithoutNumberStopsAfterLookup", "'B4 Audio Router'", "", lookupOnly},
    {"NullPathLoadsLayoutWithoutFolder", std::nullopt, nullptr, lookupOnly},
    {"BasePathGoesInFrontOfLayout",
     std::nullopt,
     "/srv/panels",
     {"PS '1' '/srv/panels/p1.morv_ui'", "CD '1' 'Take'", "SD 'B4 Audio Router'"}},
    {"BasePathEndingInSlashGetsSecondSlash",
     std::nullopt,
     "/srv/panels/",
     {"PS '1' '/srv/panels//p1.morv_ui'", "CD '1' 'Take'", "SD 'B4 Audio Router'"}},
};

class PanelStartup : public ::testing::TestWithParam<startupCase> {};

TEST_P(PanelStartup, SendsLayoutTakeAndRouterCommandsInOrder)
{
    const startupCase& c = GetParam();
    recordingHost host;
    host.answer("SD ", c.lookupReply);
    host.answer("PS ", "ok");
    {
        const panelSession panel(&host, c.path);
        ASSERT_NE(panel.script(), nullptr);
        EXPECT_COMMANDS(host.commands(), c.want);
    }
    EXPECT_EQ(joinLines(host.replyProblems()), "");
}

INSTANTIATE_TEST_SUITE_P(Startup, PanelStartup, ::testing::ValuesIn(startupCases), caseName());

TEST(PanelWithoutRouter, CommandsUseDeviceZero)
{
    recordingHost host;
    host.answer("RN 0 0 5", "Mic 5");
    panelSession panel(&host, "");
    host.clearCalls();
    panel.choose("Sources", 5);
    panel.choose("Destinations", 12);
    panel.press("Take");
    const std::vector<std::string> want = concat({
        {"TP 'text=5' '1' 'New'", "RN 0 0 5", "TP 'text=Mic 5' '1' 'NewSrcName'"},
        {"TP 'text=12' '1' 'Did'", "RN 0 1 12", "TP 'text=' '1' 'DestName'", "TP 'text=0' '1' 'Old'", "RN 0 0 0",
         "TP 'text=' '1' 'OldSrcName'"},
        {sent::enableTake, sent::startFlash},
        {sent::takeHigh, sent::disableTake, sent::stopFlash, "RC 0 5 12 ',' 0"},
        sent::reset,
    });
    EXPECT_COMMANDS(host.commands(), want);
    panel.destroy();
    EXPECT_EQ(joinLines(host.replyProblems()), "");
}

}  // namespace
