// Splitting a host reply into space-separated, optionally quoted tokens.
#include "decode_morv_string.h"

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace {

std::string words(int count)
{
    std::string text;
    for (int i = 0; i < count; ++i) {
        text += (i > 0 ? " w" : "w") + std::to_string(i);
    }
    return text;
}

std::vector<std::string> wordTokens(int count)
{
    std::vector<std::string> tokens;
    for (int i = 0; i < count; ++i) {
        tokens.push_back("w" + std::to_string(i));
    }
    return tokens;
}

std::vector<std::string> withTail(std::vector<std::string> tokens, std::vector<std::string> tail)
{
    tokens.insert(tokens.end(), tail.begin(), tail.end());
    return tokens;
}

struct decodeCase {
    std::optional<std::string> text;  // nullopt: a null pointer
    char quote;
    std::vector<std::string> tokens;
};

std::ostream& operator<<(std::ostream& out, const decodeCase& c)
{
    return out << (c.text ? ::testing::PrintToString(*c.text) : std::string("null")) << " quote " << c.quote;
}

std::string bracketed(const std::vector<std::string>& tokens)
{
    std::string shown;
    for (const std::string& token : tokens) {
        shown += "[" + token + "]";
    }
    return shown;
}

class DecodeTokens : public ::testing::TestWithParam<decodeCase> {};

TEST_P(DecodeTokens, TokensMatchTable)
{
    const decodeCase& c = GetParam();
    const decodeMORVString decoded(c.text ? c.text->c_str() : nullptr, c.quote);
    std::vector<std::string> got;
    for (int i = 0; i < decoded.count && i < decodeMORVString::maxTokens; ++i) {
        got.emplace_back(decoded.tokens[i]);
    }
    EXPECT_EQ(decoded.count, static_cast<std::int32_t>(c.tokens.size()));
    EXPECT_EQ(bracketed(got), bracketed(c.tokens));
    for (int i = decoded.count; i < decodeMORVString::maxTokens; ++i) {
        EXPECT_STREQ(decoded.tokens[i], "") << "unused entry " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Apostrophe, DecodeTokens,
    ::testing::Values(decodeCase{std::nullopt, '\'', {}}, decodeCase{"", '\'', {}}, decodeCase{"x", '\'', {"x"}},
                      decodeCase{"   ", '\'', {""}}, decodeCase{"12  34 ", '\'', {"12", "34"}},
                      decodeCase{" 12", '\'', {"", "12"}}, decodeCase{"'abc", '\'', {"", "abc"}},
                      decodeCase{"' a'", '\'', {"", " a"}}, decodeCase{"ab'cd'ef", '\'', {"ab", "cd", "ef"}},
                      decodeCase{"a '' b", '\'', {"a", "", "b"}}, decodeCase{"'' x", '\'', {"", "", "x"}},
                      decodeCase{"'ab''cd'", '\'', {"", "ab", "cd"}},
                      decodeCase{"12 '7 8' x", '\'', {"12", "7 8", "x"}}, decodeCase{"a\tb c", '\'', {"a\tb", "c"}},
                      decodeCase{"3 'B4 Audio Router'", '\'', {"3", "B4 Audio Router"}}));

INSTANTIATE_TEST_SUITE_P(
    TokenLimit, DecodeTokens,
    ::testing::Values(decodeCase{words(32), '\'', wordTokens(32)}, decodeCase{words(33), '\'', wordTokens(32)},
                      decodeCase{words(40) + " 'quoted tail'", '\'', wordTokens(32)},
                      decodeCase{words(31) + " '' ''", '\'', withTail(wordTokens(31), {""})},
                      decodeCase{words(31) + " 'last one' x", '\'', withTail(wordTokens(31), {"last one"})}));

INSTANTIATE_TEST_SUITE_P(OtherQuoteCharacters, DecodeTokens,
                         ::testing::Values(decodeCase{"a \"b c\" 'd e'", '"', {"a", "b c", "'d", "e'"}},
                                           decodeCase{"|x y|z", '|', {"", "x y", "z"}},
                                           decodeCase{"12 '7 8'", '"', {"12", "'7", "8'"}}));

TEST(DecodeTokens, CallerTextIsUnchanged)
{
    char text[] = "12 '7 8' x";
    const std::string before = text;
    const decodeMORVString decoded(text, '\'');
    EXPECT_EQ(std::string(text), before);
    EXPECT_NE(decoded.buffer, text);
    EXPECT_EQ(decoded.quote, '\'');
}

TEST(DecodeTokens, TokensPointIntoOwnCopy)
{
    const decodeMORVString decoded("ab 'c d'", '\'');
    ASSERT_NE(decoded.buffer, nullptr);
    EXPECT_EQ(decoded.tokens[0], decoded.buffer);
    EXPECT_EQ(decoded.tokens[1], decoded.buffer + 4);
}

TEST(DecodeTokens, NullOrEmptyTextAllocatesNothing)
{
    EXPECT_EQ(decodeMORVString(nullptr, '\'').buffer, nullptr);
    EXPECT_EQ(decodeMORVString("", '\'').buffer, nullptr);
}

}  // namespace
