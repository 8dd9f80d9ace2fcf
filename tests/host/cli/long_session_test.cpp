// What panel-host holds does not grow with the number of operator lines:
// the session process of the terminal (the runner, host and transcript that
// serve's session process runs too) has the same resident memory after
// 20,000 lines as after 2,000, and play of 200,000 lines peaks where play of
// 2,000 does. Before, the host kept every reply it had handed out and play
// every line of its scenario: several MB more here.
#include "build_paths.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <unistd.h>

#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// What the allocator may keep at hand beyond what a session needs.
constexpr long marginKb = 256;
// The peak of a whole process varies by up to about 400 KB from run to run
// (where the loader and the allocator place things), whatever the scenario's
// length; a scenario held whole would add tens of MB.
constexpr long peakMarginKb = 1024;

// A sanitizer's allocator holds freed blocks back and keeps records of its
// own: resident memory then measures it, not panel-host.
#if !RESIDENT_MEMORY_MEASURED
#define SKIP_UNLESS_MEASURED() GTEST_SKIP() << "resident memory measures the sanitizer's allocator here"
#else
#define SKIP_UNLESS_MEASURED() static_cast<void>(0)
#endif

// Line `n` (from 0) of an operator's mix: choose a source, choose a
// destination, press "Take", choose another destination, press "Clear",
// another controller routes; sources and destinations cycle.
std::string operatorLine(std::uint64_t n)
{
    const std::uint64_t round = n / 6;
    const std::string destination = std::to_string(round * 7 % 64 + 1);
    const std::string lines[] = {
        "choose Sources " + std::to_string(round % 64 + 1),
        "choose Destinations " + destination,
        "press Take",
        "choose Destinations " + std::to_string((round * 7 + 1) % 64 + 1),
        "press Clear",
        "route " + std::to_string((round + 1) % 64 + 1) + " " + destination,
    };
    return lines[n % 6];
}

// panel-host with `arguments`, its output dropped; standard input from a
// pipe (`input`) or /dev/null, standard error to a pipe (`errors`) or dropped.
pid_t startPanelHost(const std::vector<std::string>& arguments, int* input, int* errors)
{
    int toHost[2] = {-1, -1};
    int fromHost[2] = {-1, -1};
    if ((input != nullptr && ::pipe(toHost) != 0) || (errors != nullptr && ::pipe(fromHost) != 0)) {
        return -1;
    }
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int null = ::open("/dev/null", O_RDWR);
        ::dup2(input != nullptr ? toHost[0] : null, STDIN_FILENO);
        ::dup2(null, STDOUT_FILENO);
        ::dup2(errors != nullptr ? fromHost[1] : null, STDERR_FILENO);
        std::vector<char*> argv{const_cast<char*>(buildPaths::panelHost)};
        for (const std::string& argument : arguments) {
            argv.push_back(const_cast<char*>(argument.c_str()));
        }
        argv.push_back(nullptr);
        ::closefrom(3);
        ::execv(buildPaths::panelHost, argv.data());
        ::_exit(127);
    }
    if (input != nullptr) {
        ::close(toHost[0]);
        *input = toHost[1];
    }
    if (errors != nullptr) {
        ::close(fromHost[1]);
        *errors = fromHost[0];
    }
    return pid;
}

const std::vector<std::string> routingPanel{"--module", buildPaths::vantryModule, "--layouts", buildPaths::layouts};

bool writeAll(int fd, const std::string& text)
{
    for (std::size_t done = 0; done < text.size();) {
        const ssize_t written = ::write(fd, text.data() + done, text.size() - done);
        if (written <= 0) {
            return false;
        }
        done += static_cast<std::size_t>(written);
    }
    return true;
}

// Reads `fd` until what came holds `wanted`; false at its end.
bool readUntil(int fd, const std::string& wanted, std::string& seen)
{
    char buffer[4096];
    while (seen.find(wanted) == std::string::npos) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got <= 0) {
            return false;
        }
        seen.append(buffer, static_cast<std::size_t>(got));
    }
    return true;
}

// The resident memory of process `pid` in KB; 0 when it cannot be read.
long residentKb(long pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string word; status >> word;) {
        if (word == "VmRSS:") {
            long kb = 0;
            status >> kb;
            return kb;
        }
    }
    return 0;
}

// The one child of `pid`: the session process panel-host watches.
long onlyChild(pid_t pid)
{
    std::ifstream children("/proc/" + std::to_string(pid) + "/task/" + std::to_string(pid) + "/children");
    long child = 0;
    children >> child;
    return child;
}

// Operator lines `from` to `to` (counted from 0), then a line the session
// cannot read: its error, on standard error, comes once every line before it
// has run, while the session waits for the next.
std::string linesThenMark(std::uint64_t from, std::uint64_t to)
{
    std::string text;
    for (std::uint64_t n = from; n < to; ++n) {
        text += operatorLine(n) + '\n';
    }
    return text + "mark\n";
}

TEST(LongSession, HoldsAfterTwentyThousandOperatorLinesWhatItHeldAfterTwoThousand)
{
    SKIP_UNLESS_MEASURED();
    std::signal(SIGPIPE, SIG_IGN);  // a panel-host that ended is told by write()
    int input = -1;
    int errors = -1;
    const pid_t host = startPanelHost(routingPanel, &input, &errors);
    ASSERT_GT(host, 0);
    std::string said;
    ASSERT_TRUE(writeAll(input, linesThenMark(0, 2000)));
    ASSERT_TRUE(readUntil(errors, "standard input:2001:1:", said)) << said;
    const long session = onlyChild(host);
    const long early = residentKb(session);
    ASSERT_TRUE(writeAll(input, linesThenMark(2000, 20000)));
    ASSERT_TRUE(readUntil(errors, "standard input:20002:1:", said)) << said;
    const long late = residentKb(session);
    ::close(input);
    int status = 0;
    ::waitpid(host, &status, 0);
    ::close(errors);
    ASSERT_GT(early, 0) << "the session process's memory cannot be read";
    EXPECT_LE(late, early + marginKb) << "after 2,000 lines " << early << " KB, after 20,000 " << late << " KB";
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 2) << "only the marks were unreadable: " << said;
}

// A scenario of `count` lines and no expect lines: an operator acting every
// ten seconds, "Take" flashing in between.
fs::path writeScenario(std::uint64_t count)
{
    const fs::path file = fs::temp_directory_path() /
                          ("long_session_" + std::to_string(::getpid()) + "_" + std::to_string(count) + ".scenario");
    std::ofstream out(file);
    for (std::uint64_t n = 0; n < count; ++n) {
        out << (n % 10 == 0 ? operatorLine(n / 10) : "wait 1s") << '\n';
    }
    return file;
}

// The peak resident memory of panel-host playing `count` lines. In process:
// the same reader, runner and host, without the watcher, whose state is
// fixed but whose message per line would make this run three times longer.
long playPeakKb(std::uint64_t count, int& exitCode)
{
    const fs::path scenario = writeScenario(count);
    std::vector<std::string> arguments{"play", "--in-process"};
    arguments.insert(arguments.end(), routingPanel.begin(), routingPanel.end());
    arguments.push_back(scenario.string());
    const pid_t host = startPanelHost(arguments, nullptr, nullptr);
    int status = 0;
    rusage usage{};
    ::wait4(host, &status, 0, &usage);
    fs::remove(scenario);
    exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return usage.ru_maxrss;
}

TEST(LongScenario, PlaysTwoHundredThousandLinesWithinThePeakOfTwoThousand)
{
    SKIP_UNLESS_MEASURED();
    // In the coverage build a process merges its counters into an existing
    // profile as it ends, which adds about 1 MB to its peak whenever an
    // earlier process wrote that file: the measured runs keep no profile.
    ::setenv("LLVM_PROFILE_FILE", "/dev/null", 1);
    int shortExit = -1;
    int longExit = -1;
    const long shortPeak = playPeakKb(2000, shortExit);
    const long longPeak = playPeakKb(200000, longExit);
    EXPECT_EQ(shortExit, 0);
    EXPECT_EQ(longExit, 0);
    const std::string peaks =
        "2,000 lines: " + std::to_string(shortPeak) + " KB, 200,000: " + std::to_string(longPeak) + " KB";
    RecordProperty("peaks", peaks);
    EXPECT_LE(longPeak, shortPeak + peakMarginKb) << peaks;
}

}  // namespace
