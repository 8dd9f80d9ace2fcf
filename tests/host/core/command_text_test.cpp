#include "command_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace panel_host {

namespace {

struct validText {
    const char* text;
    commandCode code;
    std::vector<std::string> texts;
    std::vector<std::int32_t> numbers;
};

class CommandTextAccepted : public testing::TestWithParam<validText> {};

TEST_P(CommandTextAccepted, SplitsIntoItsFields)
{
    const validText& c = GetParam();
    const commandParse parse = parseCommandText(c.text);
    ASSERT_TRUE(parse.ok) << c.text << ": " << parse.problem;
    EXPECT_EQ(parse.command.code, c.code);
    EXPECT_EQ(parse.command.texts, c.texts);
    EXPECT_EQ(parse.command.numbers, c.numbers);
}

INSTANTIATE_TEST_SUITE_P(
    EveryCommand, CommandTextAccepted,
    testing::Values(
        validText{"PS '1' '/l/p1.morv_ui'", commandCode::PS, {"1", "/l/p1.morv_ui"}, {}},
        validText{"PS '1' 'p1.morv_ui' 'x y'", commandCode::PS, {"1", "p1.morv_ui", "x y"}, {}},
        validText{"TP 'text=Source 5' '1' 'NewSrcName'", commandCode::TP, {"text=Source 5", "1", "NewSrcName"}, {}},
        validText{"TP 'text=' '1' 'New'", commandCode::TP, {"text=", "1", "New"}, {}},
        validText{"TP '=x' '' 'New'", commandCode::TP, {"=x", "", "New"}, {}},
        validText{"TG '1' 'alm_a' 'value'", commandCode::TG, {"1", "alm_a", "value"}, {}},
        validText{"CE '1' 'Take'", commandCode::CE, {"1", "Take"}, {}},
        validText{"CD '1' 'Take'", commandCode::CD, {"1", "Take"}, {}},
        validText{"XI '1' 'alm_'", commandCode::XI, {"1", "alm_"}, {}},
        validText{"XI '1' ''", commandCode::XI, {"1", ""}, {}},
        validText{"SD 'B4 Audio Router'", commandCode::SD, {"B4 Audio Router"}, {}},
        validText{"RC 1 5 12 ',' 0", commandCode::RC, {","}, {1, 5, 12, 0}},
        validText{"RC 0 -3 7 ',x y' 1", commandCode::RC, {",x y"}, {0, -3, 7, 1}},
        validText{"RN 1 0 5", commandCode::RN, {}, {1, 0, 5}}, validText{"RR 1 1 64", commandCode::RR, {}, {1, 1, 64}},
        validText{"RR 1 1 64 'ADD'", commandCode::RR, {"ADD"}, {1, 1, 64}},
        validText{"RP 1 1 64", commandCode::RP, {}, {1, 1, 64}}, validText{"ET 1 1000", commandCode::ET, {}, {1, 1000}},
        validText{"ET -2147483648", commandCode::ET, {}, {-2147483647 - 1}},
        validText{"ET 1", commandCode::ET, {}, {1}}, validText{"AS", commandCode::AS, {}, {}}));

struct invalidText {
    const char* text;
    const char* problem;
};

class CommandTextRejected : public testing::TestWithParam<invalidText> {};

TEST_P(CommandTextRejected, NamesTheExpectedForm)
{
    const invalidText& c = GetParam();
    const commandParse parse = parseCommandText(c.text);
    EXPECT_FALSE(parse.ok) << c.text;
    EXPECT_EQ(parse.problem, c.problem) << c.text;
}

INSTANTIATE_TEST_SUITE_P(
    Malformed, CommandTextRejected,
    testing::Values(invalidText{"", "unknown command code \"\""}, invalidText{"ZZ '1'", "unknown command code \"ZZ\""},
                    invalidText{"tp 'text=1' '1' 'New'", "unknown command code \"tp\""},
                    invalidText{"TP text=1 1 New",
                                "not a valid TP command, expected the form TP 'property=value' 'panel' 'control'"},
                    invalidText{"TP 'text' '1' 'New'",
                                "not a valid TP command, expected the form TP 'property=value' 'panel' 'control'"},
                    invalidText{"TP 'text=1' '1'",
                                "not a valid TP command, expected the form TP 'property=value' 'panel' 'control'"},
                    invalidText{"TP 'text=1' '1' 'New' ",
                                "not a valid TP command, expected the form TP 'property=value' 'panel' 'control'"},
                    invalidText{"TP 'text=1'  '1' 'New'",
                                "not a valid TP command, expected the form TP 'property=value' 'panel' 'control'"},
                    invalidText{"TP 'text=it's' '1' 'New'",
                                "not a valid TP command, expected the form TP 'property=value' 'panel' 'control'"},
                    invalidText{"CE '1' 'Take", "not a valid CE command, expected the form CE 'panel' 'control'"},
                    invalidText{"PS '1'", "not a valid PS command, expected the form PS 'panel' 'path' ['extra']"},
                    invalidText{"SD B4", "not a valid SD command, expected the form SD 'name'"},
                    invalidText{"RC 1 5 12 '' 0",
                                "not a valid RC command, expected the form RC device source destination ',extra' flag"},
                    invalidText{"RC 1 5 12 ',' ",
                                "not a valid RC command, expected the form RC device source destination ',extra' flag"},
                    invalidText{"RN 1 0 05", "not a valid RN command, expected the form RN device kind index"},
                    invalidText{"RN 1 0 +5", "not a valid RN command, expected the form RN device kind index"},
                    invalidText{"RN 1 0 x", "not a valid RN command, expected the form RN device kind index"},
                    invalidText{"RN '1' 0 5", "not a valid RN command, expected the form RN device kind index"},
                    invalidText{"RR 1 1 64 'add'",
                                "not a valid RR command, expected the form RR device first last ['ADD']"},
                    invalidText{"RP 1 1 2147483648", "not a valid RP command, expected the form RP device first last"},
                    invalidText{"ET", "not a valid ET command, expected the form ET id [interval]"},
                    invalidText{"ET 1 1000 5", "not a valid ET command, expected the form ET id [interval]"},
                    invalidText{"AS 1", "not a valid AS command, expected the form AS"}));

TEST(CommandText, OnlyTheFourReadingCommandsNeedTheirReplyGivenBack)
{
    const std::vector<commandCode> reading{commandCode::SD, commandCode::TG, commandCode::XI, commandCode::RN};
    for (commandCode code : {commandCode::PS, commandCode::TP, commandCode::TG, commandCode::CE, commandCode::CD,
                             commandCode::XI, commandCode::SD, commandCode::RC, commandCode::RN, commandCode::RR,
                             commandCode::RP, commandCode::ET, commandCode::AS}) {
        const bool expected = std::find(reading.begin(), reading.end(), code) != reading.end();
        EXPECT_EQ(isReadingCommand(code), expected) << commandCodeName(code);
    }
}

}  // namespace

}  // namespace panel_host
