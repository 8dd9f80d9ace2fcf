#include "listen_address.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace panel_host {

namespace {

struct addressCase {
    const char* text;
    bool valid;
    bool loopback;
    std::vector<std::string> hosts;
};

class ListenAddress : public ::testing::TestWithParam<addressCase> {};

TEST_P(ListenAddress, ParsesAndNamesTheHostsItAccepts)
{
    const addressCase& c = GetParam();
    const listenAddressParse parsed = parseListenAddress(c.text);
    ASSERT_EQ(parsed.address.has_value(), c.valid) << parsed.error;
    if (c.valid) {
        EXPECT_EQ(parsed.address->isLoopback(), c.loopback);
        EXPECT_EQ(parsed.address->acceptedHosts(), c.hosts);
    } else {
        EXPECT_FALSE(parsed.error.empty());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ListenAddress,
    ::testing::Values(addressCase{"127.0.0.1:8630", true, true, {"127.0.0.1:8630", "localhost:8630"}},
                      addressCase{"localhost:0", true, true, {"localhost:0", "127.0.0.1:0"}},
                      addressCase{"127.0.0.2:80", true, true, {"127.0.0.2:80", "localhost:80", "127.0.0.1:80"}},
                      addressCase{"192.168.1.5:8630", true, false, {"192.168.1.5:8630"}},
                      addressCase{"127.0.0.1", false, false, {}}, addressCase{"127.0.0.1:", false, false, {}},
                      addressCase{"127.0.0.1:65536", false, false, {}}, addressCase{"127.0.0.1:-1", false, false, {}},
                      addressCase{"127.0.0.1:99999999999999999999", false, false, {}},
                      addressCase{":8630", false, false, {}}, addressCase{"example.com:80", false, false, {}},
                      addressCase{"1.2.3:80", false, false, {}}));

}  // namespace

}  // namespace panel_host
