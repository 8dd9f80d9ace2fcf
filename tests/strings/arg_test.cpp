// Filling numbered placeholders with arg().
#include "morv_string.h"

#include <gtest/gtest.h>

#include <climits>
#include <ostream>

namespace {

struct argCase {
    const char* templateText;
    const char* value;
    const char* result;
};

std::ostream& operator<<(std::ostream& out, const argCase& c)
{
    return out << ::testing::PrintToString(c.templateText) << " with " << ::testing::PrintToString(c.value);
}

class StringArg : public ::testing::TestWithParam<argCase> {};

TEST_P(StringArg, ReplacesLowestPlaceholderPresent)
{
    const argCase& c = GetParam();
    const morv_string templateText(c.templateText);
    EXPECT_STREQ(templateText.arg(morv_string(c.value)).c_str(), c.result);
    EXPECT_STREQ(templateText.c_str(), c.templateText) << "arg changed its own string";
}

INSTANTIATE_TEST_SUITE_P(Table, StringArg,
                         ::testing::Values(argCase{"SD '%1'", "B4 Audio Router", "SD 'B4 Audio Router'"},
                                           argCase{"%1", "", ""}, argCase{"%2 %1", "a", "%2 a"},
                                           argCase{"%3 %2", "x", "%3 x"}, argCase{"%9", "last", "last"},
                                           argCase{"%1-%1", "x", "x-x"}, argCase{"%1 %2 %1", "a", "a %2 a"},
                                           argCase{"%10", "x", "x0"}, argCase{"trail %", "x", "trail %"}));

INSTANTIATE_TEST_SUITE_P(WithoutPlaceholderUnchanged, StringArg,
                         ::testing::Values(argCase{"", "x", ""}, argCase{"abc", "x", "abc"},
                                           argCase{"100%", "x", "100%"}, argCase{"%0 %a %%", "x", "%0 %a %%"}));

TEST(StringArg, ChainFillsPlaceholdersInOrder)
{
    const morv_string text = morv_string("XI '%1' '%2'").arg(morv_string("1")).arg(morv_string("alm_"));
    EXPECT_STREQ(text.c_str(), "XI '1' 'alm_'");
}

TEST(StringArg, SurplusCallsLeaveTextUnchanged)
{
    const morv_string once = morv_string("a %1 b").arg(morv_string("x"));
    const morv_string more = once.arg(morv_string("")).arg(morv_string("y")).arg(7, '\0', 0, 10);
    EXPECT_STREQ(more.c_str(), "a x b");
}

TEST(NumericArg, ChainMixesNumbersAndTexts)
{
    const morv_string text = morv_string("RC %1 %2 %3 ',%4' %5")
                                 .arg(1, '\0', 0, 10)
                                 .arg(5, '\0', 0, 10)
                                 .arg(12, '\0', 0, 10)
                                 .arg(morv_string(""))
                                 .arg(0, '\0', 0, 10);
    EXPECT_STREQ(text.c_str(), "RC 1 5 12 ',' 0");
}

TEST(NumericArg, NegativeAndExtremeNumbersAreWrittenWhole)
{
    const morv_string text =
        morv_string("%1 %2 %3").arg(INT_MIN, '\0', 0, 10).arg(-1, '\0', 0, 10).arg(INT_MAX, '\0', 0, 10);
    EXPECT_STREQ(text.c_str(), "-2147483648 -1 2147483647");
}

TEST(NumericArg, WithoutPlaceholderUnchanged)
{
    EXPECT_STREQ(morv_string("RN").arg(3, '\0', 0, 10).c_str(), "RN");
}

}  // namespace
