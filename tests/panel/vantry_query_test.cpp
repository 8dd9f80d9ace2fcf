// Queries: the panel declares no return values, events or commands.
#include "panel_fixture.h"

#include "notify_codes.h"

namespace {

struct queryCase {
    const char* name;
    const char* text;
};

// Shown by the test runner in place of the raw bytes.
void PrintTo(const queryCase& c, std::ostream* out)
{
    *out << c.name;
}

const queryCase queryCases[] = {
    {"ReturnAll", "return=all"},
    {"ReturnWithoutValue", "return"},
    {"ReturnOther", "return=some"},
    {"Events", "_events"},
    {"EventsWithValue", "_events=all"},
    {"Commands", "_commands"},
    {"Unknown", "volume=all"},
    {"Empty", ""},
    {"Null", nullptr},
};

class PanelQuery : public panelTest, public ::testing::WithParamInterface<queryCase> {};

TEST_P(PanelQuery, HasNoReplyAndSendsNothing)
{
    const char* reply = panel->query(GetParam().text);
    EXPECT_EQ(reply, nullptr) << "reply: " << reply;
    if (reply != nullptr) {
        panel->script()->notify(const_cast<char*>(reply), notifyRelease);
    }
    EXPECT_COMMANDS(commands(), std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(Query, PanelQuery, ::testing::ValuesIn(queryCases), caseName());

}  // namespace
