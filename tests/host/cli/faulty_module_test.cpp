// Faulty modules through every front end that loads one: each fault ends
// the run with exit code 1 and one line on standard error naming it (never
// a signal or a hang of panel-host), the transcript up to the fault is out,
// module texts never forge output lines or reach the terminal raw, and no
// child process outlives panel-host.
#include "build_paths.h"
#include "file_text.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <pty.h>
#include <sys/socket.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct runResult {
    bool exited = false;
    int code = -1;
    std::string out;  // standard output (on a terminal: everything)
    std::string err;
};

// The scenario, and the home folder of the terminal sessions, whose history
// file is a FIFO: reading it would hang the session's start.
class workFiles : public testing::Environment {
public:
    // Named once, by the test process (forked children share the name).
    static const fs::path& folder()
    {
        static const fs::path path = fs::temp_directory_path() / ("faulty_module_test_" + std::to_string(::getpid()));
        return path;
    }

    void SetUp() override
    {
        fs::create_directories(folder());
        std::ofstream(folder() / "choose.scenario") << "choose Sources 5\nshow\n";
        ASSERT_EQ(::mkfifo((folder() / ".panel_host_history").c_str(), 0600), 0);
    }
    void TearDown() override { fs::remove_all(folder()); }
};

const testing::Environment* const files = testing::AddGlobalTestEnvironment(new workFiles);

fs::path workFolder()
{
    return workFiles::folder();
}

std::string moduleFile(const std::string& fault)
{
    return std::string(buildPaths::faultyModuleFolder) + "/" + buildPaths::faultyModulePrefix + fault +
           buildPaths::faultyModuleSuffix;
}

std::vector<std::string> hostArguments(const std::string& fault, const std::string& timeout)
{
    return {"--module", moduleFile(fault), "--layouts", buildPaths::layouts, "--timeout", timeout};
}

[[noreturn]] void execPanelHost(const std::vector<std::string>& arguments)
{
    // In a sanitizer build the module's SIGSEGV must stay a signal, as it is
    // in every other build, not become the sanitizer's report and exit.
    const char* asan = std::getenv("ASAN_OPTIONS");
    ::setenv("ASAN_OPTIONS", (std::string(asan != nullptr ? asan : "") + ":handle_segv=0").c_str(), 1);
    std::vector<char*> argv{const_cast<char*>(buildPaths::panelHost)};
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    ::execv(buildPaths::panelHost, argv.data());
    ::_exit(127);
}

runResult finish(pid_t pid)
{
    int status = 0;
    ::waitpid(pid, &status, 0);
    runResult result;
    result.exited = WIFEXITED(status);
    result.code = result.exited ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return result;
}

// panel-host with standard input from `input` and its outputs in files.
runResult runPiped(const std::vector<std::string>& arguments, const std::string& input)
{
    const fs::path folder = workFolder();
    std::ofstream(folder / "stdin.txt") << input;
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::chdir(folder.c_str());
        std::freopen("stdin.txt", "r", stdin);
        std::freopen("stdout.txt", "w", stdout);
        std::freopen("stderr.txt", "w", stderr);
        execPanelHost(arguments);
    }
    runResult result = finish(pid);
    result.out = readFile(folder / "stdout.txt");
    result.err = readFile(folder / "stderr.txt");
    return result;
}

// panel-host on a terminal: types `input`, then after `interruptAfter` (if
// given) Ctrl-C; reads everything until it ends.
runResult runOnTerminal(const std::vector<std::string>& arguments, const std::string& input,
                        std::chrono::milliseconds interruptAfter = std::chrono::milliseconds(-1))
{
    int master = -1;
    const pid_t pid = ::forkpty(&master, nullptr, nullptr, nullptr);
    if (pid == 0) {
        ::setenv("HOME", workFolder().c_str(), 1);
        execPanelHost(arguments);
    }
    std::string seen;
    const auto started = std::chrono::steady_clock::now();
    bool typed = false;
    bool interrupted = interruptAfter.count() < 0;
    for (;;) {
        const auto elapsed = std::chrono::steady_clock::now() - started;
        if (!typed && seen.find("> ") != std::string::npos) {
            EXPECT_EQ(::write(master, input.data(), input.size()), static_cast<ssize_t>(input.size()));
            typed = true;
        }
        if (typed && !interrupted && elapsed > interruptAfter) {
            EXPECT_EQ(::write(master, "\003", 1), 1);
            interrupted = true;
        }
        if (elapsed > std::chrono::seconds(30)) {
            ADD_FAILURE() << "panel-host did not end on the terminal";
            ::kill(pid, SIGKILL);
            break;
        }
        pollfd ready{master, POLLIN, 0};
        if (::poll(&ready, 1, 50) > 0) {
            char buffer[4096];
            const ssize_t count = ::read(master, buffer, sizeof buffer);
            if (count <= 0) {
                break;
            }
            seen.append(buffer, static_cast<std::size_t>(count));
        }
    }
    ::close(master);
    runResult result = finish(pid);
    result.out = seen;
    return result;
}

// `request` to 127.0.0.1:port; the answer's status line, or "".
std::string statusOfRequest(int port, const std::string& request)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    std::string answer;
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 &&
        ::send(fd, request.data(), request.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(request.size())) {
        char buffer[512];
        const ssize_t count = ::read(fd, buffer, sizeof buffer);
        answer.assign(buffer, static_cast<std::size_t>(std::max<ssize_t>(count, 0)));
    }
    ::close(fd);
    return answer.substr(0, answer.find('\r'));
}

// panel-host serve: once it prints its address, the page chooses source 5,
// which hangs the module; reads its standard output until it ends.
runResult runServed(const std::vector<std::string>& arguments)
{
    const fs::path folder = workFolder();
    int out[2];
    EXPECT_EQ(::pipe(out), 0);
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::chdir(folder.c_str());
        std::freopen("/dev/null", "r", stdin);
        std::freopen("stderr.txt", "w", stderr);
        ::dup2(out[1], STDOUT_FILENO);
        ::close(out[0]);
        ::close(out[1]);
        execPanelHost(arguments);
    }
    ::close(out[1]);
    std::string seen;
    const std::string prefix = "panel-host serve: http://127.0.0.1:";
    bool chosen = false;
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    char buffer[4096];
    for (;;) {
        pollfd ready{out[0], POLLIN, 0};
        if (::poll(&ready, 1, 100) > 0) {
            const ssize_t count = ::read(out[0], buffer, sizeof buffer);
            if (count <= 0) {
                break;
            }
            seen.append(buffer, static_cast<std::size_t>(count));
        }
        const std::size_t at = seen.find(prefix);
        if (!chosen && at != std::string::npos && seen.find('\n', at) != std::string::npos) {
            const int port = std::atoi(seen.c_str() + at + prefix.size());
            const std::string body = R"({"control": "Sources", "value": 5})";
            EXPECT_EQ(statusOfRequest(port, "POST /choose HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port) +
                                                "\r\nContent-Type: application/json\r\nContent-Length: " +
                                                std::to_string(body.size()) + "\r\n\r\n" + body),
                      "HTTP/1.1 409 Conflict")
                << "the choice that hangs is answered once its session has ended";
            chosen = true;
        }
        if (std::chrono::steady_clock::now() > giveUp) {
            ADD_FAILURE() << "panel-host serve did not end";
            ::kill(pid, SIGKILL);
            break;
        }
    }
    ::close(out[0]);
    runResult result = finish(pid);
    result.out = seen;
    result.err = readFile(folder / "stderr.txt");
    return result;
}

// Lines of `text` that a module forged or control bytes that reached the output.
void expectNothingForged(const std::string& text, bool terminal)
{
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        // A terminal session colours its own output and edits its line.
        if (byte < 0x20 && c != '\n' && !(terminal && (c == '\r' || c == '\033' || c == '\b' || c == '\a'))) {
            ADD_FAILURE() << "raw control byte " << static_cast<int>(byte) << " in the output";
            return;
        }
    }
    EXPECT_EQ(text.find("\033]0;"), std::string::npos) << "a window title from the module";
    EXPECT_EQ(text.find("\033[2J"), std::string::npos) << "a clear screen from the module";
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        EXPECT_NE(line.rfind("error: forged", 0), 0u) << line;
        EXPECT_NE(line.rfind("# no contract breaches", 0), 0u) << "a forged summary: " << line;
    }
}

enum class frontEnd { play, pipe, terminal, serve };

struct faultRow {
    const char* fault;
    frontEnd through;
    int exitCode;
    const char* fragment;  // in the error line (on a terminal: in the output)
};

class FaultyModule : public testing::TestWithParam<faultRow> {};

TEST_P(FaultyModule, EndsTheRunWithOneLineNamingTheFault)
{
    const faultRow& row = GetParam();
    std::vector<std::string> arguments = hostArguments(row.fault, "1");
    runResult result;
    if (row.through == frontEnd::play) {
        arguments.insert(arguments.begin(), {"play", (workFolder() / "choose.scenario").string()});
        result = runPiped(arguments, "");
    } else if (row.through == frontEnd::pipe) {
        result = runPiped(arguments, "choose Sources 5\nshow\n");
    } else if (row.through == frontEnd::serve) {
        arguments.insert(arguments.begin(), {"serve", "--listen", "127.0.0.1:0"});
        result = runServed(arguments);
    } else {
        result = runOnTerminal(arguments, "choose Sources 5\nshow\nquit\n");
    }
    ASSERT_TRUE(result.exited) << "ended by a signal";
    EXPECT_EQ(result.code, row.exitCode) << result.out << result.err;
    const std::string& told = row.through == frontEnd::terminal ? result.out : result.err;
    EXPECT_NE(told.find(row.fragment), std::string::npos) << "stdout:\n" << result.out << "\nstderr:\n" << result.err;
    if (row.through == frontEnd::terminal) {
        if (PANEL_HOST_WITH_LIBEDIT) {
            EXPECT_NE(result.out.find("is a FIFO (named pipe), not a regular file; the history is not kept"),
                      std::string::npos);
        }
    } else {
        const std::size_t lines = static_cast<std::size_t>(std::count(result.err.begin(), result.err.end(), '\n'));
        EXPECT_EQ(lines, row.exitCode == 0 ? 0u : 1u) << result.err;
        EXPECT_NE(result.out.find("* load module"), std::string::npos) << "the transcript up to the fault";
        if (row.through == frontEnd::serve) {
            EXPECT_NE(result.out.find(row.fragment), std::string::npos) << result.out;
        }
    }
    expectNothingForged(result.out, row.through == frontEnd::terminal);
}

std::string faultRowName(const testing::TestParamInfo<faultRow>& info)
{
    static const char* const names[] = {"Play", "Pipe", "Terminal", "Serve"};
    std::string name = std::string(names[static_cast<int>(info.param.through)]) + "_" + info.param.fault;
    name.erase(std::remove(name.begin(), name.end(), '_'), name.end());
    return name;
}

constexpr const char* crashed = "the module crashed (killed by signal 11 (Segmentation fault)) during ";
constexpr const char* hung = "the module did not return within 1 s during ";
constexpr const char* exited = "the module ended panel-host's session process (exited with status 0)";

INSTANTIATE_TEST_SUITE_P(
    Faults, FaultyModule,
    testing::Values(faultRow{"crash", frontEnd::play, 1, "crashed (killed by signal 11 (Segmentation fault)) during "},
                    faultRow{"crash", frontEnd::pipe, 1, crashed}, faultRow{"crash", frontEnd::terminal, 1, crashed},
                    faultRow{"hang_export", frontEnd::play, 1, hung}, faultRow{"hang_export", frontEnd::pipe, 1, hung},
                    faultRow{"hang_notify", frontEnd::play, 1, hung}, faultRow{"hang_notify", frontEnd::pipe, 1, hung},
                    faultRow{"hang_notify", frontEnd::terminal, 1, hung},
                    faultRow{"exit_export", frontEnd::play, 1, exited},
                    faultRow{"exit_export", frontEnd::pipe, 1, exited}, faultRow{"forge", frontEnd::play, 0, ""},
                    faultRow{"forge", frontEnd::pipe, 0, ""},
                    faultRow{"forge", frontEnd::terminal, 0, "a\\x0aerror: forged"}),
    faultRowName);

// A thread of the module sends after notify returned: play, the piped and
// the terminal session each report every one of its commands as a breach.
TEST(FaultyModuleThread, EverySendFromItsThreadIsABreach)
{
    const std::vector<std::string> session = hostArguments("thread_send", "10");
    std::vector<std::string> play = session;
    play.insert(play.begin(), {"play", (workFolder() / "choose.scenario").string(), "--check"});
    const struct {
        runResult result;
        int exitCode;
    } runs[] = {{runPiped(play, ""), 1},
                {runPiped(session, "choose Sources 5\n"), 0},
                {runOnTerminal(session, "choose Sources 5\nquit\n"), 0}};
    for (const auto& run : runs) {
        ASSERT_TRUE(run.result.exited);
        EXPECT_EQ(run.result.code, run.exitCode) << run.result.err;
        EXPECT_NE(run.result.out.find("send-from-other-thread: 2000"), std::string::npos) << run.result.out;
        EXPECT_NE(run.result.out.find("send(0) \"TP 'text=2000' '1' 'New'\" from another thread"), std::string::npos);
        EXPECT_EQ(run.result.out.find("no contract breaches"), std::string::npos);
    }
}

#ifdef PANEL_HOST_WITH_SERVE
// serve names the call on the page, on standard output and in its error line.
INSTANTIATE_TEST_SUITE_P(ServedFaults, FaultyModule,
                         testing::Values(faultRow{"hang_notify", frontEnd::serve, 1,
                                                  "did not return within 1 s during operator line 1: choose Sources 5; "
                                                  "it was stopped (--timeout)"}),
                         faultRowName);
#endif

TEST(FaultyModuleSession, CtrlCEndsItWhileTheModuleHangs)
{
    const runResult result =
        runOnTerminal(hostArguments("hang_notify", "60"), "choose Sources 5\n", std::chrono::milliseconds(500));
    ASSERT_TRUE(result.exited);
    EXPECT_EQ(result.code, 1);
    EXPECT_NE(result.out.find("did not return within 1 s of Ctrl-C during standard input:1: choose Sources 5"),
              std::string::npos)
        << result.out;
}

// --verbose shows the whole view after a line that did something; after a
// refused one, the refusal and that nothing changed.
TEST(VerboseSession, ARefusedLineShowsTheRefusalNotTheWholeViewAgain)
{
    std::vector<std::string> arguments = hostArguments("forge", "5");
    arguments.push_back("--verbose");
    const runResult result = runOnTerminal(arguments, "press Nope\nquit\n");
    ASSERT_TRUE(result.exited);
    EXPECT_EQ(result.code, 0) << result.out;
    std::size_t views = 0;
    for (std::size_t at = result.out.find("+--- at "); at != std::string::npos;
         at = result.out.find("+--- at ", at + 1)) {
        ++views;
    }
    EXPECT_EQ(views, 1u) << "the view at the start only:\n" << result.out;
    EXPECT_NE(result.out.find("(not done: panel '1' has no control 'Nope')"), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("(nothing changed)"), std::string::npos) << result.out;
}

TEST(FaultyModuleValidate, ReportsEachFaultAndEnds)
{
    for (const char* fault : {"crash", "hang_notify", "exit_export", "forge", "thread_send"}) {
        const runResult result =
            runPiped({"validate", moduleFile(fault), "--layouts", buildPaths::layouts, "--timeout", "1", "--include",
                      "loading.creates-object,robustness.random-events", "--sequences", "1"},
                     "");
        ASSERT_TRUE(result.exited) << fault;
        EXPECT_EQ(result.code, 1) << fault << "\n" << result.out;
        expectNothingForged(result.out, false);
    }
}

// The shortest failing sequence validate reports is a scenario that play
// replays as it stands, to the same crash.
TEST(FaultyModuleValidate, TheShortestFailingSequencePlaysToTheSameFailure)
{
    const runResult validated = runPiped({"validate", moduleFile("crash"), "--layouts", buildPaths::layouts,
                                          "--include", "robustness.random-events", "--sequences", "1"},
                                         "");
    const std::string header = "that prefix as scenario lines (panel-host play --check replays them):\n";
    const std::size_t from = validated.out.find(header);
    const std::size_t to = validated.out.find("replay: ", from);
    ASSERT_NE(to, std::string::npos) << validated.out;
    std::istringstream lines(validated.out.substr(from + header.size(), to - from - header.size()));
    std::ofstream scenario(workFolder() / "shortest.scenario");
    std::size_t count = 0;
    for (std::string line; std::getline(lines, line);) {
        if (const std::size_t start = line.find_first_not_of(' '); start != std::string::npos) {
            scenario << line.substr(start) << '\n';
            ++count;
        }
    }
    scenario.close();
    ASSERT_GT(count, 0u);
    std::vector<std::string> play = hostArguments("crash", "5");
    play.insert(play.begin(), {"play", (workFolder() / "shortest.scenario").string(), "--check"});
    const runResult played = runPiped(play, "");
    EXPECT_EQ(played.code, 1) << played.out << played.err;
    EXPECT_NE(played.err.find(crashed), std::string::npos) << played.err;
    EXPECT_NE(validated.out.find("killed by signal 11 (Segmentation fault) during event " + std::to_string(count)),
              std::string::npos)
        << validated.out;
}

// No child outlives panel-host, whatever signal ends it: this test adopts
// the orphans and finds none once panel-host is gone.
struct stopRow {
    const char* name;
    std::vector<std::string> arguments;
    int signal;
};

class FaultyModuleStopped : public testing::TestWithParam<stopRow> {};

TEST_P(FaultyModuleStopped, LeavesNoChildBehind)
{
    ASSERT_EQ(::prctl(PR_SET_CHILD_SUBREAPER, 1), 0);
    const fs::path folder = workFolder();
    const pid_t pid = ::fork();
    if (pid == 0) {
        std::freopen("/dev/null", "r", stdin);
        std::freopen("/dev/null", "w", stdout);
        std::vector<std::string> arguments = GetParam().arguments;
        for (std::string& argument : arguments) {
            argument = argument == "SCENARIO" ? (folder / "choose.scenario").string() : argument;
        }
        execPanelHost(arguments);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(700));
    ::kill(pid, GetParam().signal);
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    pid_t orphan = 0;
    while ((orphan = ::waitpid(-1, &status, WNOHANG)) >= 0 && std::chrono::steady_clock::now() < until) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_EQ(orphan, -1) << "a child of panel-host is still running";
    ::prctl(PR_SET_CHILD_SUBREAPER, 0);
}

std::vector<std::string> hangingPlay()
{
    std::vector<std::string> arguments = hostArguments("hang_notify", "60");
    arguments.insert(arguments.begin(), {"play", "SCENARIO"});
    return arguments;
}

std::string stopRowName(const testing::TestParamInfo<stopRow>& row)
{
    return row.param.name;
}

INSTANTIATE_TEST_SUITE_P(
    Signals, FaultyModuleStopped,
    testing::Values(stopRow{"ValidateTerminated",
                            {"validate", moduleFile("hang_notify"), "--layouts", buildPaths::layouts, "--timeout", "60",
                             "--include", "robustness.random-events"},
                            SIGTERM},
                    stopRow{"PlayTerminated", hangingPlay(), SIGTERM}, stopRow{"PlayKilled", hangingPlay(), SIGKILL}),
    stopRowName);

}  // namespace
