#include "parsed_message.h"

#include <gtest/gtest.h>

TEST(ParsedMessage, NameAndValue)
{
    const parsedMessage message("return=all");
    EXPECT_STREQ(message.name, "return");
    EXPECT_STREQ(message.value, "all");
}
