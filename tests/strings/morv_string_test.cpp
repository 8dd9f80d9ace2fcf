// Construction, assignment, concatenation and equality of morv_string.
#include "morv_string.h"
#include "morv_stringlist.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <ostream>

namespace {

TEST(MorvString, DefaultStringIsEmptyAndReadable)
{
    const morv_string empty;
    EXPECT_EQ(empty.length(), 0U);
    EXPECT_TRUE(empty.isEmpty());
    ASSERT_NE(static_cast<const char*>(empty), nullptr);
    EXPECT_STREQ(empty, "");
}

TEST(MorvString, NullTextGivesEmptyString)
{
    const morv_string fromNull(static_cast<const char*>(nullptr));
    EXPECT_EQ(fromNull.length(), 0U);
    EXPECT_STREQ(fromNull.c_str(), "");
}

TEST(MorvString, TextIsCopiedNotReferenced)
{
    char source[] = "Sources";
    const morv_string copy(source);
    source[0] = 'X';
    EXPECT_STREQ(copy.c_str(), "Sources");
    EXPECT_EQ(copy.length(), 7U);
}

TEST(MorvString, CopyIsIndependentOfOriginal)
{
    const morv_string original("abc");
    morv_string copy(original);
    copy += morv_string("def");
    EXPECT_STREQ(original.c_str(), "abc");
    EXPECT_STREQ(copy.c_str(), "abcdef");
}

TEST(MorvString, AssignmentFromTextReplacesContent)
{
    morv_string s("old text");
    s = "new";
    EXPECT_STREQ(s.c_str(), "new");
    s = static_cast<const char*>(nullptr);
    EXPECT_STREQ(s.c_str(), "");
    EXPECT_EQ(s.length(), 0U);
}

TEST(MorvString, AssignmentFromOwnCharactersKeepsThem)
{
    morv_string s("same");
    s = s.c_str();
    EXPECT_STREQ(s.c_str(), "same");
}

TEST(MorvString, AssignmentFromStringCopiesAndSelfAssignmentKeeps)
{
    const morv_string source("value");
    morv_string target("x");
    target = source;
    EXPECT_STREQ(target.c_str(), "value");
    morv_string& alias = target;
    target = alias;
    EXPECT_STREQ(target.c_str(), "value");
}

TEST(MorvString, AppendAddsAtTheEnd)
{
    morv_string s("TP ");
    s += morv_string("'x'");
    EXPECT_STREQ(s.c_str(), "TP 'x'");
    s += morv_string();
    EXPECT_STREQ(s.c_str(), "TP 'x'");
    EXPECT_EQ(s.length(), 6U);
}

TEST(MorvString, AppendingItselfDoublesTheText)
{
    morv_string s("ab");
    s += s;
    EXPECT_STREQ(s.c_str(), "abab");
}

TEST(MorvString, EveryPlusFormPutsLeftOperandFirst)
{
    const morv_string left("left");
    const morv_string right("right");
    EXPECT_STREQ((left + "-text").c_str(), "left-text");
    EXPECT_STREQ(("text-" + right).c_str(), "text-right");
    EXPECT_STREQ((left + right).c_str(), "leftright");
    EXPECT_STREQ(left.c_str(), "left");
    EXPECT_STREQ(right.c_str(), "right");
}

TEST(MorvString, PlusWithNullTextAddsNothing)
{
    const morv_string s("abc");
    EXPECT_STREQ((s + static_cast<const char*>(nullptr)).c_str(), "abc");
    EXPECT_STREQ((static_cast<const char*>(nullptr) + s).c_str(), "abc");
}

struct textEquality {
    const char* left;
    const char* right;
    bool equal;
};

std::ostream& operator<<(std::ostream& out, const textEquality& c)
{
    return out << ::testing::PrintToString(c.left) << " == " << ::testing::PrintToString(c.right);
}

class MorvStringTextEquality : public ::testing::TestWithParam<textEquality> {};

TEST_P(MorvStringTextEquality, ComparesWholeTextCaseSensitively)
{
    const textEquality& c = GetParam();
    const morv_string left(c.left);
    EXPECT_EQ(left == c.right, c.equal);
    EXPECT_EQ(left != c.right, !c.equal);
    EXPECT_EQ(left == morv_string(c.right), c.equal);
    // A text on the left compares characters too, not pointers.
    const std::string rightCopy(c.right);
    EXPECT_EQ(rightCopy.c_str() == left, c.equal);
    EXPECT_EQ(rightCopy.c_str() != left, !c.equal);
}

INSTANTIATE_TEST_SUITE_P(Table, MorvStringTextEquality,
                         ::testing::Values(textEquality{"abc", "abc", true}, textEquality{"", "", true},
                                           textEquality{"ack", "ACK", false}, textEquality{"Value", "value", false},
                                           textEquality{"abc", "ab", false}, textEquality{"ab", "abc", false},
                                           textEquality{"a b", "a  b", false}, textEquality{"", " ", false}));

TEST(MorvString, NullTextComparesAsEmptyText)
{
    EXPECT_TRUE(morv_string() == static_cast<const char*>(nullptr));
    EXPECT_FALSE(morv_string("x") == static_cast<const char*>(nullptr));
}

struct intEquality {
    const char* text;
    int value;
    bool equal;
};

std::ostream& operator<<(std::ostream& out, const intEquality& c)
{
    return out << ::testing::PrintToString(c.text) << " == " << c.value;
}

class MorvStringIntEquality : public ::testing::TestWithParam<intEquality> {};

TEST_P(MorvStringIntEquality, EqualOnlyToItsExactDecimalForm)
{
    const intEquality& c = GetParam();
    EXPECT_EQ(morv_string(c.text) == c.value, c.equal);
}

INSTANTIATE_TEST_SUITE_P(Table, MorvStringIntEquality,
                         ::testing::Values(intEquality{"1", 1, true}, intEquality{"0", 0, true},
                                           intEquality{"-1", -1, true}, intEquality{"2147483647", INT_MAX, true},
                                           intEquality{"-2147483648", INT_MIN, true}, intEquality{"01", 1, false},
                                           intEquality{" 1", 1, false}, intEquality{"1 ", 1, false},
                                           intEquality{"+1", 1, false}, intEquality{"-0", 0, false},
                                           intEquality{"", 0, false}, intEquality{"1", 2, false},
                                           intEquality{"1a", 1, false}));

}  // namespace

namespace {

// A text longer than morv_string::maxLength cannot be made (a number padded
// to UINT_MAX characters is one, and costs no memory to ask for): the result
// is a failed string, empty, and everything made from it fails too, without
// throwing; assigning a text that can be made clears the failure.
TEST(MorvStringTooLong, GivesFailedStringsThatSpreadUntilReassigned)
{
    const morv_string tooLong(7, ' ', UINT_MAX, 10);
    EXPECT_TRUE(tooLong.failed());
    EXPECT_STREQ(tooLong.c_str(), "");
    EXPECT_EQ(tooLong.length(), 0U);

    const morv_string good("RC %1");
    morv_string appended("x");
    appended += tooLong;
    morv_string left("l");
    morv_string right("r");
    tooLong.split('=', left, right);
    morv_string assigned("kept");
    assigned = tooLong;
    const morv_string moved(morv_string(7, ' ', UINT_MAX, 10));
    // Moved into a string that holds a heap block, then copied.
    morv_string moveAssigned(std::string(morv_string::smallCapacity + 1, 'x').c_str());
    moveAssigned = morv_string(7, ' ', UINT_MAX, 10);
    const morv_string made[] = {good.arg(7, ' ', UINT_MAX, 10),
                                good.arg(tooLong),
                                tooLong.arg(7),
                                tooLong + "x",
                                "x" + tooLong,
                                good + tooLong,
                                morv_string(tooLong),
                                appended,
                                left,
                                right,
                                assigned,
                                moved,
                                moveAssigned,
                                morv_string(moveAssigned)};
    for (const morv_string& text : made) {
        EXPECT_TRUE(text.failed());
        EXPECT_STREQ(text.c_str(), "");
    }
    EXPECT_TRUE(morv_stringlist(tooLong, ',').failed());
    EXPECT_TRUE(morv_stringlist(tooLong, ',').toString(',').failed());

    assigned = "fine";
    EXPECT_FALSE(assigned.failed());
    EXPECT_STREQ(assigned.c_str(), "fine");
    EXPECT_FALSE(good.arg(7).failed());
}

}  // namespace
