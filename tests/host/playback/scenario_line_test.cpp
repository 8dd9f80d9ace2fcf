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

struct rejectedLine {
    const char* text;
    const char* error;  // the whole refusal: where, why, and the expected form
};

class ScenarioLineRejected : public testing::TestWithParam<rejectedLine> {};

TEST_P(ScenarioLineRejected, NamesTheLineTheColumnAndWhy)
{
    const scenarioLineParse parsed = parseScenarioLine(GetParam().text, 9);
    EXPECT_FALSE(parsed.ok) << GetParam().text;
    EXPECT_EQ(parsed.error, GetParam().error);
}

INSTANTIATE_TEST_SUITE_P(
    Language, ScenarioLineRejected,
    testing::Values(
        rejectedLine{"jump 3", "line 9, column 1: unknown keyword \"jump\" (try help)"},
        rejectedLine{"choose Sources", "line 9, column 15: expected choose CONTROL NUMBER|none"},
        rejectedLine{"choose Sources five",
                     "line 9, column 16: \"five\" is not a whole number from -1 to 2147483647, or none (choose CONTROL "
                     "NUMBER|none)"},
        rejectedLine{"press", "line 9, column 6: expected press CONTROL"},
        rejectedLine{"press A B", "line 9, column 9: unexpected \"B\" after press CONTROL"},
        rejectedLine{"wait", "line 9, column 5: expected wait MILLISECONDS (or 10s, 250ms)"},
        rejectedLine{
            "wait -5",
            "line 9, column 6: \"-5\" is not a duration from 0 to 2147483647 ms (wait MILLISECONDS (or 10s, 250ms))"},
        rejectedLine{
            "wait soon",
            "line 9, column 6: \"soon\" is not a duration from 0 to 2147483647 ms (wait MILLISECONDS (or 10s, 250ms))"},
        rejectedLine{"tick", "line 9, column 5: expected tick TIMER-ID"},
        rejectedLine{"route 1", "line 9, column 8: expected route SOURCE DESTINATION [DEVICE]"},
        rejectedLine{"tally 1 2", "line 9, column 10: expected tally DEVICE INDEX VALUE [TEXT]"},
        rejectedLine{"notify 2",
                     "line 9, column 8: code 2 has its own line (tally, button, query, tick); notify takes any other "
                     "code, or any code with null"},
        rejectedLine{"notify 5",
                     "line 9, column 8: code 5 has its own line (tally, button, query, tick); notify takes any other "
                     "code, or any code with null"},
        rejectedLine{"expect",
                     "line 9, column 7: expected expect COMMAND|null | expect nothing | expect result TEXT|null"},
        rejectedLine{"reply", "line 9, column 6: expected reply TEXT | reply null"},
        rejectedLine{"answer", "line 9, column 7: expected answer TEXT | answer null"},
        rejectedLine{"expect result ",
                     "line 9, column 14: expected expect COMMAND|null | expect nothing | expect result TEXT|null"},
        rejectedLine{"button 1 Sources", "line 9, column 17: expected button PANEL CONTROL EVENT"},
        rejectedLine{"unload now", "line 9, column 8: unexpected \"now\" after unload"},
        rejectedLine{"choose Sources 99999999999",
                     "line 9, column 16: 99999999999 is out of range: expected a whole number from -1 to 2147483647, "
                     "or none (choose CONTROL NUMBER|none)"},
        rejectedLine{"host", "line 9, column 5: expected host passive | host null"},
        rejectedLine{"host active", "line 9, column 12: expected host passive | host null"},
        rejectedLine{"host passive now", "line 9, column 14: unexpected \"now\" after host passive | host null"},
        rejectedLine{"expect nothing more",
                     "line 9, column 16: unexpected \"more\" after expect COMMAND|null | expect nothing | expect "
                     "result TEXT|null"}));

}  // namespace

}  // namespace panel_host
