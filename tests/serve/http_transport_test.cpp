#include "http_transport.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(HttpTransport, APortInUseIsNeverShared)
{
    eventHub hub;
    httpTransport first(hub);
    httpTransport second(hub);
    listenAddress taken{"127.0.0.1", 0};
    std::string problem;
    ASSERT_TRUE(first.bind(taken, false, problem)) << problem;

    listenAddress same = taken;
    EXPECT_FALSE(second.bind(same, false, problem));
    EXPECT_NE(problem.find("in use"), std::string::npos) << problem;

    listenAddress searched = taken;
    ASSERT_TRUE(second.bind(searched, true, problem)) << problem;
    EXPECT_NE(searched.port, taken.port) << "the search goes on to a really free port";
}

}  // namespace
