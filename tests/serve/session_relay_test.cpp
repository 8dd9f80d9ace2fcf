#include "session_relay.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

namespace {

using namespace std::chrono_literals;

// The hub's events from `at` on, until one holds `wanted` (or 20 s passed).
std::string framesUntil(eventHub& hub, eventHub::cursor& at, const std::string& wanted)
{
    std::string seen;
    const auto giveUp = std::chrono::steady_clock::now() + 20s;
    while (seen.find(wanted) == std::string::npos && std::chrono::steady_clock::now() < giveUp) {
        seen += hub.nextFrames(at, 200ms);
    }
    return seen;
}

// A copy of the routing panel's module in a folder of its own.
std::filesystem::path moduleCopy(const std::string& test)
{
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("session_relay_" + test + "." + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    const std::filesystem::path module = folder / "module.so";
    std::filesystem::copy_file(VANTRY_MODULE_FILE, module, std::filesystem::copy_options::overwrite_existing);
    return module;
}

TEST(SessionRelay, FollowingRebuildsABrokenModuleIsANoticeAndTheNextBuildGetsTheLinesSoFar)
{
    const std::filesystem::path module = moduleCopy("replay");
    eventHub hub;
    eventHub::cursor at = hub.open();
    sessionRelay relay({module.string(), SERVE_TEST_LAYOUTS, ""}, hub, true);
    std::string problem;
    ASSERT_TRUE(relay.start(problem)) << problem;
    framesUntil(hub, at, "\"state\"");
    relay.serving();
    ASSERT_TRUE(relay.send("choose Sources 5"));
    framesUntil(hub, at, "> choose Sources 5");

    std::filesystem::remove(module);
    std::ofstream(module) << "not a module\n";
    relay.reload(true, 5s);
    const std::string broken = framesUntil(hub, at, R"("failed":true,"message":"the session could not start)");
    EXPECT_NE(broken.find("send(0) AS"), std::string::npos) << "the old script was deleted";
    EXPECT_FALSE(hub.ended()) << "the session waits for the next rebuild";
    EXPECT_FALSE(relay.send("press Clear")) << "no session takes lines";

    std::filesystem::copy_file(VANTRY_MODULE_FILE, module, std::filesystem::copy_options::overwrite_existing);
    relay.reload(true, 5s);
    const std::string reloaded = framesUntil(hub, at, "> choose Sources 5");
    EXPECT_NE(reloaded.find("reloaded the module"), std::string::npos) << reloaded;
    EXPECT_EQ(reloaded.find("press Clear"), std::string::npos) << "a refused line is not replayed";

    relay.stop();
    framesUntil(hub, at, "\"end\"");
    EXPECT_EQ(hub.ending().value("failed", true), false);
    relay.join();
    hub.close(at);
    std::filesystem::remove_all(module.parent_path());
}

TEST(SessionRelay, AFreshReloadForgetsTheLinesSoFar)
{
    const std::filesystem::path module = moduleCopy("fresh");
    eventHub hub;
    eventHub::cursor at = hub.open();
    sessionRelay relay({module.string(), SERVE_TEST_LAYOUTS, ""}, hub, true);
    std::string problem;
    ASSERT_TRUE(relay.start(problem)) << problem;
    framesUntil(hub, at, "\"state\"");
    relay.serving();
    ASSERT_TRUE(relay.send("choose Sources 5"));
    framesUntil(hub, at, "> choose Sources 5");

    relay.reload(false, 5s);
    framesUntil(hub, at, "reloaded the module");
    ASSERT_TRUE(relay.send("choose Sources 7"));
    const std::string after = framesUntil(hub, at, "> choose Sources 7");
    EXPECT_EQ(after.find("> choose Sources 5"), std::string::npos) << "lines run in order: 5 would come first";

    relay.stop();
    framesUntil(hub, at, "\"end\"");
    relay.join();
    hub.close(at);
    std::filesystem::remove_all(module.parent_path());
}

}  // namespace
