#include "panel_fixture.h"

std::vector<std::string> concat(std::initializer_list<std::vector<std::string>> parts)
{
    std::vector<std::string> all;
    for (const std::vector<std::string>& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

void panelTest::SetUp()
{
    host.answer("SD ", "7 'B4 Audio Router'");
    host.answer("RN 7 0 5", "Mic 5");
    host.answer("RN 7 0 4", "Line 4");
    host.answer("RN 7 0 3", "Tape 3");
    host.answer("RN 7 1 12", "Studio 12");
    host.answer("RN 7 1 9", "Booth 9");
    panel = std::make_unique<panelSession>(&host, "");
    ASSERT_NE(panel->script(), nullptr);
    panel->tally(router, 12, 3, "Tape 3");
    forget();
}

void panelTest::TearDown()
{
    panel.reset();
    EXPECT_EQ(joinLines(host.replyProblems()), "");
}
