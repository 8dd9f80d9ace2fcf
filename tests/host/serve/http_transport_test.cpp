#include "http_transport.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>

namespace panel_host {

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

// A connected socket to 127.0.0.1:port, or -1.
int connectTo(std::uint16_t port)
{
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (fd >= 0 && connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

// Everything the server sends until it closes; "(open)" when it has not
// closed within 5 s.
std::string readToEnd(int fd)
{
    const timeval limit{5, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    std::string text;
    char buffer[512];
    ssize_t count = 0;
    while ((count = read(fd, buffer, sizeof buffer)) > 0) {
        text.append(buffer, static_cast<std::size_t>(count));
    }
    return count == 0 ? text : text + "(open)";
}

TEST(HttpTransport, AConnectionOverTheLimitIsToldWhyAndAnIdleOneIsClosed)
{
    eventHub hub;
    const requestHandler handler({}, hub, [](const std::string&) { return true; }, "");
    transportLimits limits;
    limits.connections = 1;
    limits.requestSeconds = 1;
    httpTransport transport(hub, limits);
    listenAddress address{"127.0.0.1", 0};
    std::string problem;
    ASSERT_TRUE(transport.bind(address, false, problem)) << problem;
    transport.start(handler);

    const int idle = connectTo(address.port);
    ASSERT_GE(idle, 0);
    usleep(100000);  // the first is accepted before the second comes
    const int over = connectTo(address.port);
    ASSERT_GE(over, 0);
    EXPECT_NE(readToEnd(over).find("503 Service Unavailable"), std::string::npos);
    EXPECT_EQ(readToEnd(idle), "") << "closed after its time limit without an answer";
    close(over);
    close(idle);
    transport.stop();
}

}  // namespace

}  // namespace panel_host
