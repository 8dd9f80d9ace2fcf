// Numbers as text: the numeric constructor and the numeric arg() write the
// same text for the same (value, fill, width, base).
#include "morv_string.h"

#include <gtest/gtest.h>

#include <climits>
#include <ostream>
#include <string>

namespace {

struct numberCase {
    int value;
    char fill;
    unsigned width;
    int base;
    const char* text;
};

std::ostream& operator<<(std::ostream& out, const numberCase& c)
{
    return out << "value " << c.value << ", fill " << static_cast<int>(c.fill) << ", width " << c.width << ", base "
               << c.base;
}

class NumberText : public ::testing::TestWithParam<numberCase> {};

TEST_P(NumberText, ConstructorWritesNumber)
{
    const numberCase& c = GetParam();
    EXPECT_STREQ(morv_string(c.value, c.fill, c.width, c.base).c_str(), c.text);
}

TEST_P(NumberText, NumericArgWritesSameNumber)
{
    const numberCase& c = GetParam();
    const morv_string filled = morv_string("[%1]").arg(c.value, c.fill, c.width, c.base);
    EXPECT_EQ(std::string(filled.c_str()), "[" + std::string(c.text) + "]");
}

INSTANTIATE_TEST_SUITE_P(PlainDecimal, NumberText,
                         ::testing::Values(numberCase{0, '\0', 0, 10, "0"}, numberCase{1, '\0', 0, 10, "1"},
                                           numberCase{4, '\0', 0, 10, "4"}, numberCase{-1, '\0', 0, 10, "-1"},
                                           numberCase{1000, '\0', 0, 10, "1000"},
                                           numberCase{INT_MAX, '\0', 0, 10, "2147483647"},
                                           numberCase{INT_MIN, '\0', 0, 10, "-2147483648"}));

INSTANTIATE_TEST_SUITE_P(FillAndWidth, NumberText,
                         ::testing::Values(numberCase{5, '\0', 3, 10, "  5"}, numberCase{-5, '\0', 4, 10, "  -5"},
                                           numberCase{5, '0', 3, 10, "005"}, numberCase{-5, '0', 4, 10, "-005"},
                                           numberCase{0, '0', 3, 10, "000"}, numberCase{5, '*', 3, 10, "**5"},
                                           numberCase{-5, '*', 4, 10, "**-5"}, numberCase{12345, '0', 2, 10, "12345"},
                                           numberCase{-12, ' ', 3, 10, "-12"},
                                           numberCase{INT_MIN, '0', 13, 10, "-002147483648"}));

INSTANTIATE_TEST_SUITE_P(Bases, NumberText,
                         ::testing::Values(numberCase{255, '\0', 0, 16, "ff"}, numberCase{5, '\0', 0, 2, "101"},
                                           numberCase{35, '\0', 0, 36, "z"}, numberCase{36, '\0', 0, 36, "10"},
                                           numberCase{-8, '\0', 0, 8, "-10"}, numberCase{255, '0', 4, 16, "00ff"},
                                           numberCase{INT_MIN, '\0', 0, 16, "-80000000"},
                                           numberCase{INT_MIN, '\0', 0, 2, "-10000000000000000000000000000000"},
                                           numberCase{INT_MAX, '\0', 0, 36, "zik0zj"}));

INSTANTIATE_TEST_SUITE_P(BasesOutsideTwoToThirtySixMeanDecimal, NumberText,
                         ::testing::Values(numberCase{10, '\0', 0, 1, "10"}, numberCase{10, '\0', 0, 0, "10"},
                                           numberCase{10, '\0', 0, 37, "10"}, numberCase{-10, '\0', 0, -16, "-10"},
                                           numberCase{INT_MIN, '\0', 0, INT_MIN, "-2147483648"}));

}  // namespace
