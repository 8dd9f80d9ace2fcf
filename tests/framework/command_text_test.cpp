// Every command operation: the exact text it sends, and which replies it
// gives back to the host.
#include "debug_capture.h"
#include "recording_host.h"
#include "test_panel.h"

#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace {

struct commandCase {
    const char* name;
    const char* basePath;
    std::function<void(testPanel&)> issue;
    const char* text;
    bool readsReply;  // the reply is copied and given back
};

std::ostream& operator<<(std::ostream& out, const commandCase& c)
{
    return out << c.text;
}

commandCase on(const char* name, std::function<void(testPanel&)> issue, const char* text, bool readsReply = false)
{
    return {name, "", std::move(issue), text, readsReply};
}

commandCase showWithBase(const char* name, const char* basePath, const char* extra, const char* text)
{
    return {name, basePath, [extra](testPanel& p) { p.panelShow(one, "p1.morv_ui", extra); }, text, false};
}

commandCase reading(const char* name, std::function<void(testPanel&)> issue, const char* text)
{
    return on(name, std::move(issue), text, true);
}

void lookup(testPanel& p, const char* name)
{
    std::int32_t device = 0;
    p.deviceLookup(name, &device, nullptr);
}

void nameOf(testPanel& p, std::int32_t device, std::int32_t kind, std::int32_t index)
{
    morv_string name;
    p.routerName(device, kind, index, name);
}

class CommandText : public ::testing::TestWithParam<commandCase> {
protected:
    // Runs the operation on a panel of `host`, destroys the panel and returns
    // every command sent.
    static std::string issueOn(recordingHost& host)
    {
        const debugCapture quiet;
        {
            testPanel panel(&host, GetParam().basePath);
            GetParam().issue(panel);
        }
        return joinLines(host.commands());
    }
};

TEST_P(CommandText, SendsExactTextOnce)
{
    recordingHost host;
    EXPECT_EQ(issueOn(host), joinLines({GetParam().text}) + "AS\n");
}

TEST_P(CommandText, GivesBackReplyExactlyWhenItReadsIt)
{
    recordingHost host;
    host.answer("", "some reply");
    issueOn(host);
    EXPECT_EQ(joinLines(host.replyProblems()), "");
    EXPECT_EQ(host.releases().size(), GetParam().readsReply ? 1U : 0U);
}

TEST_P(CommandText, GivesBackNullReplyOnlyForRouterName)
{
    recordingHost host;
    issueOn(host);
    const bool routerName = std::string(GetParam().text).compare(0, 3, "RN ") == 0;
    const std::vector<recordingHost::call> releases = host.releases();
    EXPECT_EQ(releases.size(), routerName ? 1U : 0U);
    for (const recordingHost::call& c : releases) {
        EXPECT_EQ(c.pointer, nullptr);
    }
    EXPECT_EQ(joinLines(host.replyProblems()), "");
}

TEST_P(CommandText, WithoutHostGoesNowhereAndLeavesTheOperationSound)
{
    const debugCapture debug;
    testPanel panel(nullptr, GetParam().basePath);
    GetParam().issue(panel);
    EXPECT_FALSE(panel.operationFailed());
    EXPECT_EQ(debug.text(), "");
}

std::string caseName(const ::testing::TestParamInfo<commandCase>& info)
{
    return info.param.name;
}

INSTANTIATE_TEST_SUITE_P(
    PanelAndControl, CommandText,
    ::testing::Values(
        on(
            "Disable", [](testPanel& p) { p.controlDisable(one, "Take"); }, "CD '1' 'Take'"),
        on(
            "Enable", [](testPanel& p) { p.controlEnable(one, "Take"); }, "CE '1' 'Take'"),
        on(
            "EnableNameWithBlank", [](testPanel& p) { p.controlEnable(one, "a b"); }, "CE '1' 'a b'"),
        on(
            "PutPropertyAndValue", [](testPanel& p) { p.textPut("statesheet", "QF_TakeHigh", one, "Take"); },
            "TP 'statesheet=QF_TakeHigh' '1' 'Take'"),
        on(
            "PutEmptyValue", [](testPanel& p) { p.textPut("alarm", "", one, "alm_a"); }, "TP 'alarm=' '1' 'alm_a'"),
        on(
            "PutAssignment", [](testPanel& p) { p.textPut("select=-1", one, "Sources"); },
            "TP 'select=-1' '1' 'Sources'"),
        on(
            "PutDashes", [](testPanel& p) { p.textPut("text=---", one, "OldSrcName"); },
            "TP 'text=---' '1' 'OldSrcName'"),
        on(
            "PutApostropheUnescaped", [](testPanel& p) { p.textPut("text", "O'Neil", one, "NewSrcName"); },
            "TP 'text=O'Neil' '1' 'NewSrcName'"),
        reading(
            "GetSendsPropertyLast",
            [](testPanel& p) {
                morv_string result;
                p.textGet("value", one, "alm_a", result);
            },
            "TG '1' 'alm_a' 'value'"),
        showWithBase("ShowWithoutBasePath", "", "", "PS '1' 'p1.morv_ui'"),
        showWithBase("ShowWithBasePath", "/opt/panels", "", "PS '1' '/opt/panels/p1.morv_ui'"),
        showWithBase("ShowWithTrailingSlash", "/opt/panels/", "", "PS '1' '/opt/panels//p1.morv_ui'"),
        showWithBase("ShowWithExtra", "", "mode 2", "PS '1' 'p1.morv_ui' 'mode 2'"),
        showWithBase("ShowWithBasePathAndExtra", "C:\\panels", "x", "PS '1' 'C:\\panels/p1.morv_ui' 'x'"),
        reading(
            "List", [](testPanel& p) { p.controlList(one, "alm_"); }, "XI '1' 'alm_'"),
        reading(
            "ListEmptyFilter", [](testPanel& p) { p.controlList(one, ""); }, "XI '1' ''")),
    caseName);

INSTANTIATE_TEST_SUITE_P(
    DeviceAndRouter, CommandText,
    ::testing::Values(
        reading(
            "Lookup", [](testPanel& p) { lookup(p, "B4 Audio Router"); }, "SD 'B4 Audio Router'"),
        reading(
            "LookupApostropheUnescaped", [](testPanel& p) { lookup(p, "Bob's Router"); }, "SD 'Bob's Router'"),
        on(
            "Crosspoint", [](testPanel& p) { p.routerCrosspoint(1, 5, 12, "", false); }, "RC 1 5 12 ',' 0"),
        on(
            "CrosspointExtraAndFlag", [](testPanel& p) { p.routerCrosspoint(2, -3, 7, "x y", true); },
            "RC 2 -3 7 ',x y' 1"),
        on(
            "CrosspointExtremes", [](testPanel& p) { p.routerCrosspoint(INT_MIN, INT_MAX, -1, "", true); },
            "RC -2147483648 2147483647 -1 ',' 1"),
        reading(
            "NameOfSource", [](testPanel& p) { nameOf(p, 1, 0, 5); }, "RN 1 0 5"),
        reading(
            "NameOfDestination", [](testPanel& p) { nameOf(p, 1, 1, 12); }, "RN 1 1 12"),
        reading(
            "NameNegative", [](testPanel& p) { nameOf(p, -1, 0, -64); }, "RN -1 0 -64"),
        reading(
            "NameExtremes", [](testPanel& p) { nameOf(p, INT_MIN, 0, INT_MAX); }, "RN -2147483648 0 2147483647"),
        on(
            "Register", [](testPanel& p) { p.routerRegister(1, 1, 64, false); }, "RR 1 1 64"),
        on(
            "RegisterAdd", [](testPanel& p) { p.routerRegister(1, 1, 64, true); }, "RR 1 1 64 'ADD'"),
        on(
            "RegisterNegative", [](testPanel& p) { p.routerRegister(-1, -2, -3, false); }, "RR -1 -2 -3"),
        on(
            "RegisterAddNegative", [](testPanel& p) { p.routerRegister(-7, 0, -64, true); }, "RR -7 0 -64 'ADD'"),
        on(
            "RegisterAt31Characters", [](testPanel& p) { p.routerRegister(INT_MAX, INT_MAX, 123456, false); },
            "RR 2147483647 2147483647 123456"),
        on(
            "RegisterAddAt31Characters", [](testPanel& p) { p.routerRegister(INT_MAX, 123456789, 1, true); },
            "RR 2147483647 123456789 1 'ADD'"),
        on(
            "RegisterAddAt32Characters", [](testPanel& p) { p.routerRegister(INT_MAX, 123456789, 12, true); },
            "RR 2147483647 123456789 12 'ADD'"),
        on(
            "RegisterAddExtremes", [](testPanel& p) { p.routerRegister(INT_MIN, INT_MIN, INT_MIN, true); },
            "RR -2147483648 -2147483648 -2147483648 'ADD'"),
        on(
            "Poll", [](testPanel& p) { p.routerPoll(1, 1, 64); }, "RP 1 1 64"),
        on(
            "PollNegative", [](testPanel& p) { p.routerPoll(-5, 0, -64); }, "RP -5 0 -64"),
        on(
            "PollAt31Characters", [](testPanel& p) { p.routerPoll(INT_MAX, INT_MAX, 123456); },
            "RP 2147483647 2147483647 123456"),
        on(
            "PollAt32Characters", [](testPanel& p) { p.routerPoll(INT_MAX, INT_MAX, 1234567); },
            "RP 2147483647 2147483647 1234567"),
        on(
            "PollExtremes", [](testPanel& p) { p.routerPoll(INT_MIN, INT_MIN, INT_MIN); },
            "RP -2147483648 -2147483648 -2147483648")),
    caseName);

INSTANTIATE_TEST_SUITE_P(
    Timer, CommandText,
    ::testing::Values(on(
                          "Start", [](testPanel& p) { p.timerStart(1, 1000); }, "ET 1 1000"),
                      on(
                          "StartIntervalZeroStops", [](testPanel& p) { p.timerStart(1, 0); }, "ET 1"),
                      on(
                          "StartNegativeInterval", [](testPanel& p) { p.timerStart(2, -5); }, "ET 2 -5"),
                      on(
                          "StartExtremes", [](testPanel& p) { p.timerStart(INT_MIN, INT_MIN); },
                          "ET -2147483648 -2147483648"),
                      on(
                          "Stop", [](testPanel& p) { p.timerStop(1); }, "ET 1"),
                      on(
                          "StopNegative", [](testPanel& p) { p.timerStop(-1); }, "ET -1"),
                      on(
                          "StopExtreme", [](testPanel& p) { p.timerStop(INT_MIN); }, "ET -2147483648")),
    caseName);

}  // namespace
