// Reading the number at the start of a morv_string.
#include "morv_string.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <ostream>

namespace {

struct toIntCase {
    const char* text;
    int value;
};

std::ostream& operator<<(std::ostream& out, const toIntCase& c)
{
    return out << ::testing::PrintToString(c.text);
}

class ToInt : public ::testing::TestWithParam<toIntCase> {};

TEST_P(ToInt, ReadsLeadingDecimalNumber)
{
    const toIntCase& c = GetParam();
    EXPECT_EQ(morv_string(c.text).toInt(), c.value);
}

INSTANTIATE_TEST_SUITE_P(Numbers, ToInt,
                         ::testing::Values(toIntCase{"-1", -1}, toIntCase{"0", 0}, toIntCase{"42", 42},
                                           toIntCase{"+7", 7}, toIntCase{"007", 7}, toIntCase{"-0", 0},
                                           toIntCase{"2147483647", INT_MAX}, toIntCase{"-2147483648", INT_MIN}));

INSTANTIATE_TEST_SUITE_P(LeadingWhiteSpaceAndTrailingText, ToInt,
                         ::testing::Values(toIntCase{"  42", 42}, toIntCase{"\t\n -3", -3}, toIntCase{"12abc", 12},
                                           toIntCase{"3.9", 3}, toIntCase{"1e3", 1}, toIntCase{"0x10", 0},
                                           toIntCase{"5 6", 5}));

INSTANTIATE_TEST_SUITE_P(NoDigitsGiveZero, ToInt,
                         ::testing::Values(toIntCase{"", 0}, toIntCase{"abc", 0}, toIntCase{"-", 0}, toIntCase{"+", 0},
                                           toIntCase{"- 5", 0}, toIntCase{"--5", 0}, toIntCase{"+-5", 0},
                                           toIntCase{"x1", 0}));

INSTANTIATE_TEST_SUITE_P(OutOfRangeSaturates, ToInt,
                         ::testing::Values(toIntCase{"2147483648", INT_MAX}, toIntCase{"-2147483649", INT_MIN},
                                           toIntCase{"99999999999999999999999999", INT_MAX},
                                           toIntCase{"-99999999999999999999999999", INT_MIN},
                                           toIntCase{"00000000000000000000000012", 12}));

TEST(ToInt, SingleDigitsGiveTheirValue)
{
    for (int digit = 0; digit <= 9; ++digit) {
        const char text[] = {static_cast<char>('0' + digit), '\0'};
        EXPECT_EQ(morv_string(text).toInt(), digit) << text;
    }
}

TEST(ToInt, NumberTextReadsBack)
{
    for (const int value : {INT_MIN, -1000, -1, 0, 1, 64, INT_MAX}) {
        EXPECT_EQ(morv_string(value, '\0', 0, 10).toInt(), value);
    }
}

}  // namespace
