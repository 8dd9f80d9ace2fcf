// The benchmark of the routing panel: plays the event mix of eventMix
// through the real module, loaded with dlopen and driven by benchHost.
//
//   vantry_bench [Google Benchmark options]
//       wall time per event (only when built with Google Benchmark)
//   vantry_bench --events N [--warmup N] [--record] [--module PATH]
//       the plain driver: starts the panel, plays `warmup` events (default one
//       period of the mix), then N measured events, and prints what they
//       cost in heap allocations and what they sent. Under callgrind only
//       the measured events are instrumented (run it with
//       --instr-atstart=no), so the instruction total is theirs alone.
//       --record adds the bytes sent and a hash of everything sent, start-up
//       and destruction included.
#include "build_paths.h"
#include "allocation_counter.h"
#include "bench_host.h"
#include "event_mix.h"

#include <valgrind/callgrind.h>

#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#if defined(VANTRY_BENCH_GOOGLE_BENCHMARK)
#include <benchmark/benchmark.h>
#endif

namespace {

// The layout folder handed to the panel; it only appears in the "PS" text.
constexpr const char layoutFolder[] = "layouts";

const char* modulePath = buildPaths::vantryModule;

struct driverOptions {
    std::uint64_t events = 4096;
    std::uint64_t warmup = eventMix::period;
    bool record = false;
};

int usage(const char* program)
{
    std::fprintf(stderr, "usage: %s --events N [--warmup N] [--record] [--module PATH]\n", program);
#if defined(VANTRY_BENCH_GOOGLE_BENCHMARK)
    std::fprintf(stderr, "       %s [--module PATH] [Google Benchmark options]\n", program);
#endif
    return 2;
}

bool readCount(const char* text, std::uint64_t& count)
{
    char* end = nullptr;
    const unsigned long long value = std::strtoull(text, &end, 10);
    if (end == text || *end != '\0') {
        return false;
    }
    count = value;
    return true;
}

int runDriver(const driverOptions& options)
{
    benchHost host(options.record);
    loadedPanel panel(modulePath, &host, layoutFolder);
    if (panel.script() == nullptr) {
        std::fprintf(stderr, "cannot start the panel module %s: %s\n", modulePath, panel.error().c_str());
        return 1;
    }
    eventMix mix(benchHost::routerDevice);
    for (std::uint64_t i = 0; i < options.warmup; ++i) {
        mix.playNext(*panel.script());
    }

    const std::uint64_t commandsBefore = host.commands();
    const std::uint64_t bytesBefore = host.bytes();
    const std::uint64_t allocationsBefore = heapAllocations();
    CALLGRIND_START_INSTRUMENTATION;
    for (std::uint64_t i = 0; i < options.events; ++i) {
        mix.playNext(*panel.script());
    }
    CALLGRIND_STOP_INSTRUMENTATION;
    const std::uint64_t allocations = heapAllocations() - allocationsBefore;
    const std::uint64_t commands = host.commands() - commandsBefore;
    const std::uint64_t bytes = host.bytes() - bytesBefore;

    panel.close();
    std::printf("events %" PRIu64 "\n", options.events);
    std::printf("commands %" PRIu64 "\n", commands);
    std::printf("allocations %" PRIu64 "\n", allocations);
    if (options.record) {
        std::printf("bytes %" PRIu64 "\n", bytes);
        std::printf("hash %016" PRIx64 "\n", host.hash());
    }
    if (host.repliesOutstanding() != 0 || host.badCalls() != 0) {
        std::fprintf(stderr,
                     "the module broke the host's rules: %" PRId64 " replies not given back, %" PRIu64
                     " calls with a bad code or a null text\n",
                     host.repliesOutstanding(), host.badCalls());
        return 1;
    }
    return 0;
}

#if defined(VANTRY_BENCH_GOOGLE_BENCHMARK)
// Wall time of one event of the mix, with what an event costs besides.
void eventMixBenchmark(benchmark::State& state)
{
    benchHost host(false);
    loadedPanel panel(modulePath, &host, layoutFolder);
    if (panel.script() == nullptr) {
        state.SkipWithError(("cannot start the panel module: " + panel.error()).c_str());
        return;
    }
    eventMix mix(benchHost::routerDevice);
    for (int i = 0; i < eventMix::period; ++i) {
        mix.playNext(*panel.script());
    }
    const std::uint64_t commandsBefore = host.commands();
    const std::uint64_t allocationsBefore = heapAllocations();
    for (auto _ : state) {
        mix.playNext(*panel.script());
    }
    const auto perEvent = benchmark::Counter::kAvgIterations;
    state.counters["allocs/event"] =
        benchmark::Counter(static_cast<double>(heapAllocations() - allocationsBefore), perEvent);
    state.counters["commands/event"] =
        benchmark::Counter(static_cast<double>(host.commands() - commandsBefore), perEvent);
}
#endif

}  // namespace

int main(int argc, char** argv)
{
    driverOptions options;
    bool driver = false;
    // Our own options are taken out; the rest is left for Google Benchmark.
    int kept = 1;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        const bool hasValue = i + 1 < argc;
        if (argument == "--events" && hasValue) {
            driver = true;
            if (!readCount(argv[++i], options.events)) {
                return usage(argv[0]);
            }
        } else if (argument == "--warmup" && hasValue) {
            if (!readCount(argv[++i], options.warmup)) {
                return usage(argv[0]);
            }
        } else if (argument == "--record") {
            driver = true;
            options.record = true;
        } else if (argument == "--module" && hasValue) {
            modulePath = argv[++i];
        } else if (argument == "--help" || argument == "-h") {
            return usage(argv[0]);
        } else {
            argv[kept++] = argv[i];
        }
    }
    argc = kept;

#if defined(VANTRY_BENCH_GOOGLE_BENCHMARK)
    if (!driver) {
        benchmark::RegisterBenchmark("event_mix", eventMixBenchmark);
        benchmark::Initialize(&argc, argv);
        if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
            return usage(argv[0]);
        }
        benchmark::RunSpecifiedBenchmarks();
        benchmark::Shutdown();
        return 0;
    }
#else
    if (!driver) {
        std::fprintf(stderr, "built without Google Benchmark: only the plain driver (--events N) is available\n");
    }
#endif
    if (argc > 1) {
        return usage(argv[0]);
    }
    return runDriver(options);
}
