#include "scenario_line.h"

#include <gtest/gtest.h>

#include <string>

namespace panel_host {

namespace {

// help is for interactive sessions: it lists what they take, and not the
// settings, which only scenario files take (a session has options for them).
TEST(ScenarioHelp, ListsTheLinesASessionTakesAndNoSetting)
{
    const std::string help = scenarioLanguageHelp();
    for (const char* taken : {"choose CONTROL NUMBER|none", "press CONTROL", "wait DURATION", "tally DEVICE",
                              "expect COMMAND", "answer TEXT|null", "show", "help, quit"}) {
        EXPECT_NE(help.find(taken), std::string::npos) << taken;
    }
    for (const char* setting : {"Settings", "layouts PATH", "router PATH", "path [TEXT]", "host passive"}) {
        EXPECT_EQ(help.find(setting), std::string::npos) << setting;
    }
}

}  // namespace

}  // namespace panel_host
