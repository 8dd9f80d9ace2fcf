#include "build_paths.h"
#include "session_relay.h"

#include <boost/asio/io_context.hpp>
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

namespace panel_host {

namespace {

using namespace std::chrono_literals;

// A copy of the routing panel's module in a folder of its own.
std::filesystem::path moduleCopy()
{
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() /
        ("session_relay_" + std::string(testing::UnitTest::GetInstance()->current_test_info()->name()) + "." +
         std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    const std::filesystem::path module = folder / "module.so";
    std::filesystem::copy_file(buildPaths::vantryModule, module, std::filesystem::copy_options::overwrite_existing);
    return module;
}

// A session of a copy of the module, relayed while following rebuilds, that
// has run "choose Sources 5"; stopped at the end.
class SessionRelay : public testing::Test {
protected:
    void SetUp() override
    {
        std::string problem;
        ASSERT_TRUE(relay.start(problem)) << problem;
        framesUntil("\"state\"");
        relay.serving();
        ASSERT_TRUE(sendLine("choose Sources 5"));
        ASSERT_TRUE(outcomesUntil(1));
        EXPECT_TRUE(outcomes[0].done) << outcomes[0].reason;
    }

    void TearDown() override
    {
        relay.stop();
        if (!hub.ended()) {
            framesUntil("\"end\"");
        }
        EXPECT_EQ(hub.ending().value("failed", true), false);
        while (!relay.finished()) {
            drive();
        }
        hub.close(at);
        std::filesystem::remove_all(module.parent_path());
    }

    bool sendLine(const std::string& line)
    {
        return relay.send(line, [this](const operatorOutcome& outcome) { outcomes.push_back(outcome); });
    }

    // Drives the relay until `count` outcomes came (or 20 s passed).
    bool outcomesUntil(std::size_t count)
    {
        const auto giveUp = std::chrono::steady_clock::now() + 20s;
        while (outcomes.size() < count && std::chrono::steady_clock::now() < giveUp) {
            drive();
        }
        return outcomes.size() >= count;
    }

    // Runs what the relay waits for, for a moment.
    void drive()
    {
        io.restart();
        io.run_for(20ms);
    }

    // The hub's events from here on, until one holds `wanted` (or 20 s passed).
    std::string framesUntil(const std::string& wanted)
    {
        std::string seen;
        const auto giveUp = std::chrono::steady_clock::now() + 20s;
        while (seen.find(wanted) == std::string::npos && std::chrono::steady_clock::now() < giveUp) {
            drive();
            seen += hub.nextFrames(at);
        }
        return seen;
    }

    const std::filesystem::path module = moduleCopy();
    boost::asio::io_context io;
    eventHub hub;
    eventHub::cursor at = hub.open();
    sessionRelay relay{io, {module.string(), buildPaths::layouts, ""}, hub, true};
    std::vector<operatorOutcome> outcomes;
};

TEST_F(SessionRelay, ABrokenBuildIsANoticeAndTheNextBuildGetsTheLinesSoFar)
{
    ASSERT_TRUE(sendLine("press Nope"));
    ASSERT_TRUE(outcomesUntil(2));
    EXPECT_FALSE(outcomes[1].done || outcomes[1].refusedNow) << "no such control";
    std::filesystem::remove(module);
    std::ofstream(module) << "not a module\n";
    relay.reload(true, 5s);
    const std::string broken = framesUntil(R"("failed":true,"message":"the session could not start)");
    EXPECT_NE(broken.find("send(0) AS"), std::string::npos) << "the old script was deleted";
    EXPECT_FALSE(hub.ended()) << "the session waits for the next rebuild";
    EXPECT_FALSE(sendLine("press Clear")) << "no session takes lines";

    // Every notice as it is published: the reload's start must not read as
    // a session that works again.
    eventHub::cursor watching = hub.open();
    hub.nextFrames(watching);
    std::vector<std::string> notices;
    hub.setListener([this, &watching, &notices] {
        const std::string frames = hub.nextFrames(watching);
        if (frames.find(R"("event":"notice")") != std::string::npos) {
            notices.push_back(frames);
        }
    });
    std::filesystem::copy_file(buildPaths::vantryModule, module, std::filesystem::copy_options::overwrite_existing);
    relay.reload(true, 5s);
    const std::string reloaded = framesUntil("> choose Sources 5");
    hub.setListener({});
    hub.close(watching);
    EXPECT_NE(reloaded.find("reloaded the module"), std::string::npos) << reloaded;
    EXPECT_EQ(reloaded.find("press Clear"), std::string::npos) << "a line no session took is not replayed";
    EXPECT_EQ(reloaded.find("press Nope"), std::string::npos) << "a line the session refused is not replayed";
    ASSERT_EQ(notices.size(), 2u);
    EXPECT_NE(notices[0].find(R"("failed":false,"message":"the module file changed; reloading it","reloading":true)"),
              std::string::npos)
        << notices[0];
    EXPECT_NE(notices[1].find("reloaded the module"), std::string::npos) << notices[1];
    EXPECT_EQ(notices[1].find("reloading\":true"), std::string::npos) << notices[1];
}

TEST_F(SessionRelay, AFreshReloadForgetsTheLinesSoFar)
{
    relay.reload(false, 5s);
    framesUntil("reloaded the module");
    ASSERT_TRUE(sendLine("choose Sources 7"));
    const std::string after = framesUntil("> choose Sources 7");
    EXPECT_EQ(after.find("> choose Sources 5"), std::string::npos) << "lines run in order: 5 would come first";
}

// The lines to replay are bounded: past the limit they are dropped, and the
// next reload starts afresh and says why.
TEST_F(SessionRelay, ASessionPastTheReplayLimitIsReloadedAfresh)
{
    relay.setReplayLimit(2);
    for (const char* line : {"choose Destinations 7", "choose Sources 6"}) {
        ASSERT_TRUE(sendLine(line));
    }
    ASSERT_TRUE(outcomesUntil(3));
    relay.reload(true, 5s);
    const std::string note = framesUntil("reloaded the module");
    EXPECT_NE(note.find("starting afresh: more than 2 operator lines, too many to replay"), std::string::npos) << note;
    ASSERT_TRUE(sendLine("choose Sources 8"));
    const std::string after = framesUntil("> choose Sources 8");
    EXPECT_EQ(after.find("> choose Sources 5"), std::string::npos) << "nothing was replayed";
}

TEST_F(SessionRelay, AStopDuringAReloadEndsWithTheOldSession)
{
    relay.reload(true, 5s);
    relay.stop();
    // The end is told before the process has gone: until then a reloaded
    // session could still start.
    std::string frames = framesUntil("\"end\"");
    const auto giveUp = std::chrono::steady_clock::now() + 20s;
    while (!relay.finished() && std::chrono::steady_clock::now() < giveUp) {
        drive();
        frames += hub.nextFrames(at);
    }
    EXPECT_TRUE(relay.finished());
    EXPECT_EQ(frames.find("reloaded the module"), std::string::npos) << "no session starts after the stop";
    EXPECT_NE(frames.find(R"({"failed":false,"message":"the session ended; the module was unloaded"},"event":"end")"),
              std::string::npos)
        << frames;
}

}  // namespace

}  // namespace panel_host
