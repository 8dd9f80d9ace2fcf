#include "http_transport.h"

#include <boost/asio/post.hpp>
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>
#include <thread>
#include <vector>

namespace panel_host {

namespace {

TEST(HttpTransport, APortInUseIsNeverShared)
{
    boost::asio::io_context io;
    eventHub hub;
    httpTransport first(io, hub);
    httpTransport second(io, hub);
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

// A started transport, served on a thread of the test while the test is a
// client; stopped at the end.
class servedTransport {
public:
    servedTransport(eventHub& hub, const requestHandler& handler, transportLimits limits = {})
        : transport_(io_, hub, limits)
    {
        std::string problem;
        EXPECT_TRUE(transport_.bind(address, false, problem)) << problem;
        transport_.start(handler);
        serving_ = std::thread([this] { io_.run(); });
    }
    ~servedTransport()
    {
        boost::asio::post(io_, [this] { transport_.stop(); });
        serving_.join();
    }
    servedTransport(const servedTransport&) = delete;
    servedTransport& operator=(const servedTransport&) = delete;

    listenAddress address{"127.0.0.1", 0};

private:
    boost::asio::io_context io_;
    httpTransport transport_;
    std::thread serving_;
};

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
    const requestHandler handler(
        {}, hub, [](const std::string&, const outcomeSink&) { return true; }, "");
    transportLimits limits;
    limits.connections = 1;
    limits.requestSeconds = 1;
    const servedTransport served(hub, handler, limits);
    const listenAddress& address = served.address;

    const int idle = connectTo(address.port);
    ASSERT_GE(idle, 0);
    usleep(100000);  // the first is accepted before the second comes
    const int over = connectTo(address.port);
    ASSERT_GE(over, 0);
    const std::string request = "GET /state HTTP/1.1\r\nHost: " + address.hostHeader() + "\r\n\r\n";
    ASSERT_EQ(send(over, request.data(), request.size(), MSG_NOSIGNAL), static_cast<ssize_t>(request.size()));
    EXPECT_NE(readToEnd(over).find("503 Service Unavailable"), std::string::npos);
    EXPECT_EQ(readToEnd(idle), "") << "closed after its time limit without an answer";
    close(over);
    close(idle);
}

// A client that writes its whole request before it reads, as many scripts
// and libraries do, must still get the refusal of a body over the limit.
TEST(HttpTransport, AClientStillSendingABodyOverTheLimitGetsTheRefusal)
{
    eventHub hub;
    const requestHandler handler(
        {}, hub, [](const std::string&, const outcomeSink&) { return true; }, "");
    const servedTransport served(hub, handler);
    const listenAddress& address = served.address;

    const int client = connectTo(address.port);
    ASSERT_GE(client, 0);
    const std::string body(10 << 20, 'x');
    const std::string request = "POST /press HTTP/1.1\r\nHost: " + address.hostHeader() +
                                "\r\nContent-Type: application/json\r\nContent-Length: " + std::to_string(body.size()) +
                                "\r\n\r\n" + body;
    std::size_t written = 0;
    ssize_t count = 0;
    while (written < request.size() &&
           (count = send(client, request.data() + written, request.size() - written, MSG_NOSIGNAL)) > 0) {
        written += static_cast<std::size_t>(count);
    }
    EXPECT_EQ(written, request.size()) << "the server reads on until the client is done";
    shutdown(client, SHUT_WR);
    const std::string answer = readToEnd(client);
    EXPECT_EQ(answer.rfind("HTTP/1.1 413 ", 0), 0u) << answer;
    EXPECT_NE(answer.find("the body is over 1024 bytes\n"), std::string::npos) << answer;
    close(client);
}

// An action is answered when the session has judged it, however late; a
// stop lets a connection still waiting go.
TEST(HttpTransport, AnActionIsAnsweredOnceTheSessionHasJudgedIt)
{
    eventHub hub;
    hub.publish({{"state", nlohmann::json::object()}});
    std::vector<outcomeSink> held;  // the sink answers each line when the next one comes
    const requestHandler handler(
        {"panel.test"}, hub,
        [&held](const std::string&, outcomeSink answered) {
            for (const outcomeSink& waiting : held) {
                waiting({true, false, ""});
            }
            held.assign(1, std::move(answered));
            return true;
        },
        "");
    std::string first;
    {
        const servedTransport served(hub, handler);
        const std::string body = R"({"control": "Clear"})";
        const std::string press =
            "POST /press HTTP/1.1\r\nHost: panel.test\r\nContent-Type: application/json\r\n"
            "Connection: close\r\nContent-Length: " +
            std::to_string(body.size()) + "\r\n\r\n" + body;
        const int waiting = connectTo(served.address.port);
        const int next = connectTo(served.address.port);
        ASSERT_GE(waiting, 0);
        ASSERT_GE(next, 0);
        ASSERT_EQ(send(waiting, press.data(), press.size(), MSG_NOSIGNAL), static_cast<ssize_t>(press.size()));
        usleep(100000);
        ASSERT_EQ(send(next, press.data(), press.size(), MSG_NOSIGNAL), static_cast<ssize_t>(press.size()));
        first = readToEnd(waiting);
        close(waiting);
        // `next` waits for a line that never comes; the stop cuts it off.
        close(next);
    }
    EXPECT_NE(first.find("202 Accepted"), std::string::npos) << first;
    EXPECT_NE(first.find("press Clear"), std::string::npos) << first;
}

// A header a request may carry once that comes twice would leave the checks
// judging only one of them: the page's own Origin before a foreign one, a
// Host the server answers before one it does not.
TEST(HttpTransport, AHeaderThatMayComeOnceIsRefusedWhenItComesTwice)
{
    eventHub hub;
    const requestHandler handler(
        {"panel.test"}, hub, [](const std::string&, const outcomeSink&) { return true; }, "");
    const servedTransport served(hub, handler);
    const std::string upgrade =
        "Connection: Upgrade\r\nUpgrade: websocket\r\nSec-WebSocket-Version: 13\r\n"
        "Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\n";
    const std::string press = "POST /press HTTP/1.1\r\nHost: panel.test\r\nContent-Length: 2\r\n";
    const struct {
        const char* header;
        std::string request;
    } rows[] = {
        {"Host", "GET /state HTTP/1.1\r\nHost: panel.test\r\nHost: evil.example\r\n\r\n"},
        {"Origin",
         "GET /events HTTP/1.1\r\nHost: panel.test\r\nOrigin: http://panel.test\r\n"
         "Origin: http://evil.example\r\n" +
             upgrade + "\r\n"},
        {"Content-Type", press + "Content-Type: application/json\r\nContent-Type: text/plain\r\n\r\n{}"},
        {"Cookie", press + "Content-Type: application/json\r\nCookie: a=1\r\nCookie: b=2\r\n\r\n{}"},
    };
    for (const auto& row : rows) {
        const int client = connectTo(served.address.port);
        ASSERT_GE(client, 0);
        ASSERT_EQ(send(client, row.request.data(), row.request.size(), MSG_NOSIGNAL),
                  static_cast<ssize_t>(row.request.size()));
        shutdown(client, SHUT_WR);
        const std::string answer = readToEnd(client);
        close(client);
        EXPECT_EQ(answer.rfind("HTTP/1.1 400 ", 0), 0u) << row.header << ": " << answer;
        EXPECT_NE(answer.find("the request has more than one " + std::string(row.header) + " header\n"),
                  std::string::npos)
            << answer;
    }
}

}  // namespace

}  // namespace panel_host
