#include "line_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#ifndef _WIN32
#include <unistd.h>
#endif

namespace panel_host {

namespace {

struct readRow {
    const char* text;
    std::size_t maxLine;
    std::vector<std::string> lines;  // a cut line ends in '+'
};

class LineReaderText : public testing::TestWithParam<readRow> {};

TEST_P(LineReaderText, GivesEachLineAndCutsLongOnes)
{
    lineReader reader = lineReader::ofText(GetParam().text, GetParam().maxLine);
    std::vector<std::string> lines;
    std::string line;
    bool tooLong = false;
    while (reader.read(0, line, &tooLong) == lineReader::status::line) {
        lines.push_back(line + (tooLong ? "+" : ""));
    }
    EXPECT_EQ(lines, GetParam().lines);
}

INSTANTIATE_TEST_SUITE_P(Texts, LineReaderText,
                         testing::Values(readRow{"a\nb", 9, {"a", "b"}}, readRow{"a\n\nb\n", 9, {"a", "", "b"}},
                                         readRow{"", 9, {}}, readRow{"abcdef\nxy\n", 3, {"abc+", "xy"}},
                                         readRow{"abcdef", 3, {"abc+"}}));

#ifndef _WIN32
// From a descriptor: a line comes whole, however the writes split it, and
// the rest of a cut line is dropped up to its line end.
TEST(LineReaderDescriptor, WaitsForWholeLinesAndDropsTheRestOfALongOne)
{
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    lineReader reader(fds[0], 3);
    std::string line;
    bool tooLong = false;
    ASSERT_EQ(::write(fds[1], "ab", 2), 2);
    EXPECT_EQ(reader.read(0, line), lineReader::status::timeout);
    ASSERT_EQ(::write(fds[1], "c\nlongline", 10), 10);
    EXPECT_EQ(reader.read(0, line), lineReader::status::line);
    EXPECT_EQ(line, "abc");
    EXPECT_EQ(reader.read(0, line, &tooLong), lineReader::status::line);
    EXPECT_EQ(line + (tooLong ? "+" : ""), "lon+");
    ASSERT_EQ(::write(fds[1], "rest\nok\n", 8), 8);
    ::close(fds[1]);
    EXPECT_EQ(reader.read(0, line, &tooLong), lineReader::status::line);
    EXPECT_EQ(line + (tooLong ? "+" : ""), "ok");
    EXPECT_EQ(reader.read(0, line), lineReader::status::end);
    ::close(fds[0]);
}
#endif

}  // namespace

}  // namespace panel_host
