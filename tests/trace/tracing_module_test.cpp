// The tracing module loaded as a host loads a panel module, from a folder of
// its own per test, wrapping the routing panel (or a module that crashes):
// what the host and the script see through it, the trace it writes, and how
// it ends the trace when something fails.
#include "build_paths.h"
#include "recording_host.h"
#include "script_boundary.h"

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::vector<std::string> debugTexts;

}  // namespace

// The host's debug output, which the modules' debug output finds and calls.
extern "C" __attribute__((visibility("default"))) void morv_host_debug_output(const char* text)
{
    debugTexts.emplace_back(text != nullptr ? text : "");
}

namespace {

bool anyDebugTextHas(const std::string& part)
{
    return std::any_of(debugTexts.begin(), debugTexts.end(),
                       [&part](const std::string& text) { return text.find(part) != std::string::npos; });
}

std::vector<std::string> readLines(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

// An event line without its time and thread: "INSTANCE EVENT FIELDS...".
std::string withoutTimeAndThread(const std::string& line)
{
    const std::size_t first = line.find(' ');
    const std::size_t second = first == std::string::npos ? first : line.find(' ', first + 1);
    return second == std::string::npos ? line : line.substr(second + 1);
}

struct eventLine {
    unsigned long milliseconds = 0;
    unsigned long thread = 0;
    std::string rest;  // "INSTANCE EVENT FIELDS..."
};

eventLine parseEvent(const std::string& line)
{
    eventLine event;
    std::istringstream in(line);
    in >> event.milliseconds >> event.thread;
    in.get();
    std::getline(in, event.rest);
    return event;
}

// The tracing module deployed as libpanel.so in a folder of the test's own,
// tracing libpanel.traced.so (a copy of `inner`, none when empty), with the
// settings file libpanel.trace.conf when `settings` is not empty.
class deployedTracer {
public:
    deployedTracer(const std::string& name, const std::string& inner, const std::string& settings)
        : folder_(fs::path(buildPaths::workFolder) / name)
    {
        fs::remove_all(folder_);
        fs::create_directories(folder_);
        fs::copy_file(buildPaths::tracingModule, folder_ / "libpanel.so");
        if (!inner.empty()) {
            fs::copy_file(inner, folder_ / "libpanel.traced.so");
        }
        if (!settings.empty()) {
            std::ofstream(folder_ / "libpanel.trace.conf") << settings;
        }
    }
    ~deployedTracer() { unload(); }
    deployedTracer(const deployedTracer&) = delete;
    deployedTracer& operator=(const deployedTracer&) = delete;

    morvEntryPoint load()
    {
        handle_ = dlopen((folder_ / "libpanel.so").c_str(), RTLD_NOW | RTLD_LOCAL);
        if (handle_ == nullptr) {
            ADD_FAILURE() << dlerror();
            return nullptr;
        }
        return reinterpret_cast<morvEntryPoint>(dlsym(handle_, morvEntryPointName));
    }
    void unload()
    {
        if (handle_ != nullptr) {
            dlclose(handle_);
            handle_ = nullptr;
        }
    }

    const fs::path& folder() const { return folder_; }
    // The traces the module wrote into its folder.
    std::vector<fs::path> traces() const
    {
        std::vector<fs::path> found;
        for (const auto& entry : fs::directory_iterator(folder_)) {
            if (entry.path().extension() == ".trace") {
                found.push_back(entry.path());
            }
        }
        return found;
    }
    std::vector<std::string> onlyTraceLines() const
    {
        const auto found = traces();
        EXPECT_EQ(found.size(), 1u);
        return found.empty() ? std::vector<std::string>{} : readLines(found.front());
    }

private:
    fs::path folder_;
    void* handle_ = nullptr;
};

// A tally record with its inline text.
struct tallyWithText {
    hostTallyRecord head;
    char text[32];
};

struct sessionResult {
    bool created = false;
    std::vector<std::pair<std::string, std::int32_t>> sends;
    std::string queryReply;
    std::vector<std::string> problems;
};

// One panel's life through `entry`: start-up, a tally, a list choice, a
// query and its give-back, a tick, a code no record belongs to, a query
// longer than any line the module formats at once, the end.
sessionResult playSession(morvEntryPoint entry)
{
    recordingHost host;
    host.answer("PS", "OK");
    host.answer("SD", "1 'B4 Audio Router'");
    host.answer("RN", "Source \"5\"\t");
    sessionResult result;
    morv_client_callback* const script = entry(&host, buildPaths::layouts);
    result.created = script != nullptr;
    if (script != nullptr) {
        tallyWithText tally{{
                                1,
                                0,
                                7,
                                5,
                            },
                            "Source 5"};
        script->notify(&tally, notifyTally);
        const parsedMessage event("select=5");
        hostButtonRecord button{nullptr, nullptr, "1", "Sources", &event};
        script->notify(&button, notifyButton);
        const char* const reply = script->notify(const_cast<char*>("return=all"), notifyQuery);
        result.queryReply = reply != nullptr ? reply : "(null)";
        script->notify(const_cast<char*>(reply), notifyRelease);
        script->notify(reinterpret_cast<void*>(1), notifyTimer);
        script->notify(reinterpret_cast<void*>(0x1234), 9);
        std::string longQuery(3000, 'q');
        script->notify(longQuery.data(), notifyQuery);
        destroyScript(script);
    }
    for (const auto& call : host.calls()) {
        result.sends.emplace_back(call.text, call.code);
    }
    result.problems = host.replyProblems();
    return result;
}

// The same session with the routing panel loaded directly.
const sessionResult& directSession()
{
    static const sessionResult result = [] {
        void* const handle = dlopen(buildPaths::vantryModule, RTLD_NOW | RTLD_LOCAL);
        EXPECT_NE(handle, nullptr) << dlerror();
        return playSession(reinterpret_cast<morvEntryPoint>(dlsym(handle, morvEntryPointName)));
    }();
    return result;
}

void expectSameAsDirect(const sessionResult& traced)
{
    const sessionResult& direct = directSession();
    EXPECT_TRUE(traced.created);
    EXPECT_EQ(traced.sends, direct.sends);
    EXPECT_EQ(traced.queryReply, direct.queryReply);
    EXPECT_TRUE(traced.problems.empty()) << joinLines(traced.problems);
}

TEST(TracingModuleForwarding, HostAndScriptSeeWhatTheySeeWithoutIt)
{
    debugTexts.clear();
    deployedTracer tracer("forwarding", buildPaths::vantryModule, "");
    const morvEntryPoint entry = tracer.load();
    ASSERT_NE(entry, nullptr);
    expectSameAsDirect(playSession(entry));
    tracer.unload();

    const auto lines = tracer.onlyTraceLines();
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(lines.front(), "morv-trace 1");
    EXPECT_EQ(withoutTimeAndThread(lines.back()), "0 unload");
    const std::vector<std::string> expected = {
        "1 notify 1 tally device=1 index=7 value=5 text=\"Source 5\"",
        "1 notify 2 button panel=\"1\" control=\"Sources\" event=\"select=5\"",
        "1 notify 3 query \"return=all\"",
        "1 notify 4 timer 1",
        "1 notify 9 payload 0x1234",
        "1 notify 3 query \"" + std::string(3000, 'q') + "\"",
        "1 destroy",
        "1 send 0 \"AS\" -> null",
        "1 destroyed",
    };
    std::vector<std::string> events;
    std::transform(lines.begin() + 1, lines.end(), std::back_inserter(events), withoutTimeAndThread);
    for (const std::string& line : expected) {
        EXPECT_NE(std::find(events.begin(), events.end(), line), events.end()) << line << "\n" << joinLines(events);
    }
    // A reply with a quote and a tab, escaped, and its pointer given back.
    const auto reply = std::find_if(events.begin(), events.end(), [](const std::string& e) {
        return e.find("1 send 0 \"RN 1 0 5\" -> 0x") == 0 && e.find(" \"Source \\\"5\\\"\\x09\"") != std::string::npos;
    });
    ASSERT_NE(reply, events.end()) << joinLines(events);
    const std::string pointer =
        reply->substr(reply->find("0x"), reply->find(' ', reply->find("0x")) - reply->find("0x"));
    EXPECT_EQ(*(reply + 1), "1 send 5 " + pointer);
    EXPECT_TRUE(anyDebugTextHas("morv trace: tracing to " + tracer.traces().front().string()));
}

std::string pointerText(const void* pointer)
{
    std::ostringstream text;
    text << "0x" << std::hex << reinterpret_cast<std::uintptr_t>(pointer);
    return text.str();
}

TEST(TracingModuleForwarding, QueryResultReachesTheHostAsTheModuleGaveIt)
{
    deployedTracer tracer("query_result", buildPaths::staticQueryReplyModule, "");
    const morvEntryPoint entry = tracer.load();
    ASSERT_NE(entry, nullptr);
    recordingHost host;
    morv_client_callback* const script = entry(&host, buildPaths::layouts);
    ASSERT_NE(script, nullptr);
    const char* const reply = script->notify(const_cast<char*>("return=all"), notifyQuery);
    ASSERT_NE(reply, nullptr);
    EXPECT_STREQ(reply, "static answer");
    script->notify(const_cast<char*>(reply), notifyRelease);
    destroyScript(script);
    tracer.unload();

    std::vector<std::string> events;
    const auto lines = tracer.onlyTraceLines();
    std::transform(lines.begin() + 1, lines.end(), std::back_inserter(events), withoutTimeAndThread);
    const auto query = std::find(events.begin(), events.end(), "1 notify 3 query \"return=all\"");
    ASSERT_NE(query, events.end()) << joinLines(events);
    EXPECT_EQ(*(query + 1), "1 returned " + pointerText(reply) + " \"static answer\"");
    EXPECT_EQ(*(query + 2), "1 notify 5 giveback " + pointerText(reply));
}

// Faults of the trace or of the deployment: forwarding goes on as before (or
// the export says null when there is nothing to forward to), and the trace
// or the debug output says why.
struct faultCase {
    const char* name;
    const char* settings;  // "@" stands for the test's folder
    bool withInner;
    const char* lastEvent;  // the trace's last line without time and thread; null: no trace
    const char* debugText;  // a part of one debug output text
};

class TracingModuleFaults : public testing::TestWithParam<faultCase> {};

const faultCase faultCases[] = {
    {"unwritable_folder", "folder=@/plain-file/traces\n", true, nullptr, "cannot write the trace"},
    {"disk_full", "file=/dev/full\n", true, nullptr, "No space left on device"},
    {"size_cap", "cap=1024\n", true, "0 stop \"size cap of 1024 bytes reached\"",
     "the trace stopped: size cap of 1024 bytes reached"},
    {"inner_missing", "", false, "0 unload", "cannot load the traced module"},
    {"bad_settings", "cap=12\n  # a comment\nnonsense\nfolder=\n", true, "0 unload",
     "libpanel.trace.conf:1: cap is not a number of bytes from 1024 to 2147483647; the default applies"},
};

TEST_P(TracingModuleFaults, ForwardingGoesOnAndTheTraceSaysWhy)
{
    const faultCase& row = GetParam();
    debugTexts.clear();
    std::string settings = row.settings;
    const std::string folder = (fs::path(buildPaths::workFolder) / row.name).string();
    for (std::size_t at; (at = settings.find('@')) != std::string::npos;) {
        settings.replace(at, 1, folder);
    }
    deployedTracer tracer(row.name, row.withInner ? buildPaths::vantryModule : "", settings);
    std::ofstream(tracer.folder() / "plain-file") << "not a folder\n";
    const morvEntryPoint entry = tracer.load();
    ASSERT_NE(entry, nullptr);
    const sessionResult traced = playSession(entry);
    tracer.unload();

    if (row.withInner) {
        expectSameAsDirect(traced);
    } else {
        EXPECT_FALSE(traced.created);
        EXPECT_TRUE(traced.sends.empty());
    }
    EXPECT_TRUE(anyDebugTextHas(row.debugText)) << joinLines(debugTexts);
    if (row.lastEvent == nullptr) {
        EXPECT_TRUE(tracer.traces().empty());
        return;
    }
    const auto lines = tracer.onlyTraceLines();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines.front(), "morv-trace 1");
    EXPECT_EQ(withoutTimeAndThread(lines.back()), row.lastEvent) << joinLines(lines);
    EXPECT_LE(fs::file_size(tracer.traces().front()), 67108864u);
    if (std::string(row.name) == "size_cap") {
        EXPECT_LE(fs::file_size(tracer.traces().front()), 1024u);
    }
    if (!row.withInner) {
        EXPECT_EQ(withoutTimeAndThread(lines[lines.size() - 2]), "1 created null");
        EXPECT_EQ(withoutTimeAndThread(lines[2]).find("0 inner-failed \""), 0u) << lines[2];
    }
}

INSTANTIATE_TEST_SUITE_P(Faults, TracingModuleFaults, testing::ValuesIn(faultCases),
                         [](const testing::TestParamInfo<faultCase>& row) { return std::string(row.param.name); });

// In the death test's child: a list choice, which crashes the traced module.
void chooseInCrashingModule(deployedTracer& tracer)
{
    const morvEntryPoint entry = tracer.load();
    recordingHost host;
    morv_client_callback* const script = entry(&host, "layouts");
    const parsedMessage event("select=5");
    hostButtonRecord button{nullptr, nullptr, "1", "Sources", &event};
    script->notify(&button, notifyButton);
}

TEST(TracingModuleCrash, TraceHoldsEveryLineUpToTheCrashOfTheTracedModule)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    deployedTracer tracer("crash", buildPaths::faultyCrashModule, "");
    EXPECT_DEATH(chooseInCrashingModule(tracer), "");
    const auto lines = tracer.onlyTraceLines();
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(withoutTimeAndThread(lines[lines.size() - 2]).find("1 created 0x"), 0u) << joinLines(lines);
    EXPECT_EQ(withoutTimeAndThread(lines.back()),
              "1 notify 2 button panel=\"1\" control=\"Sources\" event=\"select=5\"");
}

TEST(TracingModuleInstances, TwoPanelsOnTwoThreadsAreTracedApart)
{
    deployedTracer tracer("threads", buildPaths::vantryModule, "");
    const morvEntryPoint entry = tracer.load();
    ASSERT_NE(entry, nullptr);
    constexpr int tallies = 300;
    recordingHost hosts[2];
    morv_client_callback* scripts[2] = {entry(&hosts[0], buildPaths::layouts), entry(&hosts[1], buildPaths::layouts)};
    ASSERT_NE(scripts[0], nullptr);
    ASSERT_NE(scripts[1], nullptr);
    std::atomic<int> ready{0};
    unsigned long threadIds[2] = {};
    auto work = [&](int which) {
        threadIds[which] = static_cast<unsigned long>(gettid());
        ++ready;
        // Yield while waiting: under valgrind one thread runs at a time, and
        // a bare spin keeps the other from starting for a long while.
        while (ready.load() < 2) {
            std::this_thread::yield();
        }
        for (int i = 0; i < tallies; ++i) {
            tallyWithText tally{{
                                    1,
                                    0,
                                    1 + i % 64,
                                    1 + which,
                                },
                                "Source"};
            scripts[which]->notify(&tally, notifyTally);
        }
    };
    std::thread first(work, 0);
    std::thread second(work, 1);
    first.join();
    second.join();
    destroyScript(scripts[0]);
    destroyScript(scripts[1]);
    tracer.unload();
    EXPECT_EQ(hosts[0].commands(), hosts[1].commands());

    const auto lines = tracer.onlyTraceLines();
    int notifies[2] = {};
    unsigned long last = 0;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const eventLine event = parseEvent(lines[i]);
        EXPECT_GE(event.milliseconds, last) << lines[i];
        last = event.milliseconds;
        for (int which = 0; which < 2; ++which) {
            const std::string prefix = std::to_string(which + 1) + " notify 1 tally ";
            if (event.rest.compare(0, prefix.size(), prefix) == 0) {
                ++notifies[which];
                EXPECT_EQ(event.thread, threadIds[which]) << lines[i];
                EXPECT_NE(event.rest.find(" value=" + std::to_string(which + 1) + " "), std::string::npos) << lines[i];
            }
        }
    }
    EXPECT_EQ(notifies[0], tallies);
    EXPECT_EQ(notifies[1], tallies);
    EXPECT_NE(threadIds[0], threadIds[1]);
}

}  // namespace
