#include "server/HttpListener.h"

#include "support/WaitUntil.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <future>
#include <memory>
#include <tuple>
#include <vector>

using namespace server;

namespace {

// One raw keep-alive socket: requests written by hand, answers read whole.
class RawSocket {
public:
    explicit RawSocket(int port)
        : fd(socket(AF_INET, SOCK_STREAM, 0))
    {
        sockaddr_in address {};
        std::tie(address.sin_family, address.sin_port, address.sin_addr.s_addr) = std::tuple(AF_INET, htons(static_cast<uint16_t>(port)), htonl(INADDR_LOOPBACK));
        EXPECT_EQ(connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    }
    ~RawSocket() { close(fd); }

    bool send(const std::string& text) { return ::send(fd, text.data(), text.size(), MSG_NOSIGNAL) == ssize_t(text.size()); }
    void get(const std::string& target) { EXPECT_TRUE(send("GET " + target + " HTTP/1.1\r\nHost: test\r\n\r\n")); }
    // The whole answer (headers and body), empty when none came within the time.
    std::string answer(int timeoutMs = 10000)
    {
        std::string text;
        pollfd wait { fd, POLLIN, 0 };
        char buffer[4096];
        ssize_t got = 0;
        while (!complete(text) && poll(&wait, 1, timeoutMs) == 1 && (got = recv(fd, buffer, sizeof buffer, 0)) > 0)
            text.append(buffer, size_t(got));
        return complete(text) ? text : "";
    }
    // Whether the server closed the connection.
    bool closed()
    {
        char next = 0;
        ssize_t got = recv(fd, &next, 1, MSG_PEEK | MSG_DONTWAIT);
        return got == 0 || (got < 0 && errno != EAGAIN && errno != EWOULDBLOCK);
    }

private:
    static bool complete(const std::string& text)
    {
        size_t end = text.find("\r\n\r\n");
        size_t length = text.find("Content-Length: ");
        return end != std::string::npos && length < end && text.size() >= end + 4 + std::stoul(text.substr(length + 16));
    }

    int fd;
};

// A listener whose "/slow" answers wait for the test's word; every answer echoes the
// path and the parameter "n".
struct HttpListenerTest : testing::Test {
    std::unique_ptr<HttpListener> listener;
    std::promise<void> release;
    std::shared_future<void> released { release.get_future().share() };
    std::atomic<int> slowStarted { 0 };
    int port = -1;

    void start(HttpListenerOptions options)
    {
        auto answer = [this](const HttpRequest& request) {
            if (request.path == "/slow") {
                ++slowStarted;
                released.wait();
            }
            HttpResponse response;
            response.setContent(request.path + " " + request.param("n") + ";", "text/plain");
            return response;
        };
        listener = std::make_unique<HttpListener>(options, answer, [](const HttpRequest& request) { return request.path == "/slow"; });
        port = listener->start("127.0.0.1", 0);
        ASSERT_GT(port, 0);
    }
};

// The query's values arrive decoded, a plus as a blank.
TEST_F(HttpListenerTest, TheOnlyEventThreadServesManyKeepAliveConnectionsWhileASlowAnswerWaitsOnAWorker)
{
    start({ 1, 1, 30, std::chrono::seconds(10) });
    RawSocket slow(port);
    slow.get("/slow?n=1");
    std::vector<std::unique_ptr<RawSocket>> sockets;
    for (int i = 0; i < 300; ++i)
        sockets.push_back(std::make_unique<RawSocket>(port));
    for (int round = 0; round < 2; ++round) {
        for (size_t i = 0; i < sockets.size(); ++i)
            sockets[i]->get("/fast?n=" + std::to_string(i) + "+%40" + std::to_string(round));
        // Read up to the first wrong answer rather than asserted: the slow answer must still
        // be released below.
        size_t right = 0;
        while (right < sockets.size() && sockets[right]->answer().find("\r\n\r\n/fast " + std::to_string(right) + " @" + std::to_string(round) + ";") != std::string::npos)
            ++right;
        EXPECT_EQ(right, sockets.size()) << "round " << round;
    }
    EXPECT_EQ(slow.answer(100), "");
    release.set_value();
    EXPECT_NE(slow.answer().find("/slow 1;"), std::string::npos);
    // The resumed connection goes on serving.
    slow.get("/fast?n=3");
    EXPECT_NE(slow.answer().find("/fast 3;"), std::string::npos);
}

// The deadline closes clients too slow to send a request; stopping waits for the slow
// answers under way.
TEST_F(HttpListenerTest, ClientsTooSlowToSendARequestAreClosedAndStopWaitsForSlowAnswers)
{
    start({ 1, 1, 30, std::chrono::milliseconds(300) });
    RawSocket silent(port), dribbler(port), keptAlive(port), good(port);
    keptAlive.get("/fast?n=0");
    ASSERT_NE(keptAlive.answer(), "");
    ASSERT_TRUE(dribbler.send("GET /fast HTTP/1.1\r\nX-Slow: "));
    EXPECT_TRUE(waitUntil([&] {
        dribbler.send("x");
        good.get("/fast?n=1");
        EXPECT_NE(good.answer(1000).find("/fast 1;"), std::string::npos);
        return dribbler.closed() && silent.closed();
    },
        std::chrono::seconds(2)));
    // An idle keep-alive connection has its idle time before the deadline counts.
    EXPECT_FALSE(keptAlive.closed());

    RawSocket slow(port);
    slow.get("/slow?n=4");
    ASSERT_TRUE(waitUntil([&] { return slowStarted > 0; }));
    std::thread releaser([this] { release.set_value(); });
    listener->stop();
    releaser.join();
    // Its answer may or may not have left before the connection was closed.
    slow.answer(1000);
    EXPECT_TRUE(waitUntil([&] { return slow.closed(); }));
    HttpListener other(
        {}, [](const HttpRequest&) { return HttpResponse(); }, [](const HttpRequest&) { return false; });
    EXPECT_EQ(other.start("203.0.113.1", 0), -1) << "an address not ours";
}

} // namespace
