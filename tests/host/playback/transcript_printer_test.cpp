#include "transcript_printer.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace panel_host {

namespace {

struct debugCase {
    const char* text;
    const char* line;
};

class DebugLine : public testing::TestWithParam<debugCase> {};

// A debug text's last line end ends the transcript's line; every other
// control character stays escaped.
TEST_P(DebugLine, EndsWhereTheTextsLastLineEnds)
{
    std::ostringstream out;
    pathNames names;
    transcriptPrinter printer(out, names);
    printer.debugOutput(GetParam().text);
    EXPECT_EQ(out.str(), GetParam().line);
}

INSTANTIATE_TEST_SUITE_P(Texts, DebugLine,
                         testing::Values(debugCase{"a\n", "  debug: a\n"}, debugCase{"a\r\n", "  debug: a\n"},
                                         debugCase{"a\n\n", "  debug: a\\x0a\n"}, debugCase{"a", "  debug: a\n"},
                                         debugCase{"", "  debug: \n"}, debugCase{"a\r", "  debug: a\\x0d\n"},
                                         debugCase{"a\tb\x1b\n", "  debug: a\\x09b\\x1b\n"}));

}  // namespace

}  // namespace panel_host
