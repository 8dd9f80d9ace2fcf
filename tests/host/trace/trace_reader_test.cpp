#include "build_paths.h"
#include "trace_reader.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace panel_host {

namespace {

const std::string head = "morv-trace 1\n0 7 0 trace module=\"m.dll\" inner=\"m.traced.dll\" pid=12 cap=67108864\n";

TEST(TraceReading, TakesEveryFieldApartAndUnescapesTexts)
{
    const std::string text = head +
                             "0 7 1 load host=0x1a2b path=\"C:\\\\p \\\"q\\\"\"\n"
                             "3 7 1 send 0 \"SD 'B4'\" -> 0x2f0040 \"1 'B4'\"\n"
                             "3 7 1 send 5 0x2f0040\n"
                             "3 7 1 created 0x3c0a18\n"
                             "9 8 1 notify 1 tally device=-1 index=2147483647 value=5 text=\"S\\x01\\xff\"\n"
                             "9 8 1 returned null\n"
                             "10 7 1 notify 2 button panel=\"1\" control=null event=\"select=5\"\n"
                             "11 7 1 notify 3 query null\n"
                             "11 7 1 returned 0x44 \"a b\"\n"
                             "12 7 1 notify 4 timer -3\n"
                             "13 7 1 notify 5 giveback 0x44\n"
                             "14 7 1 notify 7 payload null\n"
                             "14 7 1 returned 0x9\n"
                             "14 7 1 notify 1 payload null\n"
                             "15 7 1 send 9 0xabc\n"
                             "16 7 1 send 0 null -> null\n"
                             "17 7 0 stop \"size cap of 100 bytes reached\"\n";
    for (const bool windowsLineEnds : {false, true}) {
        std::string file = text;
        for (std::size_t at = 0; windowsLineEnds && (at = file.find('\n', at)) != std::string::npos; at += 2) {
            file.insert(at, "\r");
        }
        const traceRead read = parseTrace(file, "t.trace");
        ASSERT_TRUE(read.ok) << read.error;
        const std::vector<traceEvent>& e = read.trace.events;
        ASSERT_EQ(e.size(), 18u);
        EXPECT_TRUE(read.trace.complete);
        EXPECT_EQ(read.trace.instances, 1);
        EXPECT_EQ(e[0].text, "m.dll");
        EXPECT_EQ(e[0].inner, "m.traced.dll");
        EXPECT_EQ(e[0].cap, 67108864);
        EXPECT_EQ(e[1].pointer, 0x1a2bu);
        EXPECT_EQ(e[1].text, "C:\\p \"q\"");
        EXPECT_EQ(e[2].text, "SD 'B4'");
        EXPECT_EQ(e[2].pointer, 0x2f0040u);
        EXPECT_EQ(e[2].reply, "1 'B4'");
        EXPECT_EQ(e[3].code, 5);
        EXPECT_EQ(e[5].thread, 8u);
        EXPECT_EQ(e[5].line, 7u);
        EXPECT_EQ(e[5].device, -1);
        EXPECT_EQ(e[5].index, 2147483647);
        EXPECT_EQ(e[5].text, std::string("S\x01\xff"));
        EXPECT_FALSE(e[7].control.has_value());
        EXPECT_EQ(e[7].event, "select=5");
        EXPECT_EQ(e[8].carried, traceEvent::payload::query);
        EXPECT_FALSE(e[8].text.has_value());
        EXPECT_EQ(e[9].text, "a b");
        EXPECT_EQ(e[10].value, -3);
        EXPECT_EQ(e[11].pointer, 0x44u);
        EXPECT_EQ(e[12].carried, traceEvent::payload::other);
        EXPECT_FALSE(e[12].pointer.has_value());
        EXPECT_EQ(e[13].pointer, 0x9u);
        EXPECT_FALSE(e[13].text.has_value());
        EXPECT_EQ(e[14].carried, traceEvent::payload::other);
        EXPECT_EQ(e[14].code, 1);
        EXPECT_EQ(e[15].pointer, 0xabcu);
        EXPECT_FALSE(e[16].text.has_value());
        EXPECT_EQ(e[17].reason, "size cap of 100 bytes reached");
    }
}

TEST(TraceReading, AcceptsATraceThatEndsWithoutUnloadAsIncomplete)
{
    const traceRead read = parseTrace(head + "5 7 1 load host=null path=null\n", "t.trace");
    ASSERT_TRUE(read.ok) << read.error;
    EXPECT_FALSE(read.trace.complete);
}

struct badTrace {
    const char* name;
    std::string text;
    const char* error;
};

class TraceRefused : public testing::TestWithParam<badTrace> {};

TEST_P(TraceRefused, WithTheLineAndTheReason)
{
    const traceRead read = parseTrace(GetParam().text, "t.trace");
    EXPECT_FALSE(read.ok);
    EXPECT_EQ(read.error, GetParam().error);
}

std::string rowName(const testing::TestParamInfo<badTrace>& info)
{
    return info.param.name;
}

const std::string loaded = head + "0 7 1 load host=0x1 path=\"p\"\n";

INSTANTIATE_TEST_SUITE_P(
    Reader, TraceRefused,
    testing::Values(
        badTrace{"Empty", "", "t.trace:1: an empty file, not a trace (its first line is \"morv-trace 1\")"},
        badTrace{"NotATrace", "PS '1'\n", "t.trace:1: not a trace: the first line is \"PS '1'\", not \"morv-trace 1\""},
        badTrace{"OtherVersion", "morv-trace 2\n", "t.trace:1: unsupported trace version 2"},
        badTrace{"NoEvents", "morv-trace 1\n", "t.trace:2: the trace has no events: its trace event is missing"},
        badTrace{"Truncated", head + "0 7 0 unlo", "t.trace:3: the last line has no line end: the trace is truncated"},
        badTrace{"Binary",
                 std::string("\x7f"
                             "ELF\x01\0\n\0",
                             8),
                 "t.trace:1:1: control character 0x7F in the line; a trace holds printable ASCII only"},
        badTrace{"ControlCharacter", head + "0 7 0 stop \"\x1b[2J\"\n",
                 "t.trace:3:13: control character 0x1B in the line; a trace holds printable ASCII only"},
        badTrace{"NulInLine", head + std::string("0 7 0 unl\0oad\n", 14),
                 "t.trace:3:10: NUL in the line; a trace holds printable ASCII only"},
        badTrace{"HighByte", head + "0 7 0 stop \"\xe9\"\n",
                 "t.trace:3:13: byte 0xE9 in the line; a trace holds printable ASCII only"},
        badTrace{"OutOfOrder", loaded + "9 7 1 created null\n8 7 1 destroy\n",
                 "t.trace:5: lines out of order: 8 ms after 9 ms on the line before"},
        badTrace{"TraceEventMissing", "morv-trace 1\n0 7 0 unload\n",
                 "t.trace:2: expected the trace event first, found unload"},
        badTrace{"SecondTraceEvent", head + head.substr(13), "t.trace:3: a second trace event"},
        badTrace{"UnknownEvent", head + "0 7 0 reload\n", "t.trace:3:7: unknown event \"reload\""},
        badTrace{"TimeNotANumber", head + "-1 7 0 unload\n",
                 "t.trace:3:1: the time \"-1\" is not a whole number from 0 to 9223372036854775807"},
        badTrace{"TwoBlanks", head + "0 7  0 unload\n", "t.trace:3:5: expected the instance after one blank"},
        badTrace{"TrailingBlank", head + "0 7 0 unload \n", "t.trace:3:13: unexpected \" \" at the end of the event"},
        badTrace{"MissingField", loaded + "0 7 1 send 0 \"AS\"\n",
                 "t.trace:4:18: expected \"->\" after a blank, found the line end"},
        badTrace{"ExtraField", loaded + "0 7 1 destroy now\n",
                 "t.trace:4:14: unexpected \" now\" at the end of the event"},
        badTrace{"LeadingZeroPointer", loaded + "0 7 1 created 0x0f\n",
                 "t.trace:4:15: the script object \"0x0f\" is not a pointer (null, or 0x and lowercase hex digits "
                 "without leading zeros)"},
        badTrace{"UppercasePointer", loaded + "0 7 1 created 0xAB\n",
                 "t.trace:4:15: the script object \"0xAB\" is not a pointer (null, or 0x and lowercase hex digits "
                 "without leading zeros)"},
        badTrace{"BadEscape", loaded + "0 7 1 notify 3 query \"a\\qb\"\n",
                 "t.trace:4:24: a backslash starts \\\\, \\\" or \\x and two lowercase hex digits"},
        badTrace{"UppercaseHexEscape", loaded + "0 7 1 notify 3 query \"\\x0A\"\n",
                 "t.trace:4:23: a backslash starts \\\\, \\\" or \\x and two lowercase hex digits"},
        badTrace{"UnclosedQuote", loaded + "0 7 1 notify 3 query \"abc\n",
                 "t.trace:4:26: the query text has no closing double quote"},
        badTrace{"IntOutOfRange", loaded + "0 7 1 notify 1 tally device=2147483648 index=1 value=1 text=\"\"\n",
                 "t.trace:4:29: device \"2147483648\" is not a whole number within the 32-bit signed range"},
        badTrace{"WrongKey", loaded + "0 7 1 notify 1 tally device=1 value=1 index=1 text=\"\"\n",
                 "t.trace:4:31: expected index="},
        badTrace{"PayloadOfAnotherCode", loaded + "0 7 1 notify 1 button panel=\"1\" control=\"A\" event=\"\"\n",
                 "t.trace:4:16: expected \"tally\", found \"button\""},
        badTrace{"ModuleEventOfAnInstance", loaded + "0 7 1 unload\n", "t.trace:4: unload belongs to instance 0"},
        badTrace{"InstanceEventAtModuleLevel", loaded + "0 7 0 created null\n",
                 "t.trace:4: created needs an instance from 1"},
        badTrace{"InstanceSkipped", head + "0 7 2 load host=0x1 path=\"p\"\n",
                 "t.trace:3: instance 2 is loaded after instance 0: instances count from 1 in the order of their load"},
        badTrace{"InstanceNeverLoaded", loaded + "0 7 2 destroy\n", "t.trace:4: instance 2 has no load before it"},
        badTrace{"AfterDestroyed", loaded + "0 7 1 destroyed\n0 7 1 notify 4 timer 1\n",
                 "t.trace:5: instance 1 was destroyed on line 4"},
        badTrace{"AfterUnload", head + "0 7 0 unload\n0 7 0 unload\n",
                 "t.trace:4:1: an event after unload, which ends the trace"}),
    rowName);

TEST(TraceReading, RefusesAFileOverTheSizeLimitBeforeReadingIt)
{
    const std::filesystem::path folder(buildPaths::workFolder);
    std::filesystem::create_directories(folder);
    const std::filesystem::path huge = folder / "huge.trace";
    std::ofstream(huge) << head;
    std::filesystem::resize_file(huge, 64 * 1024 * 1024 + 1);
    const traceRead read = readTraceFile(huge.string());
    EXPECT_FALSE(read.ok);
    EXPECT_NE(read.error.find("huge.trace"), std::string::npos) << read.error;
    EXPECT_NE(read.error.find("64 MB"), std::string::npos) << read.error;
    std::filesystem::remove(huge);
}

}  // namespace

}  // namespace panel_host
