#include "host_text.h"
#include "scenario_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace panel_host {

namespace {

// The texts of lines in the quoted form, null where a text may be null, and
// lines for another script instance.
struct textLine {
    const char* text;
    scenarioLine::kind what;
    std::vector<std::string> words;
    std::vector<bool> nullWords;
    const char* rest;
    bool hasRest;
    bool restIsNull;
    std::int32_t instance;
};

class ScenarioTexts : public testing::TestWithParam<textLine> {};

TEST_P(ScenarioTexts, AreTakenApartAsWritten)
{
    const textLine& c = GetParam();
    const scenarioLineParse parsed = parseScenarioLine(c.text, 1);
    ASSERT_TRUE(parsed.ok) << c.text << ": " << parsed.error;
    EXPECT_EQ(parsed.line.what, c.what) << c.text;
    EXPECT_EQ(parsed.line.words, c.words) << c.text;
    EXPECT_EQ(parsed.line.nullWords, c.nullWords) << c.text;
    EXPECT_EQ(parsed.line.rest, c.rest) << c.text;
    EXPECT_EQ(parsed.line.hasRest, c.hasRest) << c.text;
    EXPECT_EQ(parsed.line.restIsNull, c.restIsNull) << c.text;
    EXPECT_EQ(parsed.line.instance, c.instance) << c.text;
}

using K = scenarioLine::kind;

INSTANTIATE_TEST_SUITE_P(
    Language, ScenarioTexts,
    testing::Values(
        textLine{R"(answer "a \"b\" \\ \x09 #c")", K::answer, {}, {}, "a \"b\" \\ \t #c", true, false, 1},
        textLine{R"(answer "" # an empty reply)", K::answer, {}, {}, "", true, false, 1},
        textLine{R"(answer "null")", K::answer, {}, {}, "null", true, false, 1},
        textLine{"answer null", K::answer, {}, {}, "null", false, true, 1},
        textLine{R"(answer " padded ")", K::answer, {}, {}, " padded ", true, false, 1},
        textLine{"answer say \"hi\" # bare", K::answer, {}, {}, "say \"hi\"", true, false, 1},
        textLine{R"(query "")", K::query, {}, {}, "", true, false, 1},
        textLine{"query null", K::query, {}, {}, "null", false, true, 1},
        textLine{R"(tally 1 7 5 "\xe9")", K::tally, {}, {}, "\xef\x9f\xa9", true, false, 1},
        textLine{"tally 1 7 5 null", K::tally, {}, {}, "null", true, false, 1},
        textLine{R"(button null "New source" "")", K::button, {"", "New source"}, {true, false}, "", true, false, 1},
        textLine{R"(button "null" 'a null)", K::button, {"null", "'a"}, {false, false}, "null", false, true, 1},
        textLine{R"(choose "it's #1" 5)", K::choose, {"it's #1"}, {false}, "", false, false, 1},
        textLine{R"(press "")", K::press, {""}, {false}, "", false, false, 1},
        textLine{R"(expect "TP 'text=\x0a' '1' 'New'")", K::expect, {}, {}, "TP 'text=\n' '1' 'New'", true, false, 1},
        textLine{"expect null", K::expect, {}, {}, "null", false, true, 1},
        textLine{"notify 1 null", K::notifyCode, {}, {}, "null", false, true, 1},
        textLine{"notify 6 null", K::notifyCode, {}, {}, "null", false, true, 1},
        textLine{"path null", K::pathSetting, {}, {}, "null", false, true, 1},
        textLine{R"(path "C:\\panels")", K::pathSetting, {}, {}, "C:\\panels", true, false, 1},
        textLine{"host null", K::nullHostSetting, {}, {}, "", false, false, 1},
        textLine{"@2 choose Sources 5", K::choose, {"Sources"}, {false}, "", false, false, 2},
        textLine{"  @12 expect nothing", K::expectNothing, {}, {}, "", false, false, 12},
        textLine{"@2 unload # the second panel closes", K::unload, {}, {}, "", false, false, 2}));

struct refusedLine {
    const char* text;
    std::size_t column;
    const char* reason;
};

class ScenarioTextsRefused : public testing::TestWithParam<refusedLine> {};

TEST_P(ScenarioTextsRefused, NameTheColumnAndTheReason)
{
    const scenarioLineParse parsed = parseScenarioLine(GetParam().text, 1);
    EXPECT_FALSE(parsed.ok) << GetParam().text;
    EXPECT_EQ(parsed.column, GetParam().column) << parsed.error;
    EXPECT_EQ(parsed.reason.rfind(GetParam().reason, 0), 0u) << parsed.reason;
}

INSTANTIATE_TEST_SUITE_P(Language, ScenarioTextsRefused,
                         testing::Values(refusedLine{R"(answer "open)", 8, "the quoted text is not closed"},
                                         refusedLine{R"(answer "a" b)", 12, "unexpected \"b\" after the quoted text"},
                                         refusedLine{R"(answer "\q")", 9, "in a quoted text, \\\\, \\\" and \\xNN"},
                                         refusedLine{R"(press "\x00")", 8, "a host text cannot hold NUL"},
                                         refusedLine{R"(press "A"B)", 10, "a blank must follow the closing quote"},
                                         refusedLine{"notify 2", 8, "code 2 has its own line"},
                                         refusedLine{"notify 6 nil", 10, "unexpected \"nil\""},
                                         refusedLine{"@0 press Take", 1, "\"@0\": @N names script instance N"},
                                         refusedLine{"@2", 3, "expected a line after @2"},
                                         refusedLine{"@2 route 5 7", 1, "route lines concern the whole host"},
                                         refusedLine{"@2 layouts x", 1, "layouts lines concern the whole host"}));

// What the writer of scenario fields writes, the parser reads back as the
// same bytes: every byte, blanks at either end, null, " #" and apostrophes.
TEST(ScenarioTexts, WhatTheWriterWritesReadsBackAsTheSameBytes)
{
    std::vector<std::string> texts{"", " padded ", "null", " #", "Seven's", "\"quoted\"", "a\\x41"};
    for (int byte = 1; byte <= 255; ++byte) {
        texts.emplace_back(1, static_cast<char>(byte));
    }
    for (const std::string& bytes : texts) {
        for (const std::optional<codePage> page : {std::optional<codePage>(), std::optional(codePage::windows1252)}) {
            const scenarioLineParse parsed = parseScenarioLine(
                "button 1 " + scenarioWord(bytes, page) + " " + scenarioText(bytes, page) + " # comment", 1);
            ASSERT_TRUE(parsed.ok) << parsed.error;
            std::string word;
            std::string rest;
            std::string problem;
            ASSERT_TRUE(textToHostBytes(parsed.line.words[1], page.value_or(codePage::utf8), word, problem));
            ASSERT_TRUE(textToHostBytes(parsed.line.rest, page.value_or(codePage::utf8), rest, problem));
            EXPECT_EQ(word, bytes) << parsed.line.source;
            EXPECT_EQ(rest, bytes) << parsed.line.source;
            EXPECT_TRUE(parsed.line.hasRest) << parsed.line.source;
        }
    }
}

}  // namespace

}  // namespace panel_host
