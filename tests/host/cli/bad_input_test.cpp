// Bad input to every subcommand of panel-host, and scenarios whose checks
// fail, through the program itself: each row is the command line (and
// standard input), the exit code and a fragment of what it prints. An error must be one line on standard error,
// and nothing may end the program by a signal.
#include "build_paths.h"
#include "file_text.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace fs = std::filesystem;

namespace {

const fs::path work = fs::path(buildPaths::workFolder);

void writeFile(const std::string& name, const std::string& content)
{
    std::ofstream(work / name, std::ios::binary) << content;
}

// A trace of the routing panel in a host: start-up, a choice, a query.
const std::string recorded = R"(morv-trace 1
0 41 0 trace module="/p/vantry.so" inner="/p/vantry.traced.so" pid=9 cap=67108864
0 41 0 inner-loaded "/p/vantry.traced.so"
0 41 1 load host=0x1a2b30 path="/p"
0 41 1 send 0 "PS '1' '/p/p1.morv_ui'" -> 0x2f0010 "OK"
1 41 1 send 0 "CD '1' 'Take'" -> null
1 41 1 send 0 "SD 'B4 Audio Router'" -> 0x2f0040 "1 'B4 Audio Router'"
1 41 1 send 5 0x2f0040
1 41 1 send 0 "RR 1 1 64" -> null
1 41 1 send 0 "RP 1 1 64" -> null
1 41 1 created 0x3c0a18
1520 41 1 notify 2 button panel="1" control="Sources" event="select=5"
1520 41 1 send 0 "TP 'text=5' '1' 'New'" -> null
1520 41 1 send 0 "RN 1 0 5" -> 0x2f0080 "Source 5"
1520 41 1 send 5 0x2f0080
1520 41 1 send 0 "TP 'text=Source 5' '1' 'NewSrcName'" -> null
1521 41 1 returned null
1600 41 1 notify 3 query "return=all"
1600 41 1 returned null
9030 41 1 destroy
9030 41 1 send 0 "AS" -> null
9030 41 1 destroyed
9031 41 0 unload
)";

std::string replaced(std::string text, const std::string& from, const std::string& to)
{
    return text.replace(text.find(from), from.size(), to);
}

void writeTraces()
{
    writeFile("good.trace", recorded);
    writeFile("differs.trace", replaced(recorded, "'text=5'", "'text=6'"));
    writeFile("truncated.trace", recorded.substr(0, 7));
    writeFile("v3.trace", replaced(recorded, "morv-trace 1", "morv-trace 3"));
    // A timer payload beyond 32 bits, which no tick line holds.
    writeFile("unwritable.trace",
              "morv-trace 2\n0 41 0 trace module=\"m\" inner=\"i\" pid=1 cap=5000 clock=system\n"
              "0 41 1 load host=0x10 path=\"p\"\n0 41 1 created 0x20\n"
              "1 41 1 notify 4 timer 4294967297\n1 41 1 returned null\n2 41 0 unload\n");
    writeFile("two.trace", replaced(recorded, "9031 41 0 unload\n",
                                    "9031 41 2 load host=0x1a2b30 path=\"/q\"\n9031 41 2 created null\n"));
}

// The inputs of the table, made once in the work folder.
class badInputFiles : public testing::Environment {
public:
    void SetUp() override
    {
        fs::remove_all(work);
        fs::create_directories(work / "folder");
        fs::create_directories(work / "nul_layouts");
        ASSERT_EQ(mkfifo((work / "fifo").c_str(), 0600), 0);
        const std::string module = readFile(buildPaths::vantryModule);
        writeFile("mine.so", module);
        writeFile("truncated.so", module.substr(0, module.size() / 3));
        std::string foreign = module;
        foreign[18] = 0x28;  // ELF machine: ARM
        foreign[19] = 0;
        writeFile("foreign.so", foreign);
        std::string binary;
        for (int i = 0; i < 200000; ++i) {
            binary += static_cast<char>((i * 7919) % 256);
        }
        writeFile("binary.scenario", binary);
        writeFile("nul.scenario", std::string("button 1 Sources select=5\0 junk\n", 32));
        writeFile("long.scenario", std::string(2000000, 'x') + "\n");
        writeFile("wait.scenario", "wait 99999999999\n");
        writeFile("help.scenario", "help\n");
        writeFile("good.scenario", "choose Sources 5  # a comment\nexpect TP 'text=5' '1' 'New'\n");
        writeFile("choose65.scenario", "choose Sources 65\n");
        writeFile("nul_layouts/p1.morv_ui", std::string("{\"controls\": []}\0junk", 21));
        writeFile("control_name.json", R"({"devices": [{"name": "R\u0000", "number": 1, "sources": ["a"],
                                            "destinations": ["b"]}]})");
        fs::create_directories(work / "control_layouts");
        writeFile("control_layouts/p1.morv_ui", R"({"controls": [{"name": "A'", "kind": "label"}]})");
        writeFile("broken.json", "{\"devices\": [\n  {\"name\": }\n]}");
        writeTraces();
    }
};

const testing::Environment* const files = testing::AddGlobalTestEnvironment(new badInputFiles);

struct badInput {
    const char* name;
    const char* arguments;  // after panel-host; run in the work folder
    const char* input;      // standard input
    int exitCode;
    const char* fragment;  // in what it printed (standard output or error)
};

struct programRun {
    int status = 0;
    std::string out;
    std::string err;
};

// panel-host with `arguments` (a shell's words, which know $panel_host,
// $module and $layouts) in the work folder.
programRun runPanelHost(const std::string& arguments, const std::string& input)
{
    writeFile("stdin.txt", input);
    const std::string command = "cd '" + work.string() + "' && panel_host='" + buildPaths::panelHost + "' module='" +
                                buildPaths::vantryModule + "' layouts='" + buildPaths::layouts +
                                "' && \"$panel_host\" " + arguments + " < stdin.txt > stdout.txt 2> stderr.txt";
    const int status = std::system(command.c_str());
    return {status, readFile(work / "stdout.txt"), readFile(work / "stderr.txt")};
}

class PanelHostBadInput : public testing::TestWithParam<badInput> {};

TEST_P(PanelHostBadInput, ExitsWithItsCodeAndSaysWhy)
{
    const badInput& row = GetParam();
    const auto [status, out, err] = runPanelHost(row.arguments, row.input);
    ASSERT_TRUE(WIFEXITED(status)) << "ended by a signal: " << row.arguments;
    EXPECT_EQ(WEXITSTATUS(status), row.exitCode) << err;
    EXPECT_NE((out + err).find(row.fragment), std::string::npos) << "stdout:\n"
                                                                 << out.substr(0, 2000) << "\nstderr:\n"
                                                                 << err.substr(0, 2000);
    if (row.exitCode == 2) {
        std::istringstream lines(err);
        std::string line;
        int count = 0;
        for (; std::getline(lines, line); ++count) {
            EXPECT_EQ(line.rfind("error: ", 0), 0u) << line;
            EXPECT_LT(line.size(), 300u) << "an error is one short line";
        }
        EXPECT_GE(count, 1);
        EXPECT_LE(count, 11) << "at most ten lines and a count of the rest";
    }
}

std::string rowName(const testing::TestParamInfo<badInput>& info)
{
    return info.param.name;
}

#define TEN_BAD_LINES "foo\nfoo\nfoo\nfoo\nfoo\nfoo\nfoo\nfoo\nfoo\nfoo\n"
// The shell of each row knows the built program and module, and the layouts.
#define MODULE "--module \"$module\" "
#define LAYOUTS "--layouts \"$layouts\" "
#define SIXTY_FIVE_LETTERS "abcdefghijklmnopqrstuvwxyzabcdefghijklmnopqrstuvwxyzabcdefghijklm"

INSTANTIATE_TEST_SUITE_P(
    Play, PanelHostBadInput,
    testing::Values(
        badInput{"Folder", "play folder " MODULE, "", 2, "scenario folder: is a folder, not a file"},
        badInput{"Fifo", "play fifo " MODULE, "", 2, "scenario fifo: is a FIFO"},
        badInput{"Missing", "play none.scenario " MODULE, "", 2, "scenario none.scenario: no such file"},
        badInput{"BinaryFile", "play binary.scenario " MODULE, "", 2, "binary.scenario:1:1: NUL in the line"},
        badInput{"NulInLine", "play nul.scenario " MODULE, "", 2, "nul.scenario:1:26: NUL in the line"},
        badInput{"LongBadLine", "play long.scenario " MODULE, "", 2, "long.scenario:1:1: unknown keyword \"xxx"},
        badInput{"DurationTooLarge", "play wait.scenario " MODULE, "", 2,
                 "wait.scenario:1:6: \"99999999999\" is not a duration from 0 to 2147483647 ms"},
        badInput{"InteractiveOnlyLine", "play help.scenario " MODULE, "", 2, "is for interactive sessions"},
        badInput{"TrailingComment", "play good.scenario --check " MODULE LAYOUTS, "", 0, "PASS"},
        badInput{"ChoiceTheListLacks", "play choose65.scenario " MODULE LAYOUTS, "", 0,
                 "(not done: 'Sources' has no entry 65: it has 1 to 64 (none: -1))"},
        badInput{"TruncatedModule", "play good.scenario --module truncated.so", "", 2,
                 "module truncated.so: the file is truncated or damaged"},
        badInput{"ForeignModule", "play good.scenario --module foreign.so", "", 2,
                 "an ELF shared object for another machine"},
        badInput{"FolderAsModule", "play good.scenario --module folder", "", 2, "module folder: is a folder"},
        badInput{"NulInRouterName", "play good.scenario --router control_name.json " MODULE, "", 2,
                 "device 1: \"name\" \"R\\x00\" holds NUL, where a host text ends"},
        badInput{"RouterNotJson", "play good.scenario --router broken.json " MODULE, "", 2,
                 "broken.json: line 2, column 12: not valid JSON"},
        badInput{"Version", "play --version", "", 0, "panel-host "},
        badInput{"PathWithLineBreak", "play \"$(printf 'x\\nerror: forged')\" " MODULE, "", 2,
                 "scenario x\\x0aerror: forged: no such file"},
        badInput{"LongPath", "play \"$(printf '%05000d/x' 0)\" " MODULE, "", 2, "scenario 00000"},
        badInput{"LayoutsMissing", "play good.scenario " MODULE "--layouts nonexistent", "", 2,
                 "layouts nonexistent: no such folder"},
        badInput{"ApostropheInLayoutControlName", "play good.scenario --check " MODULE "--layouts control_layouts", "",
                 2, "\"A'\" holds an apostrophe, which a quoted field of a command cannot carry"},
        // Standard output that cannot be written fails the run (the '#' drops
        // the table's own redirections).
        badInput{"StdoutFull", "play good.scenario " MODULE LAYOUTS ">/dev/full 2>stderr.txt; exit $? #", "", 1,
                 "standard output cannot be written"}),
    rowName);

// Scenarios whose checks fail: the scenario is the row's input, played as
// the file stdin.txt.
#define PLAY_INPUT "play stdin.txt " MODULE LAYOUTS
#define CHOSEN_5 "choose Sources 5\nexpect TP 'text=5' '1' 'New'\nexpect RN 1 0 5\n"

INSTANTIATE_TEST_SUITE_P(
    FailedCheck, PanelHostBadInput,
    testing::Values(
        badInput{"ExpectOtherCommand", PLAY_INPUT "--check", "choose Sources 5\nexpect TP 'text=6' '1' 'New'\n", 1,
                 "# FAILED line 2: expected TP 'text=6' '1' 'New', got TP 'text=5' '1' 'New'\n"
                 "  the commands after line 1 (choose Sources 5)\n  wanted:\n    TP 'text=6' '1' 'New'\n  got:\n"
                 "    TP 'text=5' '1' 'New'\n"},
        badInput{"ExpectPastTheLastCommand", PLAY_INPUT "--check",
                 CHOSEN_5 "expect TP 'text=Source 5' '1' 'NewSrcName'\nexpect AS\n", 1,
                 "  FAILED line 5: expected AS, got no more commands\n"},
        badInput{"ExpectNothingMore", PLAY_INPUT "--check",
                 "choose Sources 5\nexpect TP 'text=5' '1' 'New'\nexpect nothing\n", 1,
                 "  FAILED line 3: expected nothing more, got RN 1 0 5\n"},
        badInput{"ReplyOtherText", PLAY_INPUT "--check", CHOSEN_5 "reply Source 6\n", 1,
                 "  FAILED line 4: the reply to RN 1 0 5 was \"Source 5\", expected \"Source 6\"\n"},
        badInput{"ReplyWithoutExpect", PLAY_INPUT "--check", "choose Sources 5\nreply null\n", 1,
                 "  FAILED line 2: a reply line needs an expect line that matched a command before it\n"},
        badInput{"AnswerReplacesTheReply", PLAY_INPUT "--check",
                 "expect PS '1' '${layouts}/p1.morv_ui'\nanswer null\nanswer Source 9\n" CHOSEN_5 "reply Source 5\n", 1,
                 "  FAILED line 7: the reply to RN 1 0 5 was \"Source 9\", expected \"Source 5\"\n"},
        badInput{"ResultOtherText", PLAY_INPUT "--check", "query return=all\nexpect result mode=2\n", 1,
                 "  FAILED line 2: the query returned null, expected \"mode=2\"\n"},
        badInput{"ResultWithoutQuery", PLAY_INPUT "--check", "choose Sources 5\nexpect result null\n", 1,
                 "  FAILED line 2: an expect result line needs a query line before it, in the same block\n"},
        badInput{"WithoutCheckExitsZero", PLAY_INPUT, "choose Sources 5\nexpect TP 'text=6' '1' 'New'\n", 0,
                 "# 1 expectation(s) checked, 1 block(s) failed, 0 breach(es): FAIL\n"}),
    rowName);

INSTANTIATE_TEST_SUITE_P(
    Interactive, PanelHostBadInput,
    testing::Values(badInput{"UnknownWord", MODULE LAYOUTS, "choose Sources 5\nfoo bar\n", 2,
                             "error: standard input:2:1: unknown keyword \"foo\""},
                    badInput{"MalformedNumber", MODULE LAYOUTS, "choose Sources abc\n", 2,
                             "standard input:1:16: \"abc\" is not a whole number from -1 to 2147483647, or none"},
                    badInput{"SettingLine", MODULE LAYOUTS, "router r.json\n", 2, "settings are options here"},
                    badInput{"CommentsAndGoodLines", MODULE LAYOUTS, "# start\nchoose Sources 5 # five\n", 0,
                             "list, chosen 5"},
                    badInput{"LayoutWithJunkAfterNul", MODULE "--layouts nul_layouts", "show\n", 2,
                             "line 1, column 17: not valid JSON: NUL in the text"},
                    badInput{"ErrorLinesCapped", MODULE LAYOUTS, TEN_BAD_LINES TEN_BAD_LINES TEN_BAD_LINES, 2,
                             "error: standard input: 20 more unusable line(s)"},
                    badInput{"StdoutFull", MODULE LAYOUTS "< good.scenario >/dev/full 2>stderr.txt; exit $? #", "", 1,
                             "standard output cannot be written"},
                    badInput{"UnknownSubcommand", "plya x", "", 2, "unknown subcommand 'plya'"},
                    badInput{"FifoAsModule", "--module fifo", "", 2, "module fifo: is a FIFO"},
                    badInput{"UnknownOption", "--colour", "", 2, "--colour"},
                    badInput{"Version", "--version", "", 0, "panel-host "}),
    rowName);

INSTANTIATE_TEST_SUITE_P(
    Validate, PanelHostBadInput,
    testing::Values(
        badInput{"NegativeEvents", "validate mine.so --events -5", "", 2,
                 "--events: -5 is out of range: expected a whole number from 0 to 100000"},
        badInput{"NotANumberTimeout", "validate mine.so --timeout nan", "", 2,
                 "--timeout: \"nan\" is not a number from 0.001 to 86400"},
        badInput{"HugeTimeout", "validate mine.so --timeout 1e300", "", 2, "--timeout: \"1e300\" is not a number"},
        badInput{"TooManySequences", "validate mine.so --sequences 100001", "", 2,
                 "--sequences: 100001 is out of range"},
        badInput{"SeedNotANumber", "validate mine.so --seed 0x10", "", 2, "--seed: \"0x10\" is not a whole number"},
        badInput{"FifoModule", "validate fifo", "", 2, "module fifo: is a FIFO"},
        badInput{"TruncatedModuleFailsTheLoadingCheck", "validate truncated.so " LAYOUTS "--include loading.file-loads",
                 "", 1, "the file is truncated"},
        badInput{"BareNameIsInTheCurrentFolder", "validate mine.so " LAYOUTS "--include loading.file-loads", "", 0,
                 "Passed    loading.file-loads"},
        badInput{"UnwritableJunit", "validate mine.so " LAYOUTS "--include loading.file-loads --junit folder", "", 2,
                 "--junit folder: cannot be written"},
        badInput{"Version", "validate --version", "", 0, "panel-host "},
        badInput{"JunitIsTheModule", "validate mine.so " LAYOUTS "--include loading.file-loads --junit mine.so", "", 2,
                 "--junit mine.so: is the module under test"},
        badInput{"JunitFifo", "validate mine.so " LAYOUTS "--junit fifo", "", 2,
                 "--junit fifo: cannot be written: it is not a regular file"},
        badInput{"StdoutFull",
                 "validate mine.so " LAYOUTS "--include loading.file-loads >/dev/full 2>stderr.txt; exit $? #", "", 1,
                 "standard output cannot be written"}),
    rowName);

INSTANTIATE_TEST_SUITE_P(
    New, PanelHostBadInput,
    testing::Values(
        badInput{"TrailingSlash", "new my_panel/", "", 0, "wrote the panel script 'my_panel'"},
        badInput{"UnderAFile", "new mine.so/p1", "", 2, "cannot create mine.so/p1: Not a directory"},
        badInput{"StdoutFull", "new full_panel >/dev/full 2>stderr.txt; exit $? #", "", 1,
                 "standard output cannot be written"},
        badInput{"Version", "new --version", "", 0, "panel-host "},
        badInput{"NotAnIdentifier", "new x --name 2bad", "", 2, "--name: '2bad' is not a C++ identifier"},
        badInput{"TooLongName", "new x --name " SIXTY_FIVE_LETTERS, "", 2, "longer than 64 characters"},
        badInput{"ReservedName", "new x --name my__panel", "", 2, "'my__panel' is reserved for the compiler"},
        badInput{"KeywordFolderName", "new class", "", 2,
                 "error: DIR: 'class' is a C++ keyword (the folder's name; give --name)"},
        badInput{"DeviceInAnyCase", "new x --name Con", "", 2, "'Con' names a device on Windows"},
        badInput{"LibraryName", "new x --name rand", "", 2, "'rand' is a name the C or C++ library declares"},
        badInput{"FolderIsAFile", "new mine.so --name ok_panel", "", 2, "DIR: mine.so exists and is not a folder"},
        badInput{"FolderNotEmpty", "new nul_layouts --name ok_panel", "", 2,
                 "DIR: nul_layouts is not empty; nothing is overwritten"}),
    rowName);

INSTANTIATE_TEST_SUITE_P(Help, PanelHostBadInput,
                         testing::Values(badInput{"Topics", "help", "", 0, "panel-host help formats"},
                                         badInput{"Formats", "help formats", "", 0, "## The transcript"},
                                         badInput{"Upgrade", "help upgrade", "", 0, "# Upgrading a 1.x script"},
                                         badInput{"UnknownTopicEscaped", "help \"$(printf 'x\\033]0;t')\"", "", 2,
                                                  "help: no topic 'x\\x1b]0;t'"}),
                         rowName);

INSTANTIATE_TEST_SUITE_P(
    Trace, PanelHostBadInput,
    testing::Values(
        badInput{"Show", "trace show good.trace", "", 0,
                 "  [1520 ms] notify(2) button panel '1' control 'Sources' event 'select=5'\n"
                 "    send(0) TP 'text=5' '1' 'New' -> null\n"},
        badInput{"ReplayOfTheSameCommands", "trace replay good.trace " MODULE, "", 0,
                 "# instance 1: the module sent every recorded command: PASS"},
        badInput{"ReplayNamesTheFirstDifference", "trace replay differs.trace " MODULE, "", 1,
                 "# instance 1 differs from the trace at differs.trace:13: FAIL\n"
                 "#   recorded: TP 'text=6' '1' 'New'\n#   actual:   TP 'text=5' '1' 'New'\n"},
        badInput{"ScenarioPlaysWithCheck",
                 "trace scenario good.trace > replay.scenario && \"$panel_host\" play --check replay.scenario " MODULE,
                 "", 0, ": PASS"},
        badInput{"CompareListsDifferences", "trace compare good.trace " LAYOUTS, "", 1,
                 "good.trace:10: ours would have raised tally device 1 index 64 value 64 text 'Source 64' after RP "
                 "1 1 64; the real host delivered none\n# 64 difference(s): FAIL"},
        badInput{"Router", "trace router good.trace", "", 0, "\"name\": \"B4 Audio Router\""},
        badInput{"Missing", "trace show none.trace", "", 2, "trace none.trace: no such file"},
        badInput{"Folder", "trace replay folder " MODULE, "", 2, "trace folder: is a folder, not a file"},
        badInput{"CutInItsFirstLine", "trace replay truncated.trace " MODULE, "", 2,
                 "truncated.trace:1: the trace ends inside its first line (\"morv-tr\"): nothing of it can be read"},
        badInput{"OtherVersion", "trace compare v3.trace", "", 2, "v3.trace:1: unsupported trace version 3"},
        badInput{"Binary", "trace show binary.scenario", "", 2, "binary.scenario:1:1: NUL in the line"},
        badInput{"UnknownInstance", "trace show good.trace --instance 3", "", 2,
                 "--instance: good.trace: the trace has no instance 3 (it has 1)"},
        badInput{"InstanceNotANumber", "trace replay good.trace --instance x", "", 2, "--instance"},
        badInput{"SeveralInstancesNeedAChoice", "trace scenario two.trace", "", 2,
                 "two.trace: the trace holds 2 instances, which one scenario cannot replay together (they got "
                 "different paths): choose one with --instance"},
        badInput{"TimerNoScenarioCanHold", "trace scenario unwritable.trace", "", 2,
                 "unwritable.trace:5: \"tick 4294967297\" cannot be written as a scenario line (a timer id within 32 "
                 "bits)"},
        badInput{"UnknownCodePage", "trace router good.trace --code-page latin-1", "", 2,
                 "error: --code-page: latin-1 not in {windows-1252,utf-8}"},
        badInput{"NoSubcommand", "trace", "", 2, "error: "}),
    rowName);

#ifdef PANEL_HOST_WITH_SERVE
INSTANTIATE_TEST_SUITE_P(Serve, PanelHostBadInput,
                         testing::Values(badInput{"UnknownWatchMode", "serve --watch=sometimes", "", 2,
                                                  "--watch: sometimes not in {replay,fresh}"},
                                         badInput{"ListenWithoutPort", "serve --watch --listen 127.0.0.1", "", 2,
                                                  "--listen: "},
                                         badInput{"Version", "serve --version", "", 0, "panel-host "}),
                         rowName);

// A port in use is told before the module loads: nothing of its start-up is
// printed, and the error says how to choose another port.
TEST(PanelHostServe, PortInUseIsToldBeforeTheModuleLoads)
{
    const int taken = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ASSERT_EQ(::bind(taken, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(taken, 1), 0);
    ASSERT_EQ(::getsockname(taken, reinterpret_cast<sockaddr*>(&address), &length), 0);
    const std::string listen = "127.0.0.1:" + std::to_string(ntohs(address.sin_port));
    const programRun run = runPanelHost("serve --listen " + listen + " " MODULE, "");
    ::close(taken);
    ASSERT_TRUE(WIFEXITED(run.status));
    EXPECT_EQ(WEXITSTATUS(run.status), 2);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "error: cannot listen on " + listen +
                           ": Address already in use; choose another port with --listen ADDR:PORT (port 0: any "
                           "free one)\n");
}
#endif

}  // namespace
