#include "scenario_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace panel_host {

namespace {

struct goodLine {
    const char* text;
    scenarioLine::kind what;
    std::vector<std::string> words;
    std::vector<std::int64_t> numbers;
    const char* rest;
};

class ScenarioLineAccepted : public testing::TestWithParam<goodLine> {};

TEST_P(ScenarioLineAccepted, TakesItsFieldsApart)
{
    const goodLine& c = GetParam();
    const scenarioLineParse parsed = parseScenarioLine(c.text, 4);
    ASSERT_TRUE(parsed.ok) << parsed.error;
    EXPECT_EQ(parsed.line.what, c.what) << c.text;
    EXPECT_EQ(parsed.line.words, c.words) << c.text;
    EXPECT_EQ(parsed.line.numbers, c.numbers) << c.text;
    EXPECT_EQ(parsed.line.rest, c.rest) << c.text;
    EXPECT_EQ(parsed.line.number, 4);
}

using K = scenarioLine::kind;

INSTANTIATE_TEST_SUITE_P(
    Language, ScenarioLineAccepted,
    testing::Values(goodLine{"", K::blank, {}, {}, ""}, goodLine{"   # note", K::blank, {}, {}, ""},
                    goodLine{"choose Sources 5", K::choose, {"Sources"}, {5}, ""},
                    goodLine{"choose Destinations none", K::choose, {"Destinations"}, {-1}, ""},
                    goodLine{"press Take", K::press, {"Take"}, {}, ""},
                    goodLine{"button 1 Sources select=5", K::button, {"1", "Sources"}, {}, "select=5"},
                    goodLine{"wait 1500", K::wait, {}, {1500}, ""}, goodLine{"wait 10s", K::wait, {}, {10000}, ""},
                    goodLine{"wait 250ms", K::wait, {}, {250}, ""}, goodLine{"tick 3", K::tick, {}, {3}, ""},
                    goodLine{"route 12 7", K::route, {}, {12, 7}, ""},
                    goodLine{"route 12 7 2", K::route, {}, {12, 7, 2}, ""},
                    goodLine{"tally 1 7 5 Source 5", K::tally, {}, {1, 7, 5}, "Source 5"},
                    goodLine{"query return=all", K::query, {}, {}, "return=all"},
                    goodLine{"query", K::query, {}, {}, ""}, goodLine{"notify 6", K::notifyCode, {}, {6}, ""},
                    goodLine{"notify -1", K::notifyCode, {}, {-1}, ""}, goodLine{"unload", K::unload, {}, {}, ""},
                    goodLine{"expect TP 'text=5' '1' 'New'", K::expect, {}, {}, "TP 'text=5' '1' 'New'"},
                    goodLine{"expect nothing", K::expectNothing, {}, {}, ""},
                    goodLine{"reply null", K::reply, {}, {}, "null"},
                    goodLine{"reply 1 'B4 Audio Router'", K::reply, {}, {}, "1 'B4 Audio Router'"},
                    goodLine{"expect result null", K::expectResult, {}, {}, "null"},
                    goodLine{"expect result mode=2", K::expectResult, {}, {}, "mode=2"},
                    goodLine{"expect result\t mode=2", K::expectResult, {}, {}, "mode=2"},
                    goodLine{"answer 7 'B4'", K::answer, {}, {}, "7 'B4'"},
                    goodLine{"layouts ../x", K::layoutsSetting, {"../x"}, {}, ""},
                    goodLine{"path C:\\Program Files\\panels\\", K::pathSetting, {}, {}, "C:\\Program Files\\panels\\"},
                    goodLine{"path", K::pathSetting, {}, {}, ""}, goodLine{"host passive", K::hostSetting, {}, {}, ""},
                    goodLine{"show\r", K::show, {}, {}, ""}));

class ScenarioLineRejected : public testing::TestWithParam<const char*> {};

TEST_P(ScenarioLineRejected, NamesTheLineAndTheExpectedForm)
{
    const scenarioLineParse parsed = parseScenarioLine(GetParam(), 9);
    EXPECT_FALSE(parsed.ok) << GetParam();
    EXPECT_EQ(parsed.error.rfind("line 9, column ", 0), 0u) << parsed.error;
    EXPECT_GT(parsed.column, 0u);
}

INSTANTIATE_TEST_SUITE_P(Language, ScenarioLineRejected,
                         testing::Values("jump 3", "choose Sources", "choose Sources five", "press", "press A B",
                                         "wait", "wait -5", "wait soon", "tick", "route 1", "tally 1 2", "notify 2",
                                         "notify 5", "expect", "reply", "answer", "expect result ", "button 1 Sources",
                                         "unload now", "choose Sources 99999999999", "host", "host active",
                                         "host passive now", "expect nothing more"));

}  // namespace

}  // namespace panel_host
