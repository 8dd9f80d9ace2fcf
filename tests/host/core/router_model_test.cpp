#include "router_config.h"
#include "router_model.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace panel_host {

namespace {

TEST(DefaultRouter, HasSixtyFourNamedSourcesAndDestinationsRoutedStraightThrough)
{
    const std::vector<routerDevice> devices = defaultRouterDevices();
    ASSERT_EQ(devices.size(), 1u);
    const routerDevice& router = devices[0];
    EXPECT_EQ(router.name, "B4 Audio Router");
    EXPECT_EQ(router.number, 1);
    ASSERT_EQ(router.sources.size(), 64u);
    ASSERT_EQ(router.destinations.size(), 64u);
    EXPECT_EQ(router.sources[4], "Source 5");
    EXPECT_EQ(router.destinations[63], "Destination 64");
    EXPECT_EQ(router.routes[6], 7);
}

TEST(RouterModel, RegisteredDestinationReportsEveryRouteEvenWhenUnchanged)
{
    routerModel router(defaultRouterDevices());
    std::vector<tallyData> reported;
    router.setTallySink([&reported](const tallyData& t) { reported.push_back(t); });
    EXPECT_EQ(router.registerRange(1, 1, 7, 7, false), "");
    EXPECT_EQ(router.route(1, 7, 7), "");
    ASSERT_EQ(reported.size(), 1u);
    EXPECT_EQ(reported[0].device, 1);
    EXPECT_EQ(reported[0].index, 7);
    EXPECT_EQ(reported[0].value, 7);
    EXPECT_EQ(reported[0].text, "Source 7");
}

TEST(RouterModel, RangesReachingOutsideTheRouterKeepTheirInsidePart)
{
    routerModel router(defaultRouterDevices());
    std::vector<std::int32_t> polled;
    router.setTallySink([&polled](const tallyData& t) { polled.push_back(t.index); });
    EXPECT_EQ(router.poll(1, 1, 63, 70), "destinations 63 to 70 reach outside 1 to 64 of B4 Audio Router");
    EXPECT_EQ(polled, (std::vector<std::int32_t>{63, 64}));
    EXPECT_EQ(router.registerRange(1, 1, -5, 2, false),
              "destinations -5 to 2 reach outside 1 to 64 of B4 Audio Router");
    EXPECT_EQ(router.devices()[0].registered.at(1), (std::set<std::int32_t>{1, 2}));
    EXPECT_EQ(router.poll(1, 1, 5, 4), "B4 Audio Router has no destinations 5 to 4");
}

// One router serves every script instance: a route reaches each instance
// registered for the destination, a poll only the instance that polled, and
// an instance that goes forgets only its own registrations.
TEST(RouterModel, EachInstanceRegisteredGetsTheTallyOfARoute)
{
    routerModel router(defaultRouterDevices());
    std::vector<std::string> reported;
    router.setTallySink([&reported](const tallyData& t) {
        reported.push_back(std::to_string(t.instance) + ":" + std::to_string(t.index) + "<-" + std::to_string(t.value));
    });
    router.registerRange(2, 1, 1, 8, false);
    router.registerRange(1, 1, 7, 7, false);
    router.registerRange(3, 1, 9, 9, false);
    router.route(1, 5, 7);
    router.poll(2, 1, 1, 1);
    router.clearRegistrations(2);
    router.route(1, 6, 7);
    EXPECT_EQ(reported, (std::vector<std::string>{"1:7<-5", "2:7<-5", "2:1<-1", "1:7<-6"}));
}

TEST(RouterModel, UnroutedDestinationReportsSourceZeroWithoutAName)
{
    routerDevice device;
    device.name = "Small";
    device.number = 4;
    device.sources = {"A"};
    device.destinations = {"X", "Y"};
    device.routes = {1};
    routerModel router({device});
    std::vector<tallyData> reported;
    router.setTallySink([&reported](const tallyData& t) { reported.push_back(t); });
    router.poll(1, 4, 1, 2);
    ASSERT_EQ(reported.size(), 2u);
    EXPECT_EQ(reported[1].value, 0);
    EXPECT_EQ(reported[1].text, "");
    EXPECT_EQ(router.name(4, 0, 0), std::nullopt);
}

TEST(RouterConfig, ReadsDevicesWithTheirNamesAndRoutes)
{
    const routerConfigResult config = parseRouterConfig(R"({"devices": [
        {"name": "Studio", "number": 3, "sources": ["Mic", "Line"], "destinations": ["Out A", "Out B", "Out C"],
         "routes": [2, 0]}]})");
    ASSERT_TRUE(config.ok) << config.error;
    ASSERT_EQ(config.devices.size(), 1u);
    EXPECT_EQ(config.devices[0].name, "Studio");
    EXPECT_EQ(config.devices[0].number, 3);
    routerModel router(config.devices);
    EXPECT_EQ(router.devices()[0].routes, (std::vector<std::int32_t>{2, 0, 0}));
}

struct badConfig {
    const char* json;
    const char* error;
};

class RouterConfigRejected : public testing::TestWithParam<badConfig> {};

TEST_P(RouterConfigRejected, SaysWhatIsWrong)
{
    const routerConfigResult config = parseRouterConfig(GetParam().json);
    EXPECT_FALSE(config.ok);
    EXPECT_NE(config.error.find(GetParam().error), std::string::npos) << config.error;
    EXPECT_TRUE(config.devices.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Table, RouterConfigRejected,
    testing::Values(
        badConfig{"{", "not valid JSON"},
        badConfig{"[]", "the configuration must be an object with a non-empty array \"devices\""},
        badConfig{R"({"devices": []})", "the configuration must be an object with a non-empty array \"devices\""},
        badConfig{R"({"devices": [7]})", "device 1 must be an object"},
        badConfig{R"({"devices": [{"number": 1, "sources": [], "destinations": []}]})",
                  "device 1: \"name\" must be a text"},
        badConfig{R"({"devices": [{"name": "Bob's", "number": 1, "sources": [], "destinations": []}]})",
                  "device 1: \"name\" \"Bob's\" holds an apostrophe"},
        badConfig{R"({"codePage": 1252, "devices": [{"name": "R", "number": 1, "sources": [],
                     "destinations": []}]})",
                  "\"codePage\" must be \"windows-1252\" or \"utf-8\""},
        badConfig{R"({"devices": [{"name": "R", "number": 0, "sources": [], "destinations": []}]})",
                  "device 1: \"number\" must be a whole number from 1 to 2147483647"},
        badConfig{R"({"devices": [{"name": "R", "number": 1, "sources": "x", "destinations": []}]})",
                  "device 1: \"sources\" must be an array of names"},
        badConfig{R"({"devices": [{"name": "R", "number": 1, "sources": ["a\u0000"], "destinations": []}]})",
                  "device 1: entry 1 of \"sources\" \"a\\x00\" holds NUL, where a host text ends"},
        badConfig{R"({"devices": [{"name": "R", "number": 1, "sources": ["a"], "destinations": ["b"],
                     "routes": [2]}]})",
                  "device 1: every route must be a source number from 0 (none) to 1"},
        badConfig{R"({"devices": [{"name": "R", "number": 1, "sources": ["a"], "destinations": ["b"],
                     "routes": [1, 1]}]})",
                  "device 1: \"routes\" must be an array with at most one source number per destination"},
        badConfig{R"({"devices": [{"name": "R", "number": 1, "sources": [], "destinations": []},
                                  {"name": "S", "number": 1, "sources": [], "destinations": []}]})",
                  "device 2: name and number must be unique"}));

TEST(RouterConfig, AMissingFileIsAnError)
{
    const routerConfigResult config = loadRouterConfig("/no/such/router.json");
    EXPECT_FALSE(config.ok);
    EXPECT_EQ(config.error, "router file /no/such/router.json: no such file");
}

}  // namespace

}  // namespace panel_host
