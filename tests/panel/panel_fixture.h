#pragma once

#include "panel_session.h"
#include "recording_host.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// Texts the panel sends again and again, byte for byte.
namespace sent {
const std::string enableTake = "CE '1' 'Take'";
const std::string disableTake = "CD '1' 'Take'";
const std::string startFlash = "ET 1 1000";
const std::string stopFlash = "ET 1";
const std::string takeHigh = "TP 'statesheet=QF_TakeHigh' '1' 'Take'";
const std::string takeLow = "TP 'statesheet=QF_TakeLow' '1' 'Take'";
const std::vector<std::string> reset = {"TP 'select=-1' '1' 'Sources'",   "TP 'select=-1' '1' 'Destinations'",
                                        "TP 'text=-' '1' 'Old'",          "TP 'text=-' '1' 'New'",
                                        "TP 'text=-' '1' 'Did'",          "TP 'text=---' '1' 'OldSrcName'",
                                        "TP 'text=---' '1' 'NewSrcName'", "TP 'text=---' '1' 'DestName'"};
// Choosing source 5 (named "Mic 5").
const std::vector<std::string> source5 = {"TP 'text=5' '1' 'New'", "RN 7 0 5", "TP 'text=Mic 5' '1' 'NewSrcName'"};
// Choosing destination 12 (named "Studio 12"), on which the router reports
// source 3 ("Tape 3").
const std::vector<std::string> destination12 = {
    "TP 'text=12' '1' 'Did'", "RN 7 1 12", "TP 'text=Studio 12' '1' 'DestName'",
    "TP 'text=3' '1' 'Old'",  "RN 7 0 3",  "TP 'text=Tape 3' '1' 'OldSrcName'"};
const std::vector<std::string> noSource = {"TP 'text=-' '1' 'New'", "TP 'text=---' '1' 'NewSrcName'"};
const std::vector<std::string> noDestination = {"TP 'text=-' '1' 'Did'", "TP 'text=---' '1' 'DestName'",
                                                "TP 'text=-' '1' 'Old'", "TP 'text=---' '1' 'OldSrcName'"};
}  // namespace sent

// The sequences joined in order.
std::vector<std::string> concat(std::initializer_list<std::vector<std::string>> parts);

// A panel loaded through the module for a host that finds the router as
// device 7, knows a few names and has reported source 3 on destination 12.
// Each test starts with the start-up commands forgotten, and ends by checking
// that the panel gave back exactly the replies it had to.
class panelTest : public ::testing::Test {
protected:
    static constexpr std::int32_t router = 7;

    void SetUp() override;
    void TearDown() override;

    // The commands the host received since the last forget().
    std::vector<std::string> commands() const { return host.commands(); }
    void forget() { host.clearCalls(); }

    recordingHost host;
    std::unique_ptr<panelSession> panel;
};

// Names parameterised cases after the `name` field of their parameter.
struct caseName {
    template <class Case>
    std::string operator()(const ::testing::TestParamInfo<Case>& tested) const
    {
        return tested.param.name;
    }
};

// Compares whole command sequences so that a failure shows both in full.
#define EXPECT_COMMANDS(got, want) EXPECT_EQ(joinLines(got), joinLines(want))
