#include "input_rules.h"
#include "line_reader.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
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

std::vector<std::string> linesOf(lineReader& reader)
{
    std::vector<std::string> lines;
    std::string line;
    bool tooLong = false;
    while (reader.read(0, line, &tooLong) == lineReader::status::line) {
        lines.push_back(line + (tooLong ? "+" : ""));
    }
    return lines;
}

// From a text read whole and from a stream read as lines are taken alike.
TEST_P(LineReaderText, GivesEachLineAndCutsLongOnes)
{
    lineReader whole = lineReader::ofText(GetParam().text, GetParam().maxLine);
    EXPECT_EQ(linesOf(whole), GetParam().lines);
    std::istringstream in(GetParam().text);
    lineReader streamed = lineReader::ofStream(in, GetParam().maxLine);
    EXPECT_EQ(linesOf(streamed), GetParam().lines);
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

// A file read a line at a time is never read past the limit, even when it
// grows after it was checked.
TEST(InputFileLines, StopsAtAFileThatGrewPastTheLimit)
{
    const std::filesystem::path file =
        std::filesystem::temp_directory_path() / ("input_file_lines_" + std::to_string(::getpid()));
    std::ofstream(file, std::ios::binary) << "a\nb\n";
    inputFileLines lines(file.string(), "scenario", 6);
    std::ofstream(file, std::ios::binary | std::ios::app) << "c\nd\n";
    std::string line;
    EXPECT_FALSE(lines.next(line));
    EXPECT_NE(lines.error().find(": grew past"), std::string::npos) << lines.error();
    std::filesystem::remove(file);
}
#endif

}  // namespace

}  // namespace panel_host
