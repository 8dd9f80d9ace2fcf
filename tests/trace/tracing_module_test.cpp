// The tracing module loaded as a host loads a panel module, from a folder of
// its own per test, wrapping the routing panel (or a module that crashes):
// what the host and the script see through it, the trace it writes, and how
// it ends the trace when something fails.
#include "build_paths.h"
#include "recording_host.h"
#include "script_boundary.h"
#include "trace_reader.h"

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <unistd.h>

#if __has_include(<valgrind/valgrind.h>)
#include <valgrind/valgrind.h>
#else
#define RUNNING_ON_VALGRIND 0
#endif

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

namespace {

// What the modules write to the debug output while it lives. The host's
// hook they find (panel-host's, linked with the trace reader) writes each
// text as one line to standard error when no host of its own is in a call:
// standard error goes to a file meanwhile.
class debugCapture {
public:
    debugCapture() : file_(std::tmpfile()), saved_(::dup(2))
    {
        std::fflush(stderr);
        ::dup2(::fileno(file_), 2);
    }
    ~debugCapture()
    {
        restore();
        std::fclose(file_);
    }
    debugCapture(const debugCapture&) = delete;
    debugCapture& operator=(const debugCapture&) = delete;

    // The texts so far; standard error is its own again from here on.
    std::vector<std::string> texts()
    {
        restore();
        std::vector<std::string> lines;
        std::rewind(file_);
        char buffer[4096];
        while (std::fgets(buffer, sizeof buffer, file_) != nullptr) {
            std::string line = buffer;
            if (!line.empty() && line.back() == '\n') {
                line.pop_back();
            }
            lines.push_back(line);
        }
        return lines;
    }
    bool has(const std::string& part)
    {
        const std::vector<std::string> all = texts();
        return std::any_of(all.begin(), all.end(),
                           [&part](const std::string& text) { return text.find(part) != std::string::npos; });
    }

private:
    void restore()
    {
        if (saved_ >= 0) {
            std::fflush(stderr);
            ::dup2(saved_, 2);
            ::close(saved_);
            saved_ = -1;
        }
    }

    std::FILE* file_;
    int saved_;
};

// The lines of a trace up to the space allocated for it and never written
// (NUL bytes), which a process that did not end normally leaves.
std::vector<std::string> readLines(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        const std::size_t unwritten = line.find('\0');
        if (unwritten != std::string::npos) {
            if (unwritten > 0) {
                lines.push_back(line.substr(0, unwritten));
            }
            break;
        }
        lines.push_back(line);
    }
    return lines;
}

// The trace as panel-host reads it.
panel_host::traceRead readTrace(const fs::path& file)
{
    return panel_host::readWholeTrace(panel_host::traceSource::file(file.string()));
}

// An event line without its time and thread: "INSTANCE EVENT FIELDS...".
std::string withoutTimeAndThread(const std::string& line)
{
    const std::size_t first = line.find(' ');
    const std::size_t second = first == std::string::npos ? first : line.find(' ', first + 1);
    return second == std::string::npos ? line : line.substr(second + 1);
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

// A button event no text builds: hasValue 0 with a value, a name holding
// "=", a part holding ".".
struct oddEvent {
    oddEvent() : message(nullptr)
    {
        message.name = "a=b";
        message.parts[0] = "c.d";
        message.count = 1;
        message.value = "v";
    }
    parsedMessage message;
};

// The timer payload of the session: pointer-sized, more than 32 bits where
// pointers have them (the script reads the low 32: timer 1).
const std::uintptr_t widePayload = static_cast<std::uintptr_t>(sizeof(void*) == 8 ? 0x100000001ull : 1ull);

// One panel's life through `entry`: start-up, a tally, a list choice, a
// record of panel 2 laid out as no text would, a query and its give-back, a
// tick with a wide payload, a code no record belongs to, a query longer
// than any line the module formats at once, the end.
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
        tallyWithText tally{{1, 0, 7, 5}, "Source 5"};
        script->notify(&tally, notifyTally);
        const parsedMessage event("select=5");
        hostButtonRecord button{nullptr, nullptr, "1", "Sources", &event};
        script->notify(&button, notifyButton);
        const oddEvent odd;
        hostButtonRecord oddButton{nullptr, nullptr, "2", "Sources", &odd.message};
        script->notify(&oddButton, notifyButton);
        const char* const reply = script->notify(const_cast<char*>("return=all"), notifyQuery);
        result.queryReply = reply != nullptr ? reply : "(null)";
        script->notify(const_cast<char*>(reply), notifyRelease);
        script->notify(reinterpret_cast<void*>(widePayload), notifyTimer);
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
    debugCapture debug;
    deployedTracer tracer("forwarding", buildPaths::vantryModule, "");
    const morvEntryPoint entry = tracer.load();
    ASSERT_NE(entry, nullptr);
    expectSameAsDirect(playSession(entry));
    tracer.unload();

    const auto lines = tracer.onlyTraceLines();
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(lines.front(), "morv-trace 2");
    EXPECT_EQ(withoutTimeAndThread(lines.back()), "0 unload");
    const std::vector<std::string> expected = {
        "1 notify 1 tally device=1 index=7 value=5 text=\"Source 5\"",
        "1 notify 2 button panel=\"1\" control=\"Sources\" name=\"select\" value=\"5\" has-value=1 count=0",
        "1 notify 2 button panel=\"2\" control=\"Sources\" name=\"a=b\" value=\"v\" has-value=0 count=1 "
        "part=\"c.d\"",
        "1 notify 3 query \"return=all\"",
        "1 notify 4 timer " + std::to_string(widePayload),
        "1 notify 9 payload 0x1234",
        "1 notify 3 query \"" + std::string(3000, 'q') + "\"",
        "1 destroy",
        "1 send 0 \"AS\"",
        "1 destroyed",
    };
    std::vector<std::string> events;
    std::transform(lines.begin() + 1, lines.end(), std::back_inserter(events), withoutTimeAndThread);
    for (const std::string& line : expected) {
        EXPECT_NE(std::find(events.begin(), events.end(), line), events.end()) << line << "\n" << joinLines(events);
    }
    // Each command before its reply, a reply with a quote and a tab escaped,
    // and its pointer given back.
    const auto command = std::find(events.begin(), events.end(), "1 send 0 \"RN 1 0 5\"");
    ASSERT_NE(command, events.end()) << joinLines(events);
    const std::string& reply = *(command + 1);
    ASSERT_EQ(reply.find("1 reply 0x"), 0u) << reply;
    EXPECT_NE(reply.find(" \"Source \\\"5\\\"\\x09\""), std::string::npos) << reply;
    const std::string pointer = reply.substr(8, reply.find(' ', 8) - 8);
    EXPECT_EQ(*(command + 2), "1 send 5 " + pointer);
    EXPECT_EQ(*(command + 3), "1 reply null");
    EXPECT_TRUE(debug.has("morv trace: tracing to " + tracer.traces().front().string()));
    // Where the settings file was looked for, the Linux name of it included.
    EXPECT_TRUE(debug.has("morv trace: settings: " + (tracer.folder() / "libpanel.trace.conf").string() +
                          " (none there: the defaults apply)"))
        << joinLines(debug.texts());

    // panel-host reads it, the odd record as the module saw it.
    const panel_host::traceRead read = readTrace(tracer.traces().front());
    ASSERT_TRUE(read.ok) << read.error;
    EXPECT_TRUE(read.summary.complete);
    const auto oddNotify = std::find_if(read.events.begin(), read.events.end(), [](const panel_host::traceEvent& e) {
        return e.what == panel_host::traceEvent::kind::notify && e.panel == "2";
    });
    ASSERT_NE(oddNotify, read.events.end());
    ASSERT_TRUE(oddNotify->event.has_value());
    EXPECT_FALSE(oddNotify->event->text().has_value());
    EXPECT_EQ(oddNotify->event->parts, std::vector<std::optional<std::string>>{"c.d"});
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
    {"not_a_file", "file=/dev/full\n", true, nullptr, "not a regular file"},
    {"size_cap", "cap=1024\n", true, "0 stop \"size cap of 1024 bytes reached\"",
     "the trace stopped: size cap of 1024 bytes reached"},
    {"inner_missing", "", false, "0 unload", "cannot load the traced module"},
    {"bad_settings", "cap=12\n  # a comment\nnonsense\nfolder=\n", true, "0 unload",
     "libpanel.trace.conf:1: cap is not a number of bytes from 1024 to 2147483647; the default applies"},
};

TEST_P(TracingModuleFaults, ForwardingGoesOnAndTheTraceSaysWhy)
{
    const faultCase& row = GetParam();
    debugCapture debug;
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
    EXPECT_TRUE(debug.has(row.debugText)) << joinLines(debug.texts());
    if (row.lastEvent == nullptr) {
        EXPECT_TRUE(tracer.traces().empty());
        return;
    }
    const auto lines = tracer.onlyTraceLines();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(withoutTimeAndThread(lines.back()), row.lastEvent) << joinLines(lines);
    const panel_host::traceRead read = readTrace(tracer.traces().front());
    EXPECT_TRUE(read.ok) << read.error;
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

// A small cap and a deep folder: the trace line does not fit, the stop
// still does, and the trace reads.
TEST(TracingModuleFaults, TheStopFitsUnderASmallCapWhateverTheFolder)
{
    deployedTracer tracer("small_cap", buildPaths::vantryModule, "");
    const fs::path deep = tracer.folder() / std::string(200, 'd') / std::string(200, 'e') / std::string(200, 'f');
    fs::create_directories(deep);
    fs::copy_file(tracer.folder() / "libpanel.so", deep / "libpanel.so");
    fs::copy_file(tracer.folder() / "libpanel.traced.so", deep / "libpanel.traced.so");
    std::ofstream(deep / "libpanel.trace.conf") << "cap=1024\n";
    void* const handle = dlopen((deep / "libpanel.so").c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(handle, nullptr) << dlerror();
    expectSameAsDirect(playSession(reinterpret_cast<morvEntryPoint>(dlsym(handle, morvEntryPointName))));
    dlclose(handle);
    for (const auto& entry : fs::directory_iterator(deep)) {
        if (entry.path().extension() == ".trace") {
            const panel_host::traceRead read = readTrace(entry.path());
            ASSERT_TRUE(read.ok) << read.error;
            ASSERT_FALSE(read.events.empty());
            EXPECT_EQ(read.events.back().what, panel_host::traceEvent::kind::stop);
            EXPECT_LE(fs::file_size(entry.path()), 1024u);
        }
    }
}

// MORV_TRACE_FOLDER names the trace's folder, over the settings file; the
// tracing module makes it.
TEST(TracingModuleFaults, TheEnvironmentNamesTheFolder)
{
    debugCapture debug;
    const fs::path elsewhere = fs::path(buildPaths::workFolder) / "environment_folder_traces";
    fs::remove_all(elsewhere);
    deployedTracer tracer("environment_folder", buildPaths::vantryModule, "file=@/ignored.trace\n");
    ::setenv("MORV_TRACE_FOLDER", elsewhere.c_str(), 1);
    const morvEntryPoint entry = tracer.load();
    ASSERT_NE(entry, nullptr);
    expectSameAsDirect(playSession(entry));
    ::unsetenv("MORV_TRACE_FOLDER");
    tracer.unload();
    EXPECT_TRUE(tracer.traces().empty());
    std::size_t traces = 0;
    for (const auto& found : fs::directory_iterator(elsewhere)) {
        traces += found.path().extension() == ".trace" && readTrace(found.path()).ok ? 1U : 0U;
    }
    EXPECT_EQ(traces, 1u);
    EXPECT_TRUE(debug.has("MORV_TRACE_FOLDER names the trace's folder: " + elsewhere.string()));
}

// A host that ends the process while the script's command is in flight.
class crashingHost final : public recordingHost {
public:
    const char* send(const char* text, std::int32_t code) override
    {
        if (code == 0 && std::strncmp(text, "RN", 2) == 0) {
            std::abort();
        }
        return recordingHost::send(text, code);
    }
};

// In the death test's child: a list choice, which may crash the traced
// module or the host.
void chooseInCrashingSession(deployedTracer& tracer)
{
    const morvEntryPoint entry = tracer.load();
    crashingHost host;
    morv_client_callback* const script = entry(&host, buildPaths::layouts);
    const parsedMessage event("select=5");
    hostButtonRecord button{nullptr, nullptr, "1", "Sources", &event};
    script->notify(&button, notifyButton);
}

// A crash on either side at any point: the trace reads, and its last event
// is the last before the crash, the call it happened in included.
struct crashCase {
    const char* name;
    const char* inner;      // the traced module
    const char* lastEvent;  // without time and thread
};

class TracingModuleCrash : public testing::TestWithParam<crashCase> {};

const crashCase crashCases[] = {
    {"module_crashes_in_notify", buildPaths::faultyCrashModule,
     "1 notify 2 button panel=\"1\" control=\"Sources\" name=\"select\" value=\"5\" has-value=1 count=0"},
    {"host_crashes_in_send", buildPaths::vantryModule, "1 send 0 \"RN 0 0 5\""},
    {"module_aborts_at_load", buildPaths::abortingAtLoadModule, nullptr},
};

TEST_P(TracingModuleCrash, TheTraceReadsUpToTheLastEventBeforeTheCrash)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const crashCase& row = GetParam();
    deployedTracer tracer(row.name, row.inner, "");
    EXPECT_DEATH(chooseInCrashingSession(tracer), "");
    const auto lines = tracer.onlyTraceLines();
    ASSERT_GE(lines.size(), 2u);
    const panel_host::traceRead read = readTrace(tracer.traces().front());
    ASSERT_TRUE(read.ok) << read.error;
    EXPECT_FALSE(read.summary.complete);
    if (row.lastEvent != nullptr) {
        EXPECT_EQ(withoutTimeAndThread(lines.back()), row.lastEvent) << joinLines(lines);
    } else {
        // The module's events, written before the traced module ran.
        EXPECT_EQ(read.events.back().what, panel_host::traceEvent::kind::trace) << joinLines(lines);
    }
}

INSTANTIATE_TEST_SUITE_P(Crashes, TracingModuleCrash, testing::ValuesIn(crashCases),
                         [](const testing::TestParamInfo<crashCase>& row) { return std::string(row.param.name); });

// Panels opened, worked and closed on several threads at once, many times
// over: every trace reads, its instances loaded in order, each on the
// thread that opened it.
TEST(TracingModuleInstances, PanelsOnSeveralThreadsAtOnceAlwaysLeaveATraceThatReads)
{
    // Under valgrind a run takes long: a few show the same.
    const int runs = RUNNING_ON_VALGRIND ? 3 : 200;
    deployedTracer tracer("threads", buildPaths::vantryModule, "");
    for (const int threads : {2, 8}) {
        for (int run = 0; run < runs; ++run) {
            const morvEntryPoint entry = tracer.load();
            ASSERT_NE(entry, nullptr);
            std::atomic<int> ready{0};
            auto work = [&ready, entry, threads](int which) {
                recordingHost host;
                ++ready;
                // Yield while waiting: under valgrind one thread runs at a
                // time, and a bare spin keeps the others from starting.
                while (ready.load() < threads) {
                    std::this_thread::yield();
                }
                morv_client_callback* const script = entry(&host, buildPaths::layouts);
                for (int i = 0; i < 4 && script != nullptr; ++i) {
                    tallyWithText tally{{1, 0, 1 + (which + i) % 64, 1 + which}, "Source"};
                    script->notify(&tally, notifyTally);
                }
                destroyScript(script);
            };
            std::vector<std::thread> workers;
            for (int which = 0; which < threads; ++which) {
                workers.emplace_back(work, which);
            }
            for (std::thread& worker : workers) {
                worker.join();
            }
            tracer.unload();
            const auto traces = tracer.traces();
            ASSERT_EQ(traces.size(), 1u);
            const panel_host::traceRead read = readTrace(traces.front());
            ASSERT_TRUE(read.ok) << threads << " threads, run " << run << ": " << read.error;
            EXPECT_TRUE(read.summary.complete);
            EXPECT_EQ(read.summary.instances, threads);
            std::map<std::int32_t, std::uint64_t> threadOf;
            for (const panel_host::traceEvent& e : read.events) {
                if (e.what == panel_host::traceEvent::kind::load) {
                    threadOf[e.instance] = e.thread;
                } else if (e.instance != 0) {
                    EXPECT_EQ(e.thread, threadOf[e.instance]) << "line " << e.line;
                }
            }
            fs::remove(traces.front());
        }
    }
}

}  // namespace
