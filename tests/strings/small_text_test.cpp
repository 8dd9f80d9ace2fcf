// Texts at the boundary between the two kinds of storage of morv_string:
// inside the object (up to smallCapacity characters) and in a heap block
// (longer). Copies, moves, assignments, appends and the building operations
// must give the same texts on either side of it and across it.
#include "morv_string.h"
#include "morv_stringlist.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

constexpr unsigned small = morv_string::smallCapacity;
static_assert(small >= 32, "short texts (names, numbers, commands) stay inside the object");

// A text of `length` characters that differ from their neighbours, so that a
// piece copied to the wrong place shows.
std::string textOf(std::size_t length, char first = 'a')
{
    std::string text;
    for (std::size_t i = 0; i < length; ++i) {
        text += static_cast<char>(first + static_cast<char>(i % 26));
    }
    return text;
}

// The lengths either side of the boundary, and one far beyond it.
const std::vector<std::size_t> boundaryLengths = {0, 1, small - 1, small, small + 1, small + 2, 200};

void expectText(const morv_string& actual, const std::string& expected)
{
    EXPECT_EQ(actual.length(), expected.size());
    EXPECT_EQ(std::string(actual.c_str()), expected);
}

TEST(SmallText, TextsOfEveryLengthAroundTheBoundaryAreKeptWhole)
{
    for (const std::size_t length : boundaryLengths) {
        SCOPED_TRACE(length);
        const std::string text = textOf(length);
        expectText(morv_string(text.c_str()), text);
        morv_string assigned("x");
        assigned = text.c_str();
        expectText(assigned, text);
    }
}

TEST(SmallText, CopiesAcrossTheBoundaryAreWholeAndIndependent)
{
    for (const std::size_t from : boundaryLengths) {
        for (const std::size_t to : boundaryLengths) {
            SCOPED_TRACE(std::to_string(from) + " over " + std::to_string(to));
            const std::string source = textOf(from);
            const morv_string original(source.c_str());

            const morv_string constructed(original);
            expectText(constructed, source);

            morv_string target(textOf(to, 'A').c_str());
            target = original;
            expectText(target, source);

            // Changing the copy leaves the original alone, and the reverse.
            target += morv_string("!");
            expectText(original, source);
            expectText(target, source + "!");
            expectText(constructed, source);
        }
    }
}

TEST(SmallText, MovesAcrossTheBoundaryTakeTheTextAndLeaveTheSourceEmpty)
{
    for (const std::size_t from : boundaryLengths) {
        for (const std::size_t to : boundaryLengths) {
            SCOPED_TRACE(std::to_string(from) + " over " + std::to_string(to));
            const std::string text = textOf(from);

            morv_string source(text.c_str());
            const morv_string constructed(std::move(source));
            expectText(constructed, text);
            expectText(source, "");  // NOLINT(bugprone-use-after-move): moved-from strings are empty

            morv_string again(text.c_str());
            morv_string target(textOf(to, 'A').c_str());
            target = std::move(again);
            expectText(target, text);
            expectText(again, "");  // NOLINT(bugprone-use-after-move)

            // A moved-from string is an ordinary empty string.
            again = "reused";
            again += target;
            expectText(again, "reused" + text);
        }
    }
}

TEST(SmallText, MoveIntoItselfKeepsTheText)
{
    for (const std::size_t length : boundaryLengths) {
        SCOPED_TRACE(length);
        const std::string text = textOf(length);
        morv_string s(text.c_str());
        morv_string& alias = s;
        s = std::move(alias);
        expectText(s, text);
    }
}

TEST(SmallText, AppendingCrossesTheBoundaryOneCharacterAtATime)
{
    morv_string grown;
    std::string expected;
    for (std::size_t i = 0; i < 3 * small; ++i) {
        const std::string piece(1, static_cast<char>('a' + static_cast<char>(i % 26)));
        grown += morv_string(piece.c_str());
        expected += piece;
        ASSERT_EQ(std::string(grown.c_str()), expected) << "after " << i + 1 << " characters";
        ASSERT_EQ(grown.length(), expected.size());
    }
}

TEST(SmallText, AppendingToItselfAcrossTheBoundary)
{
    for (const std::size_t length : {small / 2, small / 2 + 1, small - 1, small, small + 1}) {
        SCOPED_TRACE(length);
        const std::string text = textOf(length);
        morv_string s(text.c_str());
        s += s;
        expectText(s, text + text);
    }
}

TEST(SmallText, ConcatenationLandsExactlyOnEitherSide)
{
    const std::string left = textOf(small - 3);
    for (const std::size_t right : {2U, 3U, 4U}) {
        SCOPED_TRACE(right);
        const std::string tail = textOf(right, 'A');
        expectText(morv_string(left.c_str()) + tail.c_str(), left + tail);
        expectText(left.c_str() + morv_string(tail.c_str()), left + tail);
        expectText(morv_string(left.c_str()) + morv_string(tail.c_str()), left + tail);
    }
}

TEST(SmallText, AssignmentFromItsOwnCharactersAcrossTheBoundary)
{
    for (const std::size_t length : {small, small + 1, small + 2}) {
        SCOPED_TRACE(length);
        const std::string text = textOf(length);
        morv_string s(text.c_str());
        s = s.c_str() + 1;  // one character shorter: may fit inside the object
        expectText(s, text.substr(1));
        s = s.c_str();
        expectText(s, text.substr(1));
    }
}

TEST(SmallText, ArgResultOnEitherSideOfTheBoundary)
{
    // "%1" in a text of small - 2 other characters: a value of n characters
    // gives small - 2 + n.
    const std::string before = textOf(20);
    const std::string after = textOf(small - 2 - 20, 'A');
    const morv_string format((before + "%1" + after).c_str());
    for (const std::size_t value : {1U, 2U, 3U, 4U, 60U}) {
        SCOPED_TRACE(value);
        const std::string inserted = textOf(value, 'k');
        expectText(format.arg(morv_string(inserted.c_str())), before + inserted + after);
    }
    // Several occurrences that together cross it.
    const morv_string repeated("%1-%1-%1");
    const std::string piece = textOf(small / 3);
    expectText(repeated.arg(morv_string(piece.c_str())), piece + "-" + piece + "-" + piece);
}

TEST(SmallText, PaddedNumbersOnEitherSideOfTheBoundary)
{
    for (const unsigned width : {small - 1, small, small + 1, 3 * small}) {
        SCOPED_TRACE(width);
        const std::string padded = std::string(width - 3, ' ') + "-42";
        expectText(morv_string(-42, '\0', width), padded);
        expectText(morv_string("<%1>").arg(-42, '\0', width), "<" + padded + ">");
        const std::string zeros = "-" + std::string(width - 3, '0') + "42";
        expectText(morv_string(-42, '0', width), zeros);
        expectText(morv_string("%1").arg(-42, '0', width), zeros);
    }
}

TEST(SmallText, SplitIntoItselfAcrossTheBoundary)
{
    const std::string name = textOf(10);
    const std::string value = textOf(small, 'A');
    const std::string whole = name + "=" + value;

    morv_string text(whole.c_str());
    morv_string right;
    EXPECT_EQ(text.split('=', text, right), 2);
    expectText(text, name);
    expectText(right, value);

    morv_string left;
    morv_string other(whole.c_str());
    EXPECT_EQ(other.split('=', left, other), 2);
    expectText(left, name);
    expectText(other, value);
}

TEST(SmallText, ListItemsAcrossTheBoundarySurviveGrowthAndCopies)
{
    morv_stringlist list;
    std::vector<std::string> expected;
    for (std::size_t i = 0; i < 40; ++i) {
        const std::size_t length = boundaryLengths[i % boundaryLengths.size()];
        const std::string item = textOf(length, static_cast<char>('a' + static_cast<char>(i % 3)));
        list.append(morv_string(item.c_str()));
        expected.push_back(item);
    }
    const morv_stringlist copy(list);
    ASSERT_EQ(copy.count(), expected.size());
    std::string joined;
    for (unsigned i = 0; i < copy.count(); ++i) {
        EXPECT_EQ(std::string(list.at(i).c_str()), expected[i]) << "item " << i;
        EXPECT_EQ(std::string(copy.at(i).c_str()), expected[i]) << "item " << i;
        joined += (i > 0 ? "," : "") + expected[i];
    }
    expectText(copy.toString(','), joined);
    const morv_stringlist parsed(morv_string(joined.c_str()), ',');
    ASSERT_EQ(parsed.count(), expected.size());
    for (unsigned i = 0; i < parsed.count(); ++i) {
        EXPECT_EQ(std::string(parsed.at(i).c_str()), expected[i]) << "item " << i;
    }
}

}  // namespace
