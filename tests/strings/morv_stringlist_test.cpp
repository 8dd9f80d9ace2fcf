// Lists of texts: building from a delimited text, joining and iterating.
#include "morv_stringlist.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>
#include <ostream>

namespace {

// The items in iteration order, through begin/end, prefix ++, != and *.
std::vector<std::string> items(const morv_stringlist& list)
{
    std::vector<std::string> seen;
    for (morv_stringlistIterator it = list.begin(); it != list.end(); ++it) {
        seen.emplace_back((*it).c_str());
    }
    return seen;
}

struct listCase {
    const char* text;
    std::vector<std::string> items;
    const char* joined;  // the items joined with a newline
};

std::ostream& operator<<(std::ostream& out, const listCase& c)
{
    return out << ::testing::PrintToString(c.text);
}

class StringListFromText : public ::testing::TestWithParam<listCase> {};

TEST_P(StringListFromText, HoldsItemsBetweenDelimitersInOrder)
{
    const listCase& c = GetParam();
    const morv_stringlist list(morv_string(c.text), ',');
    EXPECT_EQ(items(list), c.items);
    EXPECT_EQ(list.count(), c.items.size());
    EXPECT_STREQ(list.toString('\n').c_str(), c.joined);
}

INSTANTIATE_TEST_SUITE_P(Table, StringListFromText,
                         ::testing::Values(listCase{"", {}, ""}, listCase{"a", {"a"}, "a"},
                                           listCase{"alm_a,alm_b", {"alm_a", "alm_b"}, "alm_a\nalm_b"},
                                           listCase{"a,,b", {"a", "", "b"}, "a\n\nb"},
                                           listCase{"a,b,", {"a", "b", ""}, "a\nb\n"}, listCase{",a", {"", "a"}, "\na"},
                                           listCase{",", {"", ""}, "\n"},
                                           listCase{" a , b ", {" a ", " b "}, " a \n b "}));

TEST(StringList, OtherDelimiter)
{
    const morv_stringlist list(morv_string("a;b,c"), ';');
    EXPECT_EQ(items(list), (std::vector<std::string>{"a", "b,c"}));
    EXPECT_STREQ(list.toString('|').c_str(), "a|b,c");
}

TEST(StringList, DefaultListIsEmpty)
{
    const morv_stringlist list;
    EXPECT_EQ(list.count(), 0U);
    EXPECT_FALSE(list.begin() != list.end());
    EXPECT_STREQ(list.toString('\n').c_str(), "");
}

TEST(StringList, ItemsAreCopiesOfTheText)
{
    morv_string text("a,b");
    const morv_stringlist list(text, ',');
    text = "changed";
    EXPECT_EQ(items(list), (std::vector<std::string>{"a", "b"}));
}

TEST(StringList, CopyIsIndependent)
{
    const morv_stringlist original(morv_string("a,b"), ',');
    morv_stringlist copy(original);
    copy.append(morv_string("c"));
    *copy.begin() = "z";
    EXPECT_EQ(items(original), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(items(copy), (std::vector<std::string>{"z", "b", "c"}));

    morv_stringlist assigned;
    assigned = original;
    EXPECT_EQ(items(assigned), (std::vector<std::string>{"a", "b"}));
}

// The list's first block holds four items, so the fifth append moves them
// to a larger one while `item` still refers into the old block.
TEST(StringList, AppendingItsOwnItemWhileGrowingCopiesIt)
{
    const std::string longItem(morv_string::smallCapacity + 1, 'x');
    morv_stringlist list(morv_string(("a,b,c," + longItem).c_str()), ',');
    list.append(list.at(0));
    list.append(list.at(3));
    EXPECT_FALSE(list.failed());
    EXPECT_EQ(items(list), (std::vector<std::string>{"a", "b", "c", longItem, "a", longItem}));
}

TEST(StringListIterator, DereferenceGivesTheItemItself)
{
    const morv_stringlist list(morv_string("a,b"), ',');
    morv_stringlistIterator it = list.begin();
    *it += morv_string("1");
    EXPECT_STREQ(list.toString(',').c_str(), "a1,b");
}

TEST(StringListIterator, PrefixIncrementReturnsAdvancedIterator)
{
    const morv_stringlist list(morv_string("a,b,c"), ',');
    morv_stringlistIterator it = list.begin();
    const morv_stringlistIterator returned = ++it;
    EXPECT_STREQ((*returned).c_str(), "b");
    EXPECT_STREQ((*it).c_str(), "b");
    ++it;
    EXPECT_STREQ((*returned).c_str(), "b") << "the returned iterator is a copy";
    EXPECT_STREQ((*it).c_str(), "c");
    ++it;
    EXPECT_FALSE(it != list.end());
}

TEST(StringListIterator, IteratorsOfDifferentListsDiffer)
{
    const morv_stringlist first(morv_string("a"), ',');
    const morv_stringlist second(morv_string("a"), ',');
    EXPECT_TRUE(first.begin() != second.begin());
    EXPECT_TRUE(first.begin() != first.end());
}

}  // namespace
