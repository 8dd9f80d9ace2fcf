// Cutting a morv_string at a separator.
#include "morv_string.h"

#include <gtest/gtest.h>

#include <ostream>

namespace {

struct splitCase {
    const char* text;
    const char* left;
    const char* right;
    int pieces;
};

std::ostream& operator<<(std::ostream& out, const splitCase& c)
{
    return out << ::testing::PrintToString(c.text);
}

class Split : public ::testing::TestWithParam<splitCase> {};

TEST_P(Split, CutsAtFirstSeparator)
{
    const splitCase& c = GetParam();
    morv_string left("previous left");
    morv_string right("previous right");
    const morv_string text(c.text);
    EXPECT_EQ(text.split('=', left, right), c.pieces);
    EXPECT_STREQ(left.c_str(), c.left);
    EXPECT_STREQ(right.c_str(), c.right);
    EXPECT_STREQ(text.c_str(), c.text);
}

INSTANTIATE_TEST_SUITE_P(Table, Split,
                         ::testing::Values(splitCase{"value=3", "value", "3", 2}, splitCase{"a=b=c", "a", "b=c", 2},
                                           splitCase{"=x", "", "x", 2}, splitCase{"x=", "x", "", 2},
                                           splitCase{"=", "", "", 2}, splitCase{"novalue", "novalue", "", 1},
                                           splitCase{"", "", "", 1}, splitCase{" a = b ", " a ", " b ", 2}));

TEST(Split, OtherSeparators)
{
    morv_string left;
    morv_string right;
    morv_string("a,b=c").split(',', left, right);
    EXPECT_STREQ(left.c_str(), "a");
    EXPECT_STREQ(right.c_str(), "b=c");
}

TEST(Split, IntoItselfAsLeft)
{
    morv_string text("name=value");
    morv_string right;
    text.split('=', text, right);
    EXPECT_STREQ(text.c_str(), "name");
    EXPECT_STREQ(right.c_str(), "value");
}

TEST(Split, IntoItselfAsRight)
{
    morv_string text("name=value");
    morv_string left;
    text.split('=', left, text);
    EXPECT_STREQ(left.c_str(), "name");
    EXPECT_STREQ(text.c_str(), "value");
}

TEST(Split, WithoutSeparatorIntoItselfKeepsWholeText)
{
    morv_string text("whole");
    morv_string right("x");
    text.split('=', text, right);
    EXPECT_STREQ(text.c_str(), "whole");
    EXPECT_STREQ(right.c_str(), "");
}

}  // namespace
