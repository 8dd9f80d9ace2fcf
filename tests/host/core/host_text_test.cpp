#include "host_text.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace panel_host {

namespace {

// Every byte alone, and sequences that UTF-8 reads in every way it can:
// well formed, truncated, overlong, a surrogate, and the spelling of a
// private-use character that stands for a raw byte.
std::vector<std::string> hostTexts()
{
    std::vector<std::string> texts{
        "",     " padded ", "null",         " #",           "Seven's",  "a\tb",    "Caf\xc3\xa9",
        "\xc3", "\xc0\x80", "\xed\xa0\x80", "\xef\x9e\xa9", "\xe9\x80", "\\x41\"", "\xf4\x90\x80\x80"};
    for (int byte = 1; byte <= 255; ++byte) {
        texts.emplace_back(1, static_cast<char>(byte));
    }
    return texts;
}

const std::vector<std::optional<codePage>> pages{std::nullopt, codePage::windows1252, codePage::utf8};

// Host bytes become text and back, and a quoted text reads back as the same
// bytes, whatever the code page.
TEST(HostText, EveryByteRoundTripsThroughTextAndTheQuotedForm)
{
    for (const std::optional<codePage>& page : pages) {
        const codePage reading = page.value_or(codePage::utf8);
        for (const std::string& bytes : hostTexts()) {
            std::string back;
            std::string problem;
            ASSERT_TRUE(textToHostBytes(hostBytesToText(bytes, reading), reading, back, problem)) << problem;
            EXPECT_EQ(back, bytes) << codePageName(reading);

            const std::string quoted = quotedText(bytes, page);
            std::size_t at = 0;
            std::string text;
            ASSERT_TRUE(readQuotedText(quoted, at, text, problem)) << quoted << ": " << problem;
            EXPECT_EQ(at, quoted.size()) << quoted;
            ASSERT_TRUE(textToHostBytes(text, reading, back, problem)) << problem;
            EXPECT_EQ(back, bytes) << quoted;
            if (!page) {
                EXPECT_EQ(shownBytes(quoted, std::nullopt), quoted) << "without a code page, plain ASCII";
                at = 0;
                ASSERT_TRUE(readQuotedBytes(quoted, at, back, problem)) << problem;
                EXPECT_EQ(back, bytes) << quoted;
            }
        }
    }
}

struct shownCase {
    std::string bytes;
    std::optional<codePage> page;
    std::string quoted;
};

class HostTextQuoted : public testing::TestWithParam<shownCase> {};

TEST_P(HostTextQuoted, EscapesOnlyWhatWouldNotBeSeen)
{
    EXPECT_EQ(quotedText(GetParam().bytes, GetParam().page), GetParam().quoted);
}

INSTANTIATE_TEST_SUITE_P(
    Table, HostTextQuoted,
    testing::Values(shownCase{"", std::nullopt, "\"\""}, shownCase{"a\\b\"c", std::nullopt, "\"a\\\\b\\\"c\""},
                    shownCase{"\t\x1b\x7f", codePage::utf8, "\"\\x09\\x1b\\x7f\""},
                    shownCase{"Caf\xe9 \x80", std::nullopt, "\"Caf\\xe9 \\x80\""},
                    shownCase{"Caf\xe9 \x80", codePage::windows1252, "\"Caf\xc3\xa9 \xe2\x82\xac\""},
                    // The bytes Windows-1252 leaves undefined are control characters.
                    shownCase{"\x81\x9d", codePage::windows1252, "\"\\x81\\x9d\""},
                    shownCase{"Caf\xc3\xa9 \xe9", codePage::utf8, "\"Caf\xc3\xa9 \\xe9\""},
                    // C1 controls and a direction override, as UTF-8, are escaped byte by byte.
                    shownCase{"\xc2\x9b\xe2\x80\xae", codePage::utf8, "\"\\xc2\\x9b\\xe2\\x80\\xae\""}));

struct badQuoted {
    const char* text;
    std::size_t at;
    const char* problem;
};

class HostTextUnreadable : public testing::TestWithParam<badQuoted> {};

TEST_P(HostTextUnreadable, SaysWhereAndWhy)
{
    std::size_t at = 0;
    std::string text;
    std::string problem;
    EXPECT_FALSE(readQuotedText(GetParam().text, at, text, problem));
    EXPECT_EQ(at, GetParam().at);
    EXPECT_EQ(problem.rfind(GetParam().problem, 0), 0u) << problem;
}

INSTANTIATE_TEST_SUITE_P(Table, HostTextUnreadable,
                         testing::Values(badQuoted{"\"abc", 0, "the quoted text is not closed"},
                                         badQuoted{"\"a\\q\"", 2, "in a quoted text, \\\\, \\\" and \\xNN"},
                                         badQuoted{"\"a\\x4\"", 2, "in a quoted text"},
                                         badQuoted{"\"\\x00\"", 1, "a host text cannot hold NUL"}));

TEST(HostText, ACharacterTheCodePageLacksIsNamed)
{
    std::string bytes;
    std::string problem;
    EXPECT_FALSE(textToHostBytes("a\xce\xa9", codePage::windows1252, bytes, problem));
    EXPECT_EQ(problem, "\"\xce\xa9\" (U+03A9) is not in windows-1252");
    EXPECT_TRUE(textToHostBytes("a\xce\xa9", codePage::utf8, bytes, problem));
    EXPECT_FALSE(textToHostBytes(std::string("a\0b", 3), codePage::utf8, bytes, problem));
    EXPECT_EQ(codePageNamed("UTF-8"), codePage::utf8);
    EXPECT_EQ(codePageNamed("latin-1"), std::nullopt);
}

struct fieldCase {
    std::string bytes;
    std::string text;
    std::string word;
};

class HostTextScenarioField : public testing::TestWithParam<fieldCase> {};

// Bare where the scenario line reads the bare form as these bytes, else quoted.
TEST_P(HostTextScenarioField, IsBareOnlyWhereTheBareFormHoldsIt)
{
    EXPECT_EQ(scenarioText(GetParam().bytes, codePage::windows1252), GetParam().text);
    EXPECT_EQ(scenarioWord(GetParam().bytes, codePage::windows1252), GetParam().word);
}

INSTANTIATE_TEST_SUITE_P(
    Table, HostTextScenarioField,
    testing::Values(fieldCase{"Take", "Take", "Take"}, fieldCase{"Source 5", "Source 5", "\"Source 5\""},
                    fieldCase{"", "\"\"", "\"\""}, fieldCase{"null", "\"null\"", "\"null\""},
                    fieldCase{" a", "\" a\"", "\" a\""}, fieldCase{"a #b", "\"a #b\"", "\"a #b\""},
                    fieldCase{"a#b", "a#b", "a#b"}, fieldCase{"result 5", "\"result 5\"", "\"result 5\""},
                    fieldCase{"nothing", "\"nothing\"", "\"nothing\""}, fieldCase{"nothings", "nothings", "nothings"},
                    fieldCase{"\"a", "\"\\\"a\"", "\"\\\"a\""}, fieldCase{"Seven's", "Seven's", "Seven's"},
                    fieldCase{"a\tb", "\"a\\x09b\"", "\"a\\x09b\""}, fieldCase{"Caf\xe9", "Caf\xc3\xa9", "Caf\xc3\xa9"},
                    fieldCase{"\x81", "\"\\x81\"", "\"\\x81\""}));

TEST(HostText, ANameAsTextBecomesAWordThatMeansItsBytes)
{
    EXPECT_EQ(scenarioWordOfText("Take"), "Take");
    EXPECT_EQ(scenarioWordOfText("Caf\xc3\xa9 5"), "\"Caf\xc3\xa9 5\"");
    // A raw byte (its private-use character) and a tab are escaped.
    EXPECT_EQ(scenarioWordOfText(rawByteText(0xe9) + "\t"), "\"\\xe9\\x09\"");
}

}  // namespace

}  // namespace panel_host
