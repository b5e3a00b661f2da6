#include "NetTestSupport.h"
#include "support/LocalHttpServer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <sstream>
#include <vector>

namespace {

DownloaderOptions quickOptions()
{
    DownloaderOptions options;
    options.stallTime = 1;
    options.answerLimit = 4096;
    options.idleWait = 20;
    return options;
}

class DownloaderTest : public testing::Test {
protected:
    void SetUp() override
    {
        auto& routes = server.server;
        routes.Get("/hello", [this](const httplib::Request&, httplib::Response& response) {
            response.set_content("hello", "text/plain");
            ++served;
        });
        routes.Get("/status", [this](const httplib::Request& request, httplib::Response& response) {
            response.status = std::stoi(request.get_param_value("code"));
            response.set_content(request.get_param_value("body"), "text/plain");
            ++served;
        });
        routes.Get("/redirect", [this](const httplib::Request&, httplib::Response& response) {
            response.set_redirect("/hello");
            ++served;
        });
        routes.Get("/delay", [this](const httplib::Request& request, httplib::Response& response) {
            std::this_thread::sleep_for(std::chrono::milliseconds(std::stoi(request.get_param_value("ms"))));
            response.set_content("delayed", "text/plain");
            ++served;
        });
        routes.Get("/gate", [this](const httplib::Request&, httplib::Response& response) {
            gate.pass();
            response.set_content("late", "text/plain");
            ++served;
        });
        routes.Get("/size", [this](const httplib::Request& request, httplib::Response& response) {
            response.set_content(std::string(std::stoul(request.get_param_value("n")), 'x'), "text/plain");
            ++served;
        });
        routes.Get("/body", [this](const httplib::Request& request, httplib::Response& response) {
            response.set_content(request.get_param_value("text"), "text/plain");
            ++served;
        });
        server.start();
        client.startThread();
    }

    void TearDown() override
    {
        gate.open();
        client.stop();
        EXPECT_EQ(client.waitThread(), 0);
    }

    std::string url(const std::string& path) const { return server.baseUrl() + path; }

    // Waits until the server has answered `count` requests, then gives the download
    // thread time to take the ended transfers in.
    void settle(int count)
    {
        ASSERT_TRUE(waitUntil([&] { return served >= count; }));
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
    }

    Gate gate;
    std::atomic<int> served { 0 };
    LocalHttpServer server;
    Downloader client { quickOptions() };
};

TEST_F(DownloaderTest, DeliversEachAnswerByIdWhateverTheHttpStatus)
{
    struct Case {
        std::string path;
        int status;
        std::string body;
    };
    const std::vector<Case> cases = {
        { "/hello", 0, "hello" },
        { "/status?code=404&body=missing", 0, "missing" },
        { "/status?code=500&body=broken", 0, "broken" },
        { "/redirect", 0, "hello" },
        { "/size?n=4096", 0, std::string(4096, 'x') },
        { "/size?n=4097", -1, "" },
        { "/size?n=100000", -1, "" },
    };
    std::vector<int> ids;
    for (const Case& each : cases)
        ids.push_back(client.download(url(each.path), BatchRequest, nullptr));
    for (size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(cases[i].path);
        EXPECT_EQ(ids[i], int(i) + 1);
        std::optional<Answer> answer = waitForAnswer(client, ids[i]);
        ASSERT_TRUE(answer);
        EXPECT_EQ(answer->status, cases[i].status);
        EXPECT_EQ(body(*answer), cases[i].body);
        EXPECT_EQ(answer->length, cases[i].body.size());
        if (answer->bytes) {
            EXPECT_EQ(answer->bytes.get()[answer->length], '\0');
        }
    }
}

TEST_F(DownloaderTest, RefusedConnectionFailsWithoutAnswer)
{
    LocalHttpServer closed;
    closed.start();
    // A stop that comes before the listening loop runs would be missed.
    ASSERT_TRUE(waitUntil([&] { return closed.server.is_running(); }));
    closed.stop();
    int id = client.download(closed.baseUrl() + "/hello", RaceRequest, nullptr);
    std::optional<Answer> answer = waitForAnswer(client, id);
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->status, -1);
    EXPECT_EQ(answer->bytes, nullptr);
    EXPECT_EQ(answer->length, 0u);
}

TEST_F(DownloaderTest, StalledServerEndsInFailure)
{
    int id = client.download(url("/gate"), BatchRequest, nullptr);
    std::optional<Answer> answer = waitForAnswer(client, id);
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->status, -1);
}

TEST_F(DownloaderTest, OversizedAnswerIsReportedOnStandardOutput)
{
    StdoutCapture output;
    int id = client.download(url("/size?n=5000"), BatchRequest, nullptr);
    std::optional<Answer> answer = waitForAnswer(client, id);
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->status, -1);
    EXPECT_EQ(output.text(), "Answer of download 1 exceeds 4096 bytes; transfer stopped\n");
}

TEST_F(DownloaderTest, IdsStartAgainFromOneOnlyWhenIdleWithNothingToCollect)
{
    // Transfers of an unknown scheme fail at once, without a socket.
    int last = 0;
    while (last < 10000) {
        std::vector<int> ids;
        for (int i = 0; i < 1000; ++i)
            ids.push_back(client.download("unknown://nowhere", RaceRequest, nullptr));
        for (int id : ids) {
            ASSERT_EQ(id, ++last);
            std::optional<Answer> answer = waitForAnswer(client, id);
            ASSERT_TRUE(answer);
            EXPECT_EQ(answer->status, -1);
        }
    }
    int waiting = client.download(url("/hello"), RaceRequest, nullptr);
    EXPECT_EQ(waiting, 10001);
    settle(1);
    int next = client.download(url("/hello"), RaceRequest, nullptr);
    EXPECT_EQ(next, 10002) << "the counter must not start again while an answer waits";
    ASSERT_TRUE(waitForAnswer(client, waiting));
    ASSERT_TRUE(waitForAnswer(client, next));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_EQ(client.download(url("/hello"), RaceRequest, nullptr), 1);
}

TEST_F(DownloaderTest, CancelledResultsAreDroppedWhetherTheyArriveBeforeOrAfter)
{
    int inFlight = client.download(url("/gate"), BatchRequest, nullptr);
    client.cancel(inFlight);
    int arrived = client.download(url("/hello"), BatchRequest, nullptr);
    settle(1);
    client.cancel(arrived);
    gate.open();
    settle(2);

    int later = client.download(url("/hello"), BatchRequest, nullptr);
    std::optional<Answer> answer = waitForAnswer(client, later);
    ASSERT_TRUE(answer) << "a poll that drops a cancelled result still delivers its own";
    EXPECT_EQ(body(*answer), "hello");
    Answer dropped;
    EXPECT_FALSE(client.pollById(inFlight, dropped));
    EXPECT_FALSE(client.pollById(arrived, dropped));
    EXPECT_EQ(dropped.bytes, nullptr);
}

TEST_F(DownloaderTest, PollByKindTakesTransfersInTheOrderTheyEnded)
{
    int users[3] = {};
    const char* paths[3] = { "/delay?ms=400", "/delay?ms=200", "/delay?ms=0" };
    for (int i = 0; i < 3; ++i)
        client.download(url(paths[i]), TextureRequest, &users[i]);
    int wind = client.download(url("/hello"), WindRequest, nullptr);
    settle(4);

    for (int expected : { 3, 2, 1 }) {
        Answer answer;
        ASSERT_TRUE(client.pollByKind(TextureRequest, answer));
        EXPECT_EQ(answer.id, expected);
        EXPECT_EQ(answer.user, &users[expected - 1]);
        EXPECT_EQ(body(answer), "delayed");
    }
    Answer answer;
    EXPECT_FALSE(client.pollByKind(TextureRequest, answer));
    ASSERT_TRUE(client.pollByKind(WindRequest, answer));
    EXPECT_EQ(answer.id, wind);
}

std::vector<std::string> sortedLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);)
        lines.push_back(line);
    std::sort(lines.begin(), lines.end());
    return lines;
}

TEST_F(DownloaderTest, OkRequestsReportOnlyAnswersNotBeginningWithOk)
{
    const std::vector<std::string> accepted = { "<result>OK</result>", "<result>OK\n3 4</result>", "x<result>OKAY</result>y" };
    const std::vector<std::string> refused = { "<result>FAIL</result>", "OK", "", "<result> OK</result>" };
    StdoutCapture output;
    for (const std::string& text : accepted)
        client.download(url("/body?text=" + escape(text)), OkRequest, nullptr);
    settle(int(accepted.size()));
    std::vector<std::string> expected;
    for (const std::string& text : refused) {
        int id = client.download(url("/body?text=" + escape(text)), OkRequest, nullptr);
        expected.push_back("Invalid response for download " + std::to_string(id) + ": '" + text + "'");
    }
    std::sort(expected.begin(), expected.end());
    waitUntil([&] { return sortedLines(output.text()).size() >= expected.size(); });
    EXPECT_EQ(sortedLines(output.text()), expected);
    Answer answer;
    EXPECT_FALSE(client.pollByKind(OkRequest, answer));
}

TEST(DownloaderLifetime, StopWhileIdleEndsTheThreadAtOnce)
{
    Downloader idle;
    idle.startThread();
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    auto start = std::chrono::steady_clock::now();
    idle.stop();
    EXPECT_EQ(idle.waitThread(), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

TEST(DownloaderLifetime, DestroyingARunningDownloaderAbandonsItsTransfers)
{
    Gate gate;
    std::atomic<bool> entered { false };
    LocalHttpServer server;
    server.server.Get("/gate", [&](const httplib::Request&, httplib::Response& response) {
        entered = true;
        gate.pass();
        response.set_content("late", "text/plain");
    });
    server.start();
    auto running = std::make_unique<Downloader>();
    running->startThread();
    running->download(server.baseUrl() + "/gate", BatchRequest, nullptr);
    ASSERT_TRUE(waitUntil([&] { return entered.load(); }));
    auto start = std::chrono::steady_clock::now();
    running.reset();
    auto ending = std::chrono::steady_clock::now() - start;
    EXPECT_LT(ending, std::chrono::seconds(2));
    gate.open();
}

}
