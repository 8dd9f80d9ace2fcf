#include "event_hub.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>

namespace {

constexpr std::chrono::milliseconds noWait{0};

TEST(EventHub, EveryStreamGetsTheWholeStoryThenOnlyWhatIsNew)
{
    eventHub hub(2);
    hub.publish({{"log", {"one", "two", "three"}}});
    hub.publish({{"state", {{"n", 1}}}});
    eventHub::cursor first = hub.open();
    eventHub::cursor second = hub.open();
    const std::string opening = "event: reset\ndata: {}\n\n"
                                "event: log\ndata: {\"lines\":[\"two\",\"three\"]}\n\n"
                                "event: state\ndata: {\"n\":1}\n\n";
    EXPECT_EQ(hub.nextFrames(first, noWait), opening) << "the oldest line is no longer kept";
    EXPECT_EQ(hub.nextFrames(second, noWait), opening);
    EXPECT_EQ(hub.nextFrames(first, noWait), "") << "nothing new";

    hub.publish({{"log", {"four"}}});
    hub.publish({{"state", {{"n", 2}}}});
    const std::string update = "event: log\ndata: {\"lines\":[\"four\"]}\n\nevent: state\ndata: {\"n\":2}\n\n";
    EXPECT_EQ(hub.nextFrames(first, noWait), update);
    EXPECT_EQ(hub.nextFrames(second, noWait), update);

    hub.publish({{"end", {{"message", "over"}, {"failed", true}}}});
    EXPECT_FALSE(hub.waitUntilEndDelivered(noWait));
    EXPECT_EQ(hub.nextFrames(first, noWait), "event: end\ndata: {\"failed\":true,\"message\":\"over\"}\n\n");
    hub.close(first);
    hub.close(second);
    EXPECT_TRUE(hub.waitUntilEndDelivered(noWait)) << "a stream closed without the end is not waited for";
    EXPECT_EQ(hub.ending().value("message", ""), "over");
}

TEST(EventHub, TextThatIsNotUtf8IsSentWithReplacementCharacters)
{
    eventHub hub;
    hub.publish({{"log", {std::string("caf\xe9")}}});
    eventHub::cursor stream = hub.open();
    EXPECT_NE(hub.nextFrames(stream, noWait).find("caf\xef\xbf\xbd"), std::string::npos);
    hub.close(stream);
}

}  // namespace
