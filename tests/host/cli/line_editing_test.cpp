// The line editing of the Windows console session: keys edit the line and
// move the cursor, Enter gives the line and keeps it in the history (not
// blank lines or the one before again), the arrows recall it with the line
// being typed kept, and Tab completes the first word from the language's
// words and later words from the panel's names.
#include "line_editing.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace panel_host {

namespace {

using key = lineEditing::key;

struct press {
    key pressed;
    std::string text = {};
};

struct editingRow {
    const char* name;
    std::vector<std::string> history;
    std::vector<press> presses;
    std::string text;                     // the line afterwards
    std::size_t cursor;                   // the cursor afterwards
    std::string lastDone;                 // the last line Enter gave ("" for none)
    std::vector<std::string> candidates;  // what the last key offered
};

class LineEditing : public testing::TestWithParam<editingRow> {};

TEST_P(LineEditing, KeysEditTheLine)
{
    const editingRow& row = GetParam();
    lineEditing editing;
    editing.setHistory(row.history);
    editing.setCompletions({"choose", "press", "route", "show"},
                           {"Sources", "SourceName", "Destinations", "Take", "Clear"});
    lineEditing::outcome last;
    std::string done;
    for (const press& p : row.presses) {
        last = editing.press(p.pressed, p.text);
        if (last.done) {
            done = last.line;
        }
    }
    EXPECT_EQ(editing.text(), row.text);
    EXPECT_EQ(editing.cursor(), row.cursor);
    EXPECT_EQ(done, row.lastDone);
    EXPECT_EQ(last.candidates, row.candidates);
}

INSTANTIATE_TEST_SUITE_P(
    Table, LineEditing,
    testing::Values(
        editingRow{"TypedTextAtTheCursor",
                   {},
                   {{key::text, "chose"}, {key::left}, {key::left}, {key::text, "o"}},
                   "choose",
                   4,
                   "",
                   {}},
        editingRow{"BackspaceAndDeleteAroundTheCursor",
                   {},
                   {{key::text, "abcd"}, {key::left}, {key::left}, {key::backspace}, {key::erase}},
                   "ad",
                   1,
                   "",
                   {}},
        editingRow{"CursorStopsAtBothEnds",
                   {},
                   {{key::text, "ab"}, {key::right}, {key::home}, {key::left}, {key::backspace}},
                   "ab",
                   0,
                   "",
                   {}},
        editingRow{
            "EnterGivesTheLineAndEmptiesIt", {}, {{key::text, "show"}, {key::home}, {key::enter}}, "", 0, "show", {}},
        editingRow{"EscapeEmptiesTheLine", {}, {{key::text, "press Take"}, {key::escape}}, "", 0, "", {}},
        editingRow{"UpRecallsTheNewestFirst", {"show", "press Take"}, {{key::up}}, "press Take", 10, "", {}},
        editingRow{"DownBringsBackTheLineBeingTyped",
                   {"show"},
                   {{key::text, "cho"}, {key::up}, {key::down}},
                   "cho",
                   3,
                   "",
                   {}},
        editingRow{"UpStopsAtTheOldest", {"show", "quit"}, {{key::up}, {key::up}, {key::up}}, "show", 4, "", {}},
        editingRow{"EnteredLinesJoinTheHistory",
                   {},
                   {{key::text, "show"}, {key::enter}, {key::text, " "}, {key::enter}, {key::up}},
                   "show",
                   4,
                   " ",
                   {}},
        editingRow{"TabCompletesTheFirstWord", {}, {{key::text, "ch"}, {key::tab}}, "choose ", 7, "", {}},
        editingRow{"TabCompletesALaterWordFromTheNames",
                   {},
                   {{key::text, "choose D"}, {key::tab}},
                   "choose Destinations ",
                   20,
                   "",
                   {}},
        editingRow{"TabOffersTheCandidatesWhenItCannotAdd",
                   {},
                   {{key::text, "choose "}, {key::tab}},
                   "choose ",
                   7,
                   "",
                   {"Sources", "SourceName", "Destinations", "Take", "Clear"}},
        editingRow{
            "TabAddsWhatTheCandidatesShare", {}, {{key::text, "choose So"}, {key::tab}}, "choose Source", 13, "", {}},
        editingRow{"TabWithNoCandidateChangesNothing", {}, {{key::text, "xyz"}, {key::tab}}, "xyz", 3, "", {}}),
    [](const testing::TestParamInfo<editingRow>& row) { return std::string(row.param.name); });

TEST(LineEditingHistory, KeepsTheNewestLinesUpToItsLimit)
{
    std::vector<std::string> lines;
    for (std::size_t i = 0; i < lineEditing::maxHistory + 10; ++i) {
        lines.push_back("wait " + std::to_string(i));
    }
    lineEditing editing;
    editing.setHistory(lines);
    ASSERT_EQ(editing.history().size(), lineEditing::maxHistory);
    EXPECT_EQ(editing.history().front(), "wait 10");
    EXPECT_EQ(editing.history().back(), lines.back());
}

}  // namespace

}  // namespace panel_host
