// Results of the panel and control commands: layout loading, reading a
// property, listing controls and the diagnostic trace.
#include "debug_capture.h"
#include "recording_host.h"
#include "test_panel.h"

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace {

std::vector<std::string> items(const morv_stringlist& list)
{
    std::vector<std::string> seen;
    for (morv_stringlistIterator it = list.begin(); it != list.end(); ++it) {
        seen.emplace_back((*it).c_str());
    }
    return seen;
}

TEST(PanelShow, TrueWhenHostRepliesAndReplyIsKept)
{
    recordingHost host;
    host.answer("PS", "shown");
    testPanel panel(&host);
    EXPECT_TRUE(panel.panelShow(one, "p1.morv_ui", ""));
    EXPECT_EQ(host.releases().size(), 0U);
    EXPECT_EQ(joinLines(host.replyProblems()), "");
}

TEST(PanelShow, FalseWhenHostRepliesNull)
{
    recordingHost host;
    testPanel panel(&host);
    EXPECT_FALSE(panel.panelShow(one, "p1.morv_ui", ""));
    EXPECT_EQ(host.releases().size(), 0U);
}

TEST(PanelShow, TrueWithoutHost)
{
    testPanel panel(nullptr, "/opt/panels");
    EXPECT_TRUE(panel.panelShow(one, "p1.morv_ui", "extra"));
}

struct textGetCase {
    const char* property;
    std::optional<std::string> reply;  // nullopt: the host replies null
    const char* result;
    const char* warning;  // "" when none is written
};

std::ostream& operator<<(std::ostream& out, const textGetCase& c)
{
    return out << "property \"" << c.property << "\", reply " << (c.reply ? '"' + *c.reply + '"' : "null");
}

class TextGet : public ::testing::TestWithParam<textGetCase> {};

TEST_P(TextGet, ResultWarningAndGiveBack)
{
    const textGetCase& c = GetParam();
    recordingHost host;
    host.answer("TG", c.reply);
    testPanel panel(&host);
    morv_string result("stale");
    std::string warning;
    {
        const debugCapture capture;
        panel.textGet(c.property, one, "alm_a", result);
        warning = capture.text();
    }
    EXPECT_STREQ(result.c_str(), c.result);
    EXPECT_EQ(warning, c.warning);
    EXPECT_EQ(host.releases().size(), c.reply ? 1U : 0U);
    EXPECT_EQ(joinLines(host.replyProblems()), "");
}

INSTANTIATE_TEST_SUITE_P(
    Matching, TextGet,
    ::testing::Values(textGetCase{"value", "value=7", "7", ""}, textGetCase{"value", "value=", "", ""},
                      textGetCase{"value", "value=a=b", "a=b", ""}, textGetCase{"text", "text=Mic 1", "Mic 1", ""},
                      textGetCase{"ALL", "ALL=1", "1", ""}, textGetCase{"value", std::nullopt, "", ""}));

INSTANTIATE_TEST_SUITE_P(AllReturnsWholeReply, TextGet,
                         ::testing::Values(textGetCase{"all", "value=3", "value=3", ""},
                                           textGetCase{"all", "abc", "abc", ""},
                                           textGetCase{"all", "a=b=c", "a=b=c", ""}, textGetCase{"all", "", "", ""},
                                           textGetCase{"all", std::nullopt, "", ""}));

INSTANTIATE_TEST_SUITE_P(
    MismatchWarns, TextGet,
    ::testing::Values(
        textGetCase{"value", "Value=7", "",
                    "textGet: value returned \"Value\" was not the value requested \"value\" (value returned was "
                    "\"Value=7\" from control \"alm_a\", on panel \"1\")"},
        textGetCase{"value", "7", "",
                    "textGet: value returned \"7\" was not the value requested \"value\" (value returned was "
                    "\"7\" from control \"alm_a\", on panel \"1\")"},
        textGetCase{"value", "", "",
                    "textGet: value returned \"\" was not the value requested \"value\" (value returned was "
                    "\"\" from control \"alm_a\", on panel \"1\")"},
        textGetCase{"value", "values=1", "",
                    "textGet: value returned \"values\" was not the value requested \"value\" (value returned "
                    "was \"values=1\" from control \"alm_a\", on panel \"1\")"},
        textGetCase{"All", "x=1", "",
                    "textGet: value returned \"x\" was not the value requested \"All\" (value returned was "
                    "\"x=1\" from control \"alm_a\", on panel \"1\")"}));

TEST(TextGetWarning, NamesControlAfterFromControlAndPanelAfterOnPanel)
{
    recordingHost host;
    host.answer("TG", "Gain=3");
    testPanel panel(&host);
    morv_string result;
    const debugCapture capture;
    panel.textGet("value", "2", "Level", result);
    EXPECT_EQ(capture.text(),
              "textGet: value returned \"Gain\" was not the value requested \"value\" (value returned was "
              "\"Gain=3\" from control \"Level\", on panel \"2\")");
    EXPECT_EQ(joinLines(host.commands()), joinLines({"TG '2' 'Level' 'value'"}));
}

TEST(TextGet, WithoutHostGivesEmptyResultAndNoWarning)
{
    testPanel panel(nullptr);
    morv_string result("stale");
    const debugCapture capture;
    panel.textGet("value", one, "alm_a", result);
    EXPECT_STREQ(result.c_str(), "");
    EXPECT_EQ(capture.text(), "");
}

struct listCase {
    std::optional<std::string> reply;
    std::vector<std::string> items;
};

std::ostream& operator<<(std::ostream& out, const listCase& c)
{
    return out << "reply " << (c.reply ? '"' + *c.reply + '"' : "null");
}

class ControlList : public ::testing::TestWithParam<listCase> {};

TEST_P(ControlList, ReplyBecomesListAndIsGivenBack)
{
    const listCase& c = GetParam();
    recordingHost host;
    host.answer("XI", c.reply);
    testPanel panel(&host);
    EXPECT_EQ(items(panel.controlList(one, "alm_")), c.items);
    EXPECT_EQ(host.releases().size(), c.reply ? 1U : 0U);
    EXPECT_EQ(joinLines(host.replyProblems()), "");
}

INSTANTIATE_TEST_SUITE_P(Table, ControlList,
                         ::testing::Values(listCase{"alm_a,alm_b", {"alm_a", "alm_b"}}, listCase{"alm_a", {"alm_a"}},
                                           listCase{"a,,b,", {"a", "", "b", ""}}, listCase{"", {}},
                                           listCase{std::nullopt, {}}));

TEST(ControlList, WithoutHostIsEmpty)
{
    testPanel panel(nullptr);
    EXPECT_EQ(panel.controlList(one, "alm_").count(), 0U);
}

TEST(DebugTrace, FillsAllNinePlaceholdersWithoutLineEnd)
{
    recordingHost host;
    testPanel panel(&host);
    const debugCapture capture;
    panel.debugTrace("%1|%2|%3|%4|%5|%6|%7|%8|%9", "a", "b", "c", "d", "e", "f", "g", "h", "i");
    EXPECT_EQ(capture.text(), "a|b|c|d|e|f|g|h|i");
    EXPECT_TRUE(host.calls().empty());
}

TEST(DebugTrace, SurplusArgumentsLeaveTextUnchanged)
{
    testPanel panel(nullptr);
    const debugCapture capture;
    panel.debugTrace("only %1 and %2", "x", "y", "", "", "", "", "", "", "");
    panel.debugTrace(" / none", "p", "q", "r", "s", "t", "u", "v", "w", "z");
    EXPECT_EQ(capture.text(), "only x and y / none");
}

}  // namespace
