// Creating and destroying panels through the module's export.
#include "address_space_cap.h"
#include "panel_fixture.h"

#include "notify_codes.h"
#include "tally_record_storage.h"

#include <cstdlib>
#include <string>

namespace {

using PanelLifecycle = panelTest;

TEST_F(PanelLifecycle, DestroyingSendsOnlyAsEvenWhileFlashing)
{
    panel->choose("Sources", 5);
    panel->choose("Destinations", 12);
    forget();
    panel->destroy();
    ASSERT_EQ(host.calls().size(), 1u) << joinLines(commands());
    EXPECT_EQ(host.calls().back().text, "AS");
    EXPECT_EQ(host.calls().back().code, 0);
}

TEST_F(PanelLifecycle, UnknownNotificationsDoNothing)
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

#if ADDRESS_SPACE_CAP_TESTS
// Caps the address space just above what is in use, creates a panel with the
// huge folder and asks a script the huge query, lifts the cap and creates it
// again: 0 when both calls under the cap gave null (sending nothing more) and
// the panel starts once memory is back.
int loadWhileCappedThenFree(morvEntryPoint load, const std::string& huge)
{
    recordingHost host;
    host.answer("SD ", "7");
    addressSpaceCap cap(16u << 20);
    const bool refused = load(&host, huge.c_str()) == nullptr;
    morv_client_callback* script = load(&host, "");
    const std::size_t sent = host.calls().size();
    const bool queryRefused =
        script != nullptr && script->notify(const_cast<char*>(huge.c_str()), notifyQuery) == nullptr;
    const bool silent = host.calls().size() == sent;
    cap.lift();
    morv_client_callback* big = load(&host, huge.c_str());
    const bool recovered = big != nullptr && host.calls().size() > sent;
    destroyScript(big);
    destroyScript(script);
    return refused && queryRefused && silent && recovered ? 0 : 1;
}

// In a child process whose address space is capped just above what it uses,
// so that the panel cannot copy a 64 MB layout folder or query text: the
// export and a query give null and the child lives; once the cap is lifted
// the same calls succeed.
TEST(PanelExport, GivesNullWhenMemoryRunsOutAndWorksOnceItIsBack)
{
    if (!addressSpaceCap::available()) {
        GTEST_SKIP() << "valgrind keeps its own address space; the cap would starve it";
    }
    const morvEntryPoint load = panelEntryPoint();
    ASSERT_NE(load, nullptr);
    const std::string huge(64u << 20, 'x');
    EXPECT_EXIT(std::exit(loadWhileCappedThenFree(load, huge)), ::testing::ExitedWithCode(0), "");
}
#endif

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
