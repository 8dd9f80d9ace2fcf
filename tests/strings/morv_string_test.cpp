#include "morv_string.h"

#include <gtest/gtest.h>

TEST(MorvString, NumbersArePlainDecimal)
{
    EXPECT_STREQ(morv_string(-42, '\0', 0, 10), "-42");
    EXPECT_TRUE(morv_string("1") == 1);
}
