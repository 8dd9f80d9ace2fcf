// Splitting a text into name, dotted parts and value.
#include "parsed_message.h"

#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace {

std::string dottedText(int dots, const char* tail)
{
    std::string text = "a";
    for (int i = 0; i < dots; ++i) {
        text += ".p";
    }
    return text + tail;
}

struct messageCase {
    std::optional<std::string> text;  // nullopt: a null pointer
    std::string name;
    std::vector<std::string> parts;
    std::string value;
    bool hasValue;
};

std::ostream& operator<<(std::ostream& out, const messageCase& c)
{
    return out << (c.text ? ::testing::PrintToString(*c.text) : std::string("null"));
}

class ParsedMessageSplit : public ::testing::TestWithParam<messageCase> {};

TEST_P(ParsedMessageSplit, FieldsMatchTable)
{
    const messageCase& c = GetParam();
    const parsedMessage message(c.text ? c.text->c_str() : nullptr);
    EXPECT_STREQ(message.name, c.name.c_str());
    ASSERT_EQ(message.count, static_cast<std::int32_t>(c.parts.size()));
    for (std::size_t k = 0; k < c.parts.size(); ++k) {
        EXPECT_STREQ(message.parts[k], c.parts[k].c_str()) << "part " << k;
    }
    for (std::size_t k = c.parts.size(); k < parsedMessage::maxParts; ++k) {
        EXPECT_STREQ(message.parts[k], "") << "unused part " << k;
    }
    EXPECT_STREQ(message.value, c.value.c_str());
    EXPECT_EQ(message.hasValue, c.hasValue);
}

std::vector<std::string> repeated(const char* item, std::size_t times)
{
    return std::vector<std::string>(times, item);
}

std::vector<std::string> withLast(std::vector<std::string> items, const char* last)
{
    items.emplace_back(last);
    return items;
}

INSTANTIATE_TEST_SUITE_P(
    Examples, ParsedMessageSplit,
    ::testing::Values(messageCase{std::nullopt, "", {}, "", false}, messageCase{"", "", {}, "", false},
                      messageCase{"return=all", "return", {}, "all", true},
                      messageCase{"return", "return", {}, "", false}, messageCase{"_events", "_events", {}, "", false},
                      messageCase{"a.b.c", "a", {"b", "c"}, "", false},
                      messageCase{"a.b=c.d=e", "a", {"b"}, "c.d=e", true}, messageCase{"=x", "", {}, "x", true},
                      messageCase{".x", "", {"x"}, "", false}, messageCase{"a.", "a", {""}, "", false},
                      messageCase{"a=b=c", "a", {}, "b=c", true}, messageCase{"a..b", "a", {"", "b"}, "", false},
                      messageCase{"alarm=5", "alarm", {}, "5", true}, messageCase{"=", "", {}, "", true}));

INSTANTIATE_TEST_SUITE_P(
    DotLimit, ParsedMessageSplit,
    ::testing::Values(messageCase{dottedText(31, "=v"), "a", repeated("p", 31), "v", true},
                      messageCase{dottedText(32, "=v"), "a", withLast(repeated("p", 31), "p=v"), "", false},
                      messageCase{dottedText(33, ""), "a", withLast(repeated("p", 31), "p.p"), "", false},
                      messageCase{dottedText(32, ""), "a", repeated("p", 32), "", false}));

TEST(ParsedMessage, NullOrEmptyTextAllocatesNothing)
{
    const parsedMessage fromNull(nullptr);
    const parsedMessage fromEmpty("");
    EXPECT_EQ(fromNull.buffer, nullptr);
    EXPECT_EQ(fromEmpty.buffer, nullptr);
}

TEST(ParsedMessage, CallerTextIsUnchanged)
{
    char text[] = "name.part=value.x=y";
    const std::string before = text;
    const parsedMessage message(text);
    EXPECT_EQ(std::string(text), before);
    EXPECT_STREQ(message.name, "name");
    EXPECT_STREQ(message.value, "value.x=y");
}

TEST(ParsedMessage, FieldsPointIntoOwnCopyOfText)
{
    const char text[] = "n.p=v";
    const parsedMessage message(text);
    ASSERT_NE(message.buffer, nullptr);
    EXPECT_NE(message.buffer, text);
    EXPECT_EQ(message.name, message.buffer);
    EXPECT_EQ(message.parts[0], message.buffer + 2);
    EXPECT_EQ(message.value, message.buffer + 4);
    EXPECT_EQ(std::memcmp(message.buffer, "n\0p\0v", 6), 0);
}

}  // namespace
