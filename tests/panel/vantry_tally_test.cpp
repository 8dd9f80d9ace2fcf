// The router's tallies: the table and the "Old" labels of the chosen
// destination.
#include "panel_fixture.h"

#include <climits>

namespace {

using PanelTally = panelTest;

const std::vector<std::string> nothing;

TEST_F(PanelTally, TallyForChosenDestinationShowsItsSourceAndText)
{
    panel->choose("Destinations", 12);
    forget();
    panel->tally(router, 12, 4, "Line 4");
    EXPECT_COMMANDS(commands(),
                    (std::vector<std::string>{"TP 'text=4' '1' 'Old'", "TP 'text=Line 4' '1' 'OldSrcName'"}));
}

TEST_F(PanelTally, TallyForOtherDestinationOnlyFillsTheTable)
{
    panel->choose("Destinations", 12);
    forget();
    panel->tally(router, 9, 5, "Mic 5");
    EXPECT_COMMANDS(commands(), nothing);
    panel->choose("Destinations", 9);
    const std::vector<std::string> want = {"TP 'text=9' '1' 'Did'", "RN 7 1 9", "TP 'text=Booth 9' '1' 'DestName'",
                                           "TP 'text=5' '1' 'Old'", "RN 7 0 5", "TP 'text=Mic 5' '1' 'OldSrcName'"};
    EXPECT_COMMANDS(commands(), want);
}

TEST_F(PanelTally, TallyWithoutChosenDestinationOnlyFillsTheTable)
{
    panel->tally(router, 12, 4, "Line 4");
    EXPECT_COMMANDS(commands(), nothing);
    panel->choose("Destinations", 12);
    EXPECT_EQ(commands().at(3), "TP 'text=4' '1' 'Old'");
}

TEST_F(PanelTally, TallyOfOtherDeviceChangesNothing)
{
    panel->choose("Destinations", 12);
    forget();
    panel->tally(router + 1, 12, 4, "Line 4");
    EXPECT_COMMANDS(commands(), nothing);
    panel->choose("Destinations", 12);
    EXPECT_COMMANDS(commands(), sent::destination12);
}

TEST_F(PanelTally, TallyAfterResetSendsNothingForDestinationZero)
{
    panel->choose("Destinations", 12);
    panel->press("Clear");
    forget();
    panel->tally(router, 0, 4, "Line 4");
    EXPECT_COMMANDS(commands(), nothing);
}

TEST_F(PanelTally, TableSurvivesTakeAndClear)
{
    panel->choose("Sources", 5);
    panel->choose("Destinations", 12);
    panel->press("Take");
    panel->choose("Destinations", 12);
    panel->press("Clear");
    forget();
    panel->choose("Destinations", 12);
    EXPECT_COMMANDS(commands(), sent::destination12);
}

// The first and last entries of the table.
class PanelTallyEdge : public panelTest, public ::testing::WithParamInterface<std::int32_t> {};

TEST_P(PanelTallyEdge, EntryIsKeptAndShown)
{
    const std::int32_t destination = GetParam();
    panel->tally(router, destination, 4, "Line 4");
    panel->choose("Destinations", destination);
    const std::string number = std::to_string(destination);
    const std::vector<std::string> want = {"TP 'text=" + number + "' '1' 'Did'",
                                           "RN 7 1 " + number,
                                           "TP 'text=' '1' 'DestName'",
                                           "TP 'text=4' '1' 'Old'",
                                           "RN 7 0 4",
                                           "TP 'text=Line 4' '1' 'OldSrcName'"};
    EXPECT_COMMANDS(commands(), want);
}

INSTANTIATE_TEST_SUITE_P(Tally, PanelTallyEdge, ::testing::Values(0, 64));

// Indexes outside the table are dropped, even for the chosen destination.
class PanelTallyOutsideTable : public panelTest, public ::testing::WithParamInterface<std::int32_t> {};

TEST_P(PanelTallyOutsideTable, IsIgnored)
{
    panel->choose("Destinations", GetParam());
    forget();
    panel->tally(router, GetParam(), 4, "Line 4");
    EXPECT_COMMANDS(commands(), nothing);
}

INSTANTIATE_TEST_SUITE_P(Tally, PanelTallyOutsideTable, ::testing::Values(65, 1000, INT_MAX, -2, INT_MIN));

}  // namespace
