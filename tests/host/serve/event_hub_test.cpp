#include "event_hub.h"

#include <gtest/gtest.h>

#include <string>

namespace panel_host {

namespace {

TEST(EventHub, EveryStreamGetsTheWholeStoryThenOnlyWhatIsNew)
{
    eventHub hub(2);
    hub.publish({{"log", {"one", "two", "three"}}});
    hub.publish({{"state", {{"n", 1}}}});
    eventHub::cursor first = hub.open();
    eventHub::cursor second = hub.open();
    const std::string opening = R"([{"data":{},"event":"reset"},)"
                                R"({"data":{"lines":["two","three"]},"event":"log"},)"
                                R"({"data":{"n":1},"event":"state"}])";
    EXPECT_EQ(hub.nextFrames(first), opening) << "the oldest line is no longer kept";
    EXPECT_EQ(hub.nextFrames(second), opening);
    EXPECT_EQ(hub.nextFrames(first), "") << "nothing new";

    int told = 0;
    hub.setListener([&told] { ++told; });
    hub.publish({{"log", {"four"}}});
    hub.publish({{"state", {{"n", 2}}}});
    EXPECT_EQ(told, 2) << "the listener hears of every publish";
    hub.setListener({});
    const std::string update = R"([{"data":{"lines":["four"]},"event":"log"},{"data":{"n":2},"event":"state"}])";
    EXPECT_EQ(hub.nextFrames(first), update);
    EXPECT_EQ(hub.nextFrames(second), update);

    hub.publish({{"end", {{"message", "over"}, {"failed", true}}}});
    EXPECT_FALSE(hub.endDelivered());
    EXPECT_EQ(hub.nextFrames(first), R"([{"data":{"failed":true,"message":"over"},"event":"end"}])");
    EXPECT_EQ(told, 2) << "a removed listener is not called";
    hub.close(first);
    hub.close(second);
    EXPECT_TRUE(hub.endDelivered()) << "a stream closed without the end is not waited for";
    EXPECT_EQ(hub.ending().value("message", ""), "over");
}

TEST(EventHub, ANoticeReachesOpenStreamsOnceAndANewStreamGetsOnlyTheLatest)
{
    eventHub hub;
    eventHub::cursor open = hub.open();
    hub.nextFrames(open);
    hub.publishNotice("reloading", false);
    hub.publishNotice("cannot load", true);
    const std::string latest = R"([{"data":{"failed":true,"message":"cannot load"},"event":"notice"}])";
    EXPECT_EQ(hub.nextFrames(open), latest);
    EXPECT_EQ(hub.nextFrames(open), "");
    eventHub::cursor later = hub.open();
    EXPECT_EQ(hub.nextFrames(later), R"([{"data":{},"event":"reset"},)" + latest.substr(1));
    EXPECT_FALSE(hub.ended()) << "a notice is not the end";
    hub.close(open);
    hub.close(later);
}

TEST(EventHub, TextThatIsNotUtf8IsSentWithReplacementCharacters)
{
    eventHub hub;
    hub.publish({{"log", {std::string("caf\xe9")}}});
    eventHub::cursor stream = hub.open();
    EXPECT_NE(hub.nextFrames(stream).find("caf\xef\xbf\xbd"), std::string::npos);
    hub.close(stream);
}

}  // namespace

}  // namespace panel_host
