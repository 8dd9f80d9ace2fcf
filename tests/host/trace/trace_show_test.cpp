#include "trace_show.h"

#include <gtest/gtest.h>

#include <sstream>

namespace panel_host {

namespace {

// Two panels in one process; the second is still open when the trace ends,
// and one of its sends comes from another thread.
const char* const twoPanels =
    "morv-trace 1\n"
    "0 7 0 trace module=\"/p/m.so\" inner=\"/p/m.traced.so\" pid=12 cap=1000\n"
    "0 7 0 inner-loaded \"/p/m.traced.so\"\n"
    "0 7 1 load host=0x10 path=\"/p\"\n"
    "0 7 1 send 0 \"SD 'B4'\" -> 0x20 \"1 'B4'\"\n"
    "0 7 1 send 5 0x20\n"
    "0 7 1 created 0x30\n"
    "5 7 2 load host=0x10 path=\"/q\"\n"
    "5 7 2 created 0x40\n"
    "8 7 1 notify 3 query \"return=all\"\n"
    "8 7 1 returned 0x50 \"a\\x0ab\"\n"
    "9 7 1 notify 5 giveback 0x50\n"
    "9 7 1 returned null\n"
    "10 7 2 notify 2 button panel=\"1\" control=\"Take\" event=\"press=1\"\n"
    "10 9 2 send 0 \"RN 1 0 5\" -> null\n"
    "10 7 2 send 5 null\n"
    "10 7 2 send 5 0x99\n"
    "10 7 2 returned null\n"
    "11 7 1 notify 6 payload 0x60\n"
    "11 7 1 returned null\n"
    "12 7 1 destroy\n"
    "12 7 1 send 0 \"AS\" -> null\n"
    "12 7 1 destroyed\n";

std::string shown(const std::string& text, std::optional<std::int32_t> instance = std::nullopt)
{
    const traceSource source = traceSource::text("t.trace", text);
    const traceCheck check = checkTrace(source);
    EXPECT_TRUE(check.ok) << check.error;
    std::ostringstream out;
    showTrace(source, check.summary, instance, out);
    return out.str();
}

TEST(TraceShow, PrintsEachInstanceInTheTranscriptsStyleAndMatchesGiveBacksByPointer)
{
    EXPECT_EQ(shown(twoPanels),
              "# trace of \"/p/m.so\" wrapping \"/p/m.traced.so\", process 12, size cap 1000 bytes\n"
              "* inner module loaded: \"/p/m.traced.so\"\n"
              "instance 1 (thread 7)\n"
              "  [0 ms] * load: host 0x10, path \"/p\"\n"
              "    send(0) SD 'B4' -> \"1 'B4'\"\n"
              "    send(5) give back \"1 'B4'\" (reply to SD 'B4')\n"
              "  * created 0x30\n"
              "  [8 ms] notify(3) query 'return=all'\n"
              "    returns \"a\\x0ab\"\n"
              "  [9 ms] notify(5) give back the query reply \"a\\x0ab\"\n"
              "  [11 ms] notify(6) code 6 payload 0x60\n"
              "  [12 ms] * destroy\n"
              "    send(0) AS -> null\n"
              "  * destroyed\n"
              "instance 2 (thread 7)\n"
              "  [5 ms] * load: host 0x10, path \"/q\"\n"
              "  * created 0x40\n"
              "  [10 ms] notify(2) button panel '1' control 'Take' event 'press=1'\n"
              "    send(0) RN 1 0 5 -> null (thread 9)\n"
              "    send(5) give back null\n"
              "    send(5) give back 0x99, a pointer the host never handed out\n"
              "(the trace ends without unload or stop after line 23: the process ended while it was being "
              "written (a crash, a kill))\n");
}

// A notification the host delivered from inside a command is shown inside
// it, and the command's reply after it; a record no text builds is shown
// field by field.
TEST(TraceShow, ShowsACallFromInsideACommandInsideIt)
{
    EXPECT_EQ(shown("morv-trace 2\n"
                    "0 7 0 trace module=\"m\" inner=\"i\" pid=1 cap=2000 clock=host\n"
                    "0 7 1 load host=0x10 path=\"p\"\n"
                    "0 7 1 created 0x20\n"
                    "5 7 1 notify 2 button panel=\"1\" control=\"Take\" name=\"press\" value=\"1\" has-value=1 "
                    "count=0\n"
                    "5 7 1 send 0 \"RC 1 5 7\"\n"
                    "6 7 1 notify 2 button panel=\"1\" control=\"A\" name=\"a=b\" value=\"\" has-value=0 count=0\n"
                    "6 7 1 send 0 \"TP 'text=5' '1' 'Old'\"\n"
                    "6 7 1 reply null\n"
                    "6 7 1 returned null\n"
                    "7 7 1 reply null\n"
                    "7 7 1 returned null\n"
                    "8 7 0 unload\n"),
              "# trace of \"m\" wrapping \"i\", process 1, size cap 2000 bytes, times of the host's clock\n"
              "instance 1 (thread 7)\n"
              "  [0 ms] * load: host 0x10, path \"p\"\n"
              "  * created 0x20\n"
              "  [5 ms] notify(2) button panel '1' control 'Take' event 'press=1'\n"
              "    send(0) RC 1 5 7\n"
              "      [6 ms] notify(2) button panel '1' control 'A' record name=\"a=b\" value=\"\" has-value=0 count=0\n"
              "        send(0) TP 'text=5' '1' 'Old' -> null\n"
              "    -> null (the reply to send(0) RC 1 5 7)\n"
              "[8 ms] * unload\n");
}

// Texts as the transcript writes them: decoded from Windows-1252, quoted
// where the bare form cannot hold them, null told from "null" and "".
TEST(TraceShow, WritesTextsAsTheTranscriptDoes)
{
    EXPECT_EQ(shown("morv-trace 2\n"
                    "0 7 0 trace module=\"m\" inner=\"i\" pid=1 cap=2000 clock=host\n"
                    "0 7 1 load host=null path=null\n"
                    "0 7 1 created 0x20\n"
                    "1 7 1 notify 1 tally device=1 index=7 value=5 text=\"Caf\\xe9\"\n"
                    "1 7 1 send 0 \"TP 'text=\\x09' '1' 'Old'\"\n"
                    "1 7 1 reply 0x30 \"null\"\n"
                    "1 7 1 returned null\n"
                    "2 7 1 notify 3 query \"\"\n"
                    "2 7 1 returned null\n"
                    "3 7 1 notify 2 payload null\n"
                    "3 7 1 returned null\n"
                    "4 7 1 notify 2 button panel=null control=\"Seven's\" event=null\n"
                    "4 7 1 returned null\n"),
              "# trace of \"m\" wrapping \"i\", process 1, size cap 2000 bytes, times of the host's clock\n"
              "instance 1 (thread 7)\n"
              "  [0 ms] * load: host null, path null\n"
              "  * created 0x20\n"
              "  [1 ms] notify(1) tally device 1 index 7 value 5 text \"Caf\xc3\xa9\"\n"
              "    send(0) \"TP 'text=\\x09' '1' 'Old'\" -> \"null\"\n"
              "  [2 ms] notify(3) query ''\n"
              "    returns null\n"
              "  [3 ms] notify(2) code 2 with a null payload\n"
              "  [4 ms] notify(2) button panel null control \"Seven's\" event null\n"
              "(the trace ends without unload or stop after line 14: the process ended while it was being "
              "written (a crash, a kill))\n");
}

TEST(TraceShow, FiltersByInstance)
{
    const std::string second = shown(twoPanels, 2);
    EXPECT_EQ(second.find("instance 1"), std::string::npos) << second;
    EXPECT_NE(second.find("instance 2 (thread 7)"), std::string::npos) << second;
}

}  // namespace

}  // namespace panel_host
