// Command texts are built in a buffer on the stack when they are short and in
// one heap block when they are longer: the texts either side of that boundary
// and far beyond it are sent whole.
#include "recording_host.h"
#include "test_panel.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// "TP 'text=VALUE' '1' 'Take'" is 21 characters besides the value.
constexpr std::size_t putOverhead = 21;

TEST(LongCommand, PutAtEveryLengthAroundTheStackBufferIsSentWhole)
{
    for (std::size_t length = 100; length <= 140; ++length) {
        const std::string value(length - putOverhead, 'v');
        const std::string expected = "TP 'text=" + value + "' '1' 'Take'";
        ASSERT_EQ(expected.size(), length);
        recordingHost host;
        {
            testPanel panel(&host, "");
            panel.textPut("text", value.c_str(), one, "Take");
        }
        const std::vector<std::string> sent = host.commands();
        ASSERT_EQ(sent.size(), 2U);
        EXPECT_EQ(sent[0], expected) << "a command of " << length << " characters";
    }
}

TEST(LongCommand, EveryFieldOfAVeryLongCommandIsSent)
{
    const std::string panelName(3000, 'p');
    const std::string control(5000, 'c');
    const std::string property(700, 'n');
    recordingHost host;
    {
        testPanel panel(&host, "");
        morv_string result;
        panel.textGet(property.c_str(), panelName.c_str(), control.c_str(), result);
        panel.controlEnable(panelName.c_str(), control.c_str());
    }
    const std::vector<std::string> sent = host.commands();
    ASSERT_EQ(sent.size(), 3U);
    EXPECT_EQ(sent[0], "TG '" + panelName + "' '" + control + "' '" + property + "'");
    EXPECT_EQ(sent[1], "CE '" + panelName + "' '" + control + "'");
}

}  // namespace
