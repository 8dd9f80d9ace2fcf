// Creating and destroying panels through the module's export.
#include "panel_fixture.h"

#include "notify_codes.h"
#include "tally_record_storage.h"

#include <new>

namespace {

using panelLifecycle = panelTest;

TEST_F(panelLifecycle, DestroyingSendsOnlyAsEvenWhileFlashing)
{
    panel->choose("Sources", 5);
    panel->choose("Destinations", 12);
    forget();
    panel->destroy();
    ASSERT_EQ(host.calls().size(), 1u) << joinLines(commands());
    EXPECT_EQ(host.calls().back().text, "AS");
    EXPECT_EQ(host.calls().back().code, 0);
}

TEST_F(panelLifecycle, UnknownNotificationsDoNothing)
{
    for (const std::int32_t code : {0, 6, 7, 8, -1}) {
        int record = 0;
        EXPECT_EQ(panel->script()->notify(&record, code), nullptr) << "code " << code;
    }
    EXPECT_COMMANDS(commands(), std::vector<std::string>{});
}

TEST(PanelWithoutHost, HandlesEveryEventAndSendsNothing)
{
    panelSession panel(nullptr, "");
    ASSERT_NE(panel.script(), nullptr);
    panel.tally(0, 12, 3, "Tape 3");
    panel.choose("Sources", 5);
    panel.choose("Destinations", 12);
    panel.tick(1);
    panel.tick(2);
    panel.press("Take");
    panel.choose("Destinations", 65);
    panel.press("Clear");
    EXPECT_EQ(panel.query("return=all"), nullptr);
    panel.destroy();
}

// A host whose every command fails with an exception, as a broken host or an
// exhausted allocator might.
class throwingHost final : public script_host {
public:
    virtual ~throwingHost() = default;
    void reserved() override {}
    const char* send(const char* /*text*/, std::int32_t /*code*/) override
    {
        throw std::bad_alloc();
    }
};

TEST(PanelExport, GivesNullWhenStartUpFails)
{
    throwingHost host;
    const morvEntryPoint load = panelEntryPoint();
    ASSERT_NE(load, nullptr);
    morv_client_callback* script = nullptr;
    EXPECT_NO_THROW(script = load(&host, ""));
    EXPECT_EQ(script, nullptr);
    destroyScript(script);
}

TEST(PanelsSideBySide, KeepTheirOwnHostAndState)
{
    recordingHost firstHost;
    recordingHost secondHost;
    firstHost.answer("SD ", "7");
    secondHost.answer("SD ", "7");
    panelSession first(&firstHost, "");
    panelSession second(&secondHost, "");
    ASSERT_NE(first.script(), second.script());
    firstHost.clearCalls();
    secondHost.clearCalls();

    first.tally(7, 12, 3, "Tape 3");
    first.choose("Sources", 5);
    second.choose("Destinations", 12);
    // The first panel's source and tally are not the second's: no arming,
    // and its table still holds 0 for destination 12.
    const std::vector<std::string> want = {"TP 'text=12' '1' 'Did'", "RN 7 1 12", "TP 'text=' '1' 'DestName'",
                                           "TP 'text=0' '1' 'Old'",  "RN 7 0 0",  "TP 'text=' '1' 'OldSrcName'"};
    EXPECT_COMMANDS(secondHost.commands(), want);

    first.destroy();
    EXPECT_EQ(firstHost.commands().back(), "AS");
    secondHost.clearCalls();
    second.choose("Sources", 5);
    EXPECT_EQ(secondHost.commands().back(), "ET 1 1000");
    second.destroy();
    EXPECT_EQ(joinLines(firstHost.replyProblems()), "");
    EXPECT_EQ(joinLines(secondHost.replyProblems()), "");
}

}  // namespace
