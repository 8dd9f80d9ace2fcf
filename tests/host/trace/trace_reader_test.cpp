#include "build_paths.h"
#include "trace_reader.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace panel_host {

namespace {

traceRead readText(const std::string& text)
{
    return readWholeTrace(traceSource::text("t.trace", text));
}

const std::string head = "morv-trace 1\n0 7 0 trace module=\"m.dll\" inner=\"m.traced.dll\" pid=12 cap=67108864\n";
const std::string head2 =
    "morv-trace 2\n0 7 0 trace module=\"m.dll\" inner=\"m.traced.dll\" pid=12 cap=67108864 clock=host\n";

TEST(TraceReading, TakesEveryFieldOfAVersion1TraceApartAndUnescapesTexts)
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
        const traceRead read = readText(file);
        ASSERT_TRUE(read.ok) << read.error;
        const std::vector<traceEvent>& e = read.events;
        // Each send line is a send and its reply.
        ASSERT_EQ(e.size(), 22u);
        EXPECT_TRUE(read.summary.complete);
        EXPECT_EQ(read.summary.version, 1);
        EXPECT_EQ(read.summary.instances, 1);
        EXPECT_EQ(e[0].text, "m.dll");
        EXPECT_EQ(e[0].inner, "m.traced.dll");
        EXPECT_EQ(e[0].cap, 67108864);
        EXPECT_FALSE(e[0].hostClock);
        EXPECT_EQ(e[1].pointer, 0x1a2bu);
        EXPECT_EQ(e[1].text, "C:\\p \"q\"");
        EXPECT_EQ(e[2].what, traceEvent::kind::send);
        EXPECT_EQ(e[2].text, "SD 'B4'");
        EXPECT_EQ(e[3].what, traceEvent::kind::reply);
        EXPECT_EQ(e[3].line, e[2].line);
        EXPECT_EQ(e[3].text, "SD 'B4'");
        EXPECT_EQ(e[3].pointer, 0x2f0040u);
        EXPECT_EQ(e[3].reply, "1 'B4'");
        EXPECT_EQ(e[4].code, 5);
        EXPECT_EQ(e[4].pointer, 0x2f0040u);
        EXPECT_EQ(e[7].thread, 8u);
        EXPECT_EQ(e[7].line, 7u);
        EXPECT_EQ(e[7].device, -1);
        EXPECT_EQ(e[7].index, 2147483647);
        EXPECT_EQ(e[7].text, std::string("S\x01\xff"));
        EXPECT_FALSE(e[9].control.has_value());
        EXPECT_EQ(e[9].event, buttonEvent::split("select=5"));
        EXPECT_EQ(e[10].carried, traceEvent::payload::query);
        EXPECT_FALSE(e[10].text.has_value());
        EXPECT_EQ(e[11].text, "a b");
        EXPECT_EQ(e[11].code, 3);
        EXPECT_EQ(e[12].timer, -3);
        EXPECT_EQ(e[13].pointer, 0x44u);
        EXPECT_EQ(e[14].carried, traceEvent::payload::other);
        EXPECT_FALSE(e[14].pointer.has_value());
        EXPECT_EQ(e[15].pointer, 0x9u);
        EXPECT_FALSE(e[15].text.has_value());
        EXPECT_EQ(e[16].carried, traceEvent::payload::other);
        EXPECT_EQ(e[16].code, 1);
        EXPECT_EQ(e[17].pointer, 0xabcu);
        EXPECT_FALSE(e[19].text.has_value());
        EXPECT_EQ(e[21].reason, "size cap of 100 bytes reached");
    }
}

// A notification the host delivered from inside a command sits inside it:
// its depth, the call around it, the call a reply or a return ends.
TEST(TraceReading, FollowsVersion2CallsNestedInsideCommandsAndRecordsWhole)
{
    const traceRead read = readText(head2 +
                                    "0 7 1 load host=0x10 path=\"p\"\n"  // 3
                                    "0 7 1 created 0x20\n"               // 4
                                    "5 7 1 notify 2 button panel=\"1\" control=\"Take\" name=\"a.b\" "
                                    "value=\"v\" has-value=0 count=1 part=null\n"                   // 5
                                    "5 7 1 send 0 \"RC 1 5 7\"\n"                                   // 6
                                    "6 7 1 notify 1 tally device=1 index=7 value=5 text=\"S\"\n"    // 7
                                    "6 7 1 send 0 \"RN 1 0 5\"\n"                                   // 8
                                    "6 7 1 reply 0x30 \"Mic\"\n"                                    // 9
                                    "6 7 1 returned null\n"                                         // 10
                                    "7 7 1 reply null\n"                                            // 11
                                    "7 7 1 returned null\n"                                         // 12
                                    "8 7 1 notify 4 timer 4294967297\n"                             // 13
                                    "8 7 1 send 5 null\n"                                           // 14
                                    "8 7 1 reply null\n"                                            // 15
                                    "8 7 1 returned null\n"                                         // 16
                                    "9 7 1 notify 2 button panel=\"1\" control=\"X\" event=null\n"  // 17
                                    "9 7 1 send 0 \"AS\"\n");                                       // 18
    ASSERT_TRUE(read.ok) << read.error;
    EXPECT_TRUE(read.summary.hostClock);
    EXPECT_FALSE(read.summary.complete);
    EXPECT_EQ(read.summary.endNote,
              "the trace ends without unload or stop after line 18: the process ended "
              "while it was being written (a crash, a kill)");
    const std::vector<traceEvent>& e = read.events;
    ASSERT_EQ(e.size(), 17u);
    buttonEvent odd;
    odd.name = "a.b";
    odd.value = "v";
    odd.count = 1;
    odd.parts = {std::nullopt};
    EXPECT_EQ(e[3].event, odd);
    struct place {
        std::size_t index, depth, openedOn, enclosedBy, innerCall;
    };
    for (const place& p : {place{3, 0, 0, 0, 0}, place{4, 1, 0, 5, 5}, place{5, 2, 0, 6, 6}, place{6, 3, 0, 7, 7},
                           place{7, 3, 8, 0, 7}, place{8, 2, 7, 0, 6}, place{9, 1, 6, 0, 5}, place{10, 0, 5, 0, 0}}) {
        EXPECT_EQ(e[p.index].depth, p.depth) << "line " << e[p.index].line;
        EXPECT_EQ(e[p.index].openedOn, p.openedOn) << "line " << e[p.index].line;
        EXPECT_EQ(e[p.index].enclosedBy, p.enclosedBy) << "line " << e[p.index].line;
        EXPECT_EQ(e[p.index].innerCall, p.innerCall) << "line " << e[p.index].line;
    }
    EXPECT_EQ(e[7].text, "RN 1 0 5");
    EXPECT_EQ(e[7].reply, "Mic");
    EXPECT_EQ(e[10].code, 2);
    EXPECT_EQ(e[11].timer, 4294967297);
    EXPECT_FALSE(e[15].event.has_value());
}

// Every prefix of a trace, as a crash, a kill or a full disk leaves it
// (with or without the zeros of space allocated and never written): it
// reads up to its last whole line, or is refused when the cut is inside the
// first line.
TEST(TraceReading, ReadsEveryPrefixUpToItsLastWholeLine)
{
    const std::string version2 = head2 +
                                 "0 7 1 load host=0x10 path=\"p\"\n"
                                 "0 7 1 send 0 \"SD 'B4'\"\n"
                                 "0 7 1 reply 0x11 \"1 'B4'\"\n"
                                 "0 7 1 created 0x20\n"
                                 "5 9 2 load host=0x10 path=null\n"
                                 "5 7 1 notify 2 button panel=\"1\" control=\"Take\" name=\"press\" value=\"1\" "
                                 "has-value=1 count=0\n"
                                 "5 7 1 send 0 \"RC 1 5 7\"\n"
                                 "6 7 1 notify 1 tally device=1 index=7 value=5 text=\"S\"\n"
                                 "6 7 1 returned null\n"
                                 "6 7 1 reply null\n"
                                 "7 9 2 created null\n"
                                 "7 7 1 returned null\n"
                                 "8 7 1 destroy\n"
                                 "8 7 1 destroyed\n"
                                 "9 7 0 unload\n";
    for (const std::string& whole :
         {version2, head + "0 7 1 load host=0x1 path=\"p\"\n0 7 1 send 0 \"AS\" -> null\n"}) {
        const std::size_t firstLineEnd = whole.find('\n') + 1;
        for (std::size_t cut = 0; cut <= whole.size(); ++cut) {
            for (const std::size_t zeros : {std::size_t{0}, std::size_t{300}}) {
                const std::string text = whole.substr(0, cut) + std::string(zeros, '\0');
                const traceRead read = readText(text);
                if (cut < firstLineEnd) {
                    EXPECT_FALSE(read.ok) << cut;
                    EXPECT_EQ(read.error.rfind("t.trace:1: ", 0), 0u) << read.error;
                    continue;
                }
                ASSERT_TRUE(read.ok) << "cut at " << cut << ": " << read.error;
                const std::string whole_lines = text.substr(0, text.find_last_of('\n') + 1);
                const traceRead lines = readText(whole_lines);
                ASSERT_TRUE(lines.ok) << lines.error;
                EXPECT_EQ(read.events.size(), lines.events.size()) << cut;
                const bool unloaded =
                    whole_lines.size() >= 8 && whole_lines.compare(whole_lines.size() - 8, 8, " unload\n") == 0;
                EXPECT_EQ(read.summary.complete, unloaded) << cut;
                const bool midLine = text.find_last_of('\n') + 1 != cut;
                EXPECT_EQ(read.summary.endNote.find("in the middle of line") != std::string::npos,
                          midLine && !read.summary.complete)
                    << cut << ": " << read.summary.endNote;
                EXPECT_EQ(read.summary.endNote.find("300 bytes reserved") != std::string::npos,
                          zeros != 0 && !read.summary.complete)
                    << cut << ": " << read.summary.endNote;
            }
        }
    }
}

struct badTrace {
    const char* name;
    std::string text;
    const char* error;
};

class TraceRefused : public testing::TestWithParam<badTrace> {};

TEST_P(TraceRefused, WithTheLineAndTheReason)
{
    const traceRead read = readText(GetParam().text);
    EXPECT_FALSE(read.ok);
    EXPECT_EQ(read.error, GetParam().error);
}

std::string rowName(const testing::TestParamInfo<badTrace>& info)
{
    return info.param.name;
}

const std::string loaded = head + "0 7 1 load host=0x1 path=\"p\"\n";
const std::string loaded2 = head2 + "0 7 1 load host=0x1 path=\"p\"\n0 7 1 created 0x2\n";

INSTANTIATE_TEST_SUITE_P(
    Reader, TraceRefused,
    testing::Values(
        badTrace{"Empty", "", "t.trace:1: an empty file, not a trace (its first line is \"morv-trace 2\")"},
        badTrace{"NotATrace", "PS '1'\n", "t.trace:1: not a trace: the first line is \"PS '1'\", not \"morv-trace 2\""},
        badTrace{"OtherVersion", "morv-trace 3\n", "t.trace:1: unsupported trace version 3"},
        badTrace{"CutInTheFirstLine", "morv-tr",
                 "t.trace:1: the trace ends inside its first line (\"morv-tr\"): nothing of it can be read"},
        badTrace{"OnlyZeros", std::string(100, '\0'), "t.trace:1: not a trace: the file holds only zero bytes"},
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
        badTrace{"ReplyInVersion1", loaded + "0 7 1 reply null\n", "t.trace:4:7: unknown event \"reply\""},
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
        badTrace{"BadEscape", loaded + "0 7 1 notify 3 query \"a\\qb\"\n",
                 "t.trace:4:24: the query text: in a quoted text, \\\\, \\\" and \\xNN (two hex digits) are the only "
                 "escapes"},
        badTrace{"UnclosedQuote", loaded + "0 7 1 notify 3 query \"abc\n",
                 "t.trace:4:22: the query text: the quoted text is not closed with a double quote"},
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
        badTrace{"AfterDestroyed", loaded2 + "0 7 1 destroy\n0 7 1 destroyed\n0 7 1 notify 4 timer 1\n",
                 "t.trace:7: instance 1 was destroyed on line 6"},
        badTrace{"AfterUnload", head + "0 7 0 unload\n0 7 0 unload\n",
                 "t.trace:4:1: an event after unload, which ends the trace"},
        badTrace{"ClockUnknown", "morv-trace 2\n0 7 0 trace module=null inner=null pid=1 cap=1024 clock=wall\n",
                 "t.trace:2:57: the clock is system or host, not \"wall\""},
        badTrace{"ReplyEndsNoCall", loaded2 + "0 7 1 reply null\n",
                 "t.trace:5: reply of instance 1 ends no call: on thread 7 no call is open, not a send of "
                 "instance 1"},
        badTrace{"ReturnedOnAnotherThread", loaded2 + "0 7 1 notify 6 payload 0x1\n0 8 1 returned null\n",
                 "t.trace:6: returned of instance 1 ends no call: on thread 8 no call is open, not a notify of "
                 "instance 1"},
        badTrace{"InnerCallLeftOpen", loaded2 + "0 7 1 notify 6 payload 0x1\n0 7 1 send 0 \"X\"\n0 7 1 returned null\n",
                 "t.trace:7: returned of instance 1 ends no call: on thread 7 the open call is the send of instance 1 "
                 "on line 6, not a notify of instance 1"},
        badTrace{"ReplyTextMissing", loaded2 + "0 7 1 notify 6 payload 0x1\n0 7 1 send 0 \"X\"\n0 7 1 reply 0x5\n",
                 "t.trace:7: the reply to a command gives the reply's text after its pointer"},
        badTrace{"GiveBackReplyWithText",
                 loaded2 + "0 7 1 notify 6 payload 0x1\n0 7 1 send 5 0x9\n0 7 1 reply 0x5 \"t\"\n",
                 "t.trace:7: only the reply to a command (send 0) that is not null has a text"},
        badTrace{"ButtonPartsBeyondTheCount",
                 loaded2 + "0 7 1 notify 2 button panel=\"1\" control=\"A\" name=\"a\" value=\"\" has-value=0 "
                           "count=0 part=\"x\"\n",
                 "t.trace:5:82: unexpected \" part=\"x\"\" after the 0 part(s) the count covers"},
        badTrace{"ButtonHasValueOutOfRange",
                 loaded2 + "0 7 1 notify 2 button panel=\"1\" control=\"A\" name=\"a\" value=\"\" has-value=256 "
                           "count=0\n",
                 "t.trace:5:73: has-value: 256 is out of range: expected a whole number from 0 to 255"}),
    rowName);

// No size limit: a file far larger than any other input of panel-host
// reads as a stream (here the header and 64 MB of allocated zeros).
TEST(TraceReading, ReadsAFileOfAnySizeAsAStream)
{
    const std::filesystem::path folder(buildPaths::workFolder);
    std::filesystem::create_directories(folder);
    const std::filesystem::path huge = folder / "huge.trace";
    std::ofstream(huge) << head2;
    std::filesystem::resize_file(huge, 64 * 1024 * 1024 + 1);
    const traceCheck check = checkTrace(traceSource::file(huge.string()));
    EXPECT_TRUE(check.ok) << check.error;
    EXPECT_NE(check.summary.endNote.find(std::to_string(64 * 1024 * 1024 + 1 - head2.size()) + " bytes reserved"),
              std::string::npos)
        << check.summary.endNote;
    std::filesystem::remove(huge);
}

}  // namespace

}  // namespace panel_host
