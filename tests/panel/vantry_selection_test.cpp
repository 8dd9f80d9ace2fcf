// What the labels show when the operator chooses in the two lists.
#include "panel_fixture.h"

#include <climits>

namespace {

using PanelSelection = panelTest;

TEST_F(PanelSelection, ChoosingSourceShowsItsNumberAndName)
{
    panel->choose("Sources", 5);
    EXPECT_COMMANDS(commands(), sent::source5);
}

TEST_F(PanelSelection, ChoosingDestinationShowsItAndTheSourceRoutedThere)
{
    panel->choose("Destinations", 12);
    EXPECT_COMMANDS(commands(), sent::destination12);
}

TEST_F(PanelSelection, DestinationWithoutTallyShowsSourceZeroAndAnUnnamedName)
{
    panel->choose("Destinations", 9);
    const std::vector<std::string> want = {"TP 'text=9' '1' 'Did'", "RN 7 1 9", "TP 'text=Booth 9' '1' 'DestName'",
                                           "TP 'text=0' '1' 'Old'", "RN 7 0 0", "TP 'text=' '1' 'OldSrcName'"};
    EXPECT_COMMANDS(commands(), want);
}

TEST_F(PanelSelection, ChoosingNothingEmptiesTheLabelsOfThatList)
{
    panel->choose("Sources", -1);
    panel->choose("Destinations", -1);
    EXPECT_COMMANDS(commands(), concat({sent::noSource, sent::noDestination}));
}

TEST_F(PanelSelection, SourceZeroIsAChoiceButTakeMakesNoRoute)
{
    panel->choose("Sources", 0);
    panel->choose("Destinations", 12);
    panel->press("Take");
    const std::vector<std::string> want = concat({
        {"TP 'text=0' '1' 'New'", "RN 7 0 0", "TP 'text=' '1' 'NewSrcName'"},
        sent::destination12,
        {sent::enableTake, sent::startFlash},
        {sent::takeHigh, sent::disableTake, sent::stopFlash},
    });
    EXPECT_COMMANDS(commands(), want);
}

struct ignoredEvent {
    const char* name;
    const char* panel;
    const char* control;
};

// Shown by the test runner in place of the raw bytes.
void PrintTo(const ignoredEvent& c, std::ostream* out)
{
    *out << c.name;
}

const ignoredEvent ignoredEvents[] = {
    {"OtherPanel", "2", "Sources"},    {"EmptyPanel", "", "Sources"},     {"PanelWithLeadingZero", "01", "Sources"},
    {"OtherPanelTake", "2", "Take"},   {"OtherPanelClear", "2", "Clear"}, {"ControlInOtherCase", "1", "sources"},
    {"UnknownControl", "1", "Volume"}, {"EmptyControl", "1", ""},
};

class PanelIgnoredEvent : public panelTest, public ::testing::WithParamInterface<ignoredEvent> {};

TEST_P(PanelIgnoredEvent, SendsNothingAndChoosesNothing)
{
    panel->button(GetParam().panel, GetParam().control, "select=5");
    EXPECT_COMMANDS(commands(), std::vector<std::string>{});
    // No source was chosen: a destination alone does not arm "Take".
    panel->choose("Destinations", 12);
    EXPECT_COMMANDS(commands(), sent::destination12);
}

INSTANTIATE_TEST_SUITE_P(Selection, PanelIgnoredEvent, ::testing::ValuesIn(ignoredEvents), caseName());

// Destinations outside the tally table: shown as chosen, with nothing known of
// the source routed there.
class PanelDestinationOutsideTable : public panelTest, public ::testing::WithParamInterface<long long> {};

TEST_P(PanelDestinationOutsideTable, ShowsItWithoutOldSourceAndArms)
{
    const std::string number = std::to_string(GetParam());
    panel->choose("Sources", 5);
    forget();
    panel->choose("Destinations", GetParam());
    const std::vector<std::string> want = {"TP 'text=" + number + "' '1' 'Did'",
                                           "RN 7 1 " + number,
                                           "TP 'text=' '1' 'DestName'",
                                           "TP 'text=-' '1' 'Old'",
                                           "TP 'text=---' '1' 'OldSrcName'",
                                           sent::enableTake,
                                           sent::startFlash};
    EXPECT_COMMANDS(commands(), want);
}

INSTANTIATE_TEST_SUITE_P(Selection, PanelDestinationOutsideTable,
                         ::testing::Values(65LL, 100LL, -2LL, INT_MAX, INT_MIN));

TEST_F(PanelSelection, TakeRoutesToDestinationOutsideTable)
{
    panel->choose("Sources", 5);
    panel->choose("Destinations", 100);
    forget();
    panel->press("Take");
    EXPECT_COMMANDS(commands(),
                    concat({{sent::takeHigh, sent::disableTake, sent::stopFlash, "RC 7 5 100 ',' 0"}, sent::reset}));
}

}  // namespace
