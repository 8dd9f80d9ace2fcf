// Results of the device lookup and the router name request.
#include "notify_codes.h"
#include "recording_host.h"
#include "test_panel.h"

#include <gtest/gtest.h>

#include <climits>
#include <optional>
#include <ostream>
#include <string>

namespace {

struct lookupCase {
    const char* reply;
    std::int32_t device;
    std::int32_t second;
};

std::ostream& operator<<(std::ostream& out, const lookupCase& c)
{
    return out << ::testing::PrintToString(c.reply);
}

class DeviceLookupReply : public ::testing::TestWithParam<lookupCase> {};

TEST_P(DeviceLookupReply, TokensReadAsLeadingIntegers)
{
    const lookupCase& c = GetParam();
    recordingHost host;
    host.answer("SD", std::string(c.reply));
    testPanel panel(&host);
    std::int32_t device = 99;
    std::int32_t second = 99;
    EXPECT_TRUE(panel.deviceLookup("B4 Audio Router", &device, &second));
    EXPECT_EQ(device, c.device);
    EXPECT_EQ(second, c.second);
    EXPECT_EQ(host.releases().size(), 1U);
    EXPECT_EQ(joinLines(host.replyProblems()), "");
}

INSTANTIATE_TEST_SUITE_P(Table, DeviceLookupReply,
                         ::testing::Values(lookupCase{"3 7", 3, 7}, lookupCase{"12", 12, 0}, lookupCase{"", 0, 0},
                                           lookupCase{"abc xyz", 0, 0}, lookupCase{"12abc 0x10", 12, 0},
                                           lookupCase{"-4 +5", -4, 5}, lookupCase{"12 '7 8'", 12, 7},
                                           lookupCase{"'5 x' 6", 0, 5}, lookupCase{" 4 5", 0, 4},
                                           lookupCase{"\t7 8", 7, 8},
                                           lookupCase{"2147483647 -2147483648", INT_MAX, INT_MIN},
                                           lookupCase{"99999999999 -99999999999", INT_MAX, INT_MIN},
                                           lookupCase{"2147483648 -2147483649", INT_MAX, INT_MIN}));

TEST(DeviceLookup, NullReplyGivesFalseZerosAndNoGiveBack)
{
    recordingHost host;
    testPanel panel(&host);
    std::int32_t device = 99;
    std::int32_t second = 99;
    EXPECT_FALSE(panel.deviceLookup("B4 Audio Router", &device, &second));
    EXPECT_EQ(device, 0);
    EXPECT_EQ(second, 0);
    EXPECT_EQ(joinLines(host.commands()), joinLines({"SD 'B4 Audio Router'"}));
    EXPECT_EQ(host.releases().size(), 0U);
}

TEST(DeviceLookup, WithoutHostGivesFalseAndZeros)
{
    testPanel panel(nullptr);
    std::int32_t device = 99;
    std::int32_t second = 99;
    EXPECT_FALSE(panel.deviceLookup("B4 Audio Router", &device, &second));
    EXPECT_EQ(device, 0);
    EXPECT_EQ(second, 0);
}

TEST(DeviceLookup, EitherOutputMayBeNull)
{
    recordingHost host;
    host.answer("SD", std::string("3 7"));
    testPanel panel(&host);
    std::int32_t device = 99;
    EXPECT_TRUE(panel.deviceLookup("router", &device, nullptr));
    EXPECT_EQ(device, 3);
    std::int32_t second = 99;
    EXPECT_TRUE(panel.deviceLookup("router", nullptr, &second));
    EXPECT_EQ(second, 7);
    EXPECT_TRUE(panel.deviceLookup("router", nullptr, nullptr));
    EXPECT_EQ(host.releases().size(), 3U);
    EXPECT_EQ(joinLines(host.replyProblems()), "");
}

TEST(DeviceLookup, NameIsTakenByValueAndLeftAlone)
{
    recordingHost host;
    testPanel panel(&host);
    const morv_string name("B4 Audio Router");
    panel.deviceLookup(name, nullptr, nullptr);
    EXPECT_STREQ(name.c_str(), "B4 Audio Router");
}

struct nameCase {
    std::optional<std::string> reply;
    const char* name;
};

std::ostream& operator<<(std::ostream& out, const nameCase& c)
{
    return out << "reply " << (c.reply ? '"' + *c.reply + '"' : "null");
}

class RouterName : public ::testing::TestWithParam<nameCase> {};

TEST_P(RouterName, ReplyBecomesNameAndIsAlwaysGivenBack)
{
    const nameCase& c = GetParam();
    recordingHost host;
    host.answer("RN", c.reply);
    testPanel panel(&host);
    morv_string name("previous");
    panel.routerName(1, 0, 5, name);
    EXPECT_STREQ(name.c_str(), c.name);
    ASSERT_EQ(host.calls().size(), 2U);
    EXPECT_EQ(host.calls()[1].code, sendRelease);
    EXPECT_EQ(joinLines(host.replyProblems()), "");
}

INSTANTIATE_TEST_SUITE_P(Table, RouterName,
                         ::testing::Values(nameCase{"Mic 5", "Mic 5"}, nameCase{"", ""}, nameCase{"it's=x", "it's=x"},
                                           nameCase{std::nullopt, "previous"}));

TEST(RouterName, NullReplyIsStillGivenBackAsNull)
{
    recordingHost host;
    testPanel panel(&host);
    morv_string name("previous");
    panel.routerName(1, 1, 12, name);
    ASSERT_EQ(host.calls().size(), 2U);
    EXPECT_EQ(host.calls()[1].code, sendRelease);
    EXPECT_EQ(host.calls()[1].pointer, nullptr);
}

// Within a failed operation "RN" is held back, and a reply that never came
// is not given back either.
TEST(RouterName, NotSentInAFailedOperationGivesNothingBack)
{
    recordingHost host;
    host.answer("RN", "Mic 5");
    testPanel panel(&host);
    panel.textPut("text", morv_string(0, ' ', UINT_MAX, 10), "1", "A");
    morv_string name("previous");
    panel.routerName(1, 0, 5, name);
    EXPECT_STREQ(name.c_str(), "previous");
    EXPECT_TRUE(host.calls().empty());
}

TEST(RouterName, WithoutHostLeavesNameAlone)
{
    testPanel panel(nullptr);
    morv_string name("previous");
    panel.routerName(1, 0, 5, name);
    EXPECT_STREQ(name.c_str(), "previous");
}

}  // namespace
