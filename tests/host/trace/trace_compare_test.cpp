#include "trace_compare.h"
#include "trace_router.h"
#include "two_panel_trace.h"

#include "router_config.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace panel_host {

namespace {

// Taken with another router than ours: source 2 is "Mic 2", destination 2
// carries source 3, and another controller routes source 1 to destination
// 2 at the end; its timer 1 runs late, early, misses a tick and ticks once
// after it was stopped.
const char* const otherRouterTrace =
    "morv-trace 1\n"
    "0 7 0 trace module=\"m\" inner=\"i\" pid=1 cap=100\n"
    "0 7 1 load host=0x10 path=\"/panels\"\n"
    "0 7 1 send 0 \"SD 'B4 Audio Router'\" -> 0x20 \"1 'B4 Audio Router'\"\n"
    "0 7 1 send 5 0x20\n"
    "0 7 1 send 0 \"RR 1 1 2\" -> null\n"
    "0 7 1 send 0 \"RP 1 1 2\" -> null\n"
    "0 7 1 created 0x30\n"
    "1 7 1 notify 1 tally device=1 index=1 value=1 text=\"Source 1\"\n"
    "1 7 1 returned null\n"
    "1 7 1 notify 1 tally device=1 index=2 value=3 text=\"Source 3\"\n"
    "1 7 1 returned null\n"
    "100 7 1 notify 2 button panel=\"1\" control=\"Sources\" event=\"select=2\"\n"
    "100 7 1 send 0 \"RN 1 0 2\" -> 0x40 \"Mic 2\"\n"
    "100 7 1 send 5 0x40\n"
    "100 7 1 send 0 \"ET 1 1000\" -> null\n"
    "100 7 1 returned null\n"
    "1110 7 1 notify 4 timer 1\n"
    "1110 7 1 returned null\n"
    "2160 7 1 notify 4 timer 1\n"
    "2160 7 1 returned null\n"
    "3010 7 1 notify 4 timer 1\n"
    "3010 7 1 returned null\n"
    "5010 7 1 notify 4 timer 1\n"
    "5010 7 1 send 0 \"ET 1\" -> null\n"
    "5010 7 1 returned null\n"
    "5100 7 1 notify 4 timer 1\n"
    "5100 7 1 returned null\n"
    "6000 7 1 notify 1 tally device=1 index=2 value=1 text=\"Source 1\"\n"
    "6000 7 1 returned null\n"
    "6000 7 1 destroy\n"
    "6000 7 1 send 0 \"AS\" -> null\n"
    "6000 7 1 destroyed\n"
    "6001 7 0 unload\n";

// A trace text, checked as the tools check one first.
traceSource checked(const char* text)
{
    const traceSource source = traceSource::text("t.trace", text);
    const traceCheck check = checkTrace(source);
    EXPECT_TRUE(check.ok) << check.error;
    return source;
}

traceSource otherRouter()
{
    return checked(otherRouterTrace);
}

// The differences "LINE: TEXT" of a trace against our host with `devices`.
std::vector<std::string> differencesWith(std::vector<routerDevice> devices, const traceSource& source = otherRouter())
{
    compareSetup setup;
    setup.devices = std::move(devices);
    std::vector<std::string> lines;
    for (const traceDifference& d : compareTrace(source, setup)) {
        lines.push_back(std::to_string(d.line) + ": " + d.text);
    }
    return lines;
}

const std::vector<std::string> timerDifferences = {
    "20: timer 1 ticked 50 ms late: 1050 ms after its last tick or start, interval 1000 ms",
    "22: timer 1 ticked 150 ms early: 850 ms after its last tick or start, interval 1000 ms",
    "24: timer 1 ticked 2000 ms after its last tick or start; ours would have ticked 1 more time(s) before "
    "(interval 1000 ms)",
    "27: the real host ticked timer 1, which ours does not run (never started, or stopped)",
};
const char* const otherControllersTally =
    "29: the real host delivered tally device 1 index 2 value 1 text 'Source 1', which ours would not have raised";

TEST(TraceCompare, ListsExactlyWhereAHostWithAnotherRouterDiffersFromOurs)
{
    routerDevice ours;
    ours.name = "B4 Audio Router";
    ours.number = 1;
    ours.sources = {"Source 1", "Source 2", "Source 3"};
    ours.destinations = {"Destination 1", "Destination 2"};
    ours.routes = {1, 2};
    std::vector<std::string> expected = {
        "7: ours would have raised tally device 1 index 2 value 2 text 'Source 2' after RP 1 1 2; the real host "
        "delivered none",
        "11: the real host delivered tally device 1 index 2 value 3 text 'Source 3', which ours would not have "
        "raised",
        "14: the reply to RN 1 0 2: the real host answered \"Mic 2\", ours answers \"Source 2\"",
    };
    expected.insert(expected.end(), timerDifferences.begin(), timerDifferences.end());
    expected.push_back(otherControllersTally);
    EXPECT_EQ(differencesWith({ours}), expected);
}

TEST(TraceCompare, WithTheRouterTheTraceShowsOnlyTheTimersAndTheOtherControllerDiffer)
{
    const std::vector<routerDevice> shown = routersOfTrace(otherRouter());
    const routerConfigResult reread = parseRouterConfig(routerConfigText(shown));
    ASSERT_TRUE(reread.ok) << reread.error;
    ASSERT_EQ(reread.devices.size(), 1u);
    const routerDevice& device = reread.devices.front();
    EXPECT_EQ(device.name, "B4 Audio Router");
    EXPECT_EQ(device.sources, (std::vector<std::string>{"Source 1", "Mic 2", "Source 3"}));
    EXPECT_EQ(device.destinations, (std::vector<std::string>{"Destination 1", "Destination 2"}));
    EXPECT_EQ(device.routes, (std::vector<std::int32_t>{1, 3}));
    std::vector<std::string> expected = timerDifferences;
    expected.push_back(otherControllersTally);
    EXPECT_EQ(differencesWith(reread.devices), expected);
}

// The tally panel 2 got from panel 1's route is one ours raises too.
TEST(TraceCompare, RunsEveryInstanceOnOneHostWithItsOwnTimers)
{
    EXPECT_EQ(differencesWith(defaultRouterDevices(), checked(twoPanelTrace)),
              (std::vector<std::string>{"21: timer 1 of instance 2 runs every 1000 ms, but the real host did not tick "
                                        "it in the last 3010 ms of the trace"}));
}

}  // namespace

}  // namespace panel_host
