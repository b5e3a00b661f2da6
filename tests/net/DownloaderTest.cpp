#include "NetTestSupport.h"
#include "base/Text.h"
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

std::string param(const httplib::Request& request, const char* key, const char* fallback)
{
    return request.has_param(key) ? request.get_param_value(key) : fallback;
}

// "/answer" replies with the status `code`, after `ms` milliseconds or once the gate
// opens (`gate`), with the body `text` or `n` bytes "x".
class DownloaderTest : public testing::Test {
protected:
    void SetUp() override
    {
        server.server.Get("/answer", [this](const httplib::Request& request, httplib::Response& response) {
            entered = true;
            if (request.has_param("gate"))
                gate.pass();
            std::this_thread::sleep_for(std::chrono::milliseconds(std::stoi(param(request, "ms", "0"))));
            response.status = std::stoi(param(request, "code", "200"));
            std::string text = request.has_param("n") ? std::string(std::stoul(request.get_param_value("n")), 'x')
                                                      : param(request, "text", "hello");
            response.set_content(text, "text/plain");
            ++served;
        });
        server.server.Get("/redirect", [](const httplib::Request&, httplib::Response& response) {
            response.set_redirect("/answer?text=moved");
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

    int get(const std::string& query, DownloadKind kind = BatchRequest, void* user = nullptr)
    {
        return client.download(server.baseUrl() + "/answer" + query, kind, user);
    }

    // Waits until the server has answered `count` requests, then gives the download
    // thread time to take the ended transfers in.
    void settle(int count)
    {
        ASSERT_TRUE(waitUntil([&] { return served >= count; }));
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
    }

    Gate gate;
    std::atomic<bool> entered { false };
    std::atomic<int> served { 0 };
    LocalHttpServer server;
    Downloader client { quickOptions() };
};

TEST_F(DownloaderTest, DeliversEachAnswerByIdWhateverTheHttpStatus)
{
    struct Case {
        std::string url;
        int status;
        std::string body;
    };
    const std::vector<Case> cases = {
        { "/answer", 0, "hello" },
        { "/answer?code=404&text=missing", 0, "missing" },
        { "/answer?code=500&text=broken", 0, "broken" },
        { "/redirect", 0, "moved" },
        { "/answer?n=4096", 0, std::string(4096, 'x') },
        { "/answer?n=4097", -1, "" },
        { "/answer?n=100000", -1, "" },
        { "http://127.0.0.1:1/refused", -1, "" },
    };
    std::vector<int> ids;
    for (const Case& each : cases) {
        std::string url = startsWith(each.url, "http:") ? each.url : server.baseUrl() + each.url;
        ids.push_back(client.download(url, BatchRequest, nullptr));
    }
    for (size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(cases[i].url);
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

TEST_F(DownloaderTest, StalledServerEndsInFailure)
{
    std::optional<Answer> answer = waitForAnswer(client, get("?gate=1"));
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->status, -1);
}

TEST_F(DownloaderTest, OversizedAnswerIsReportedOnStandardOutput)
{
    StdoutCapture output;
    ASSERT_TRUE(waitForAnswer(client, get("?n=5000")));
    EXPECT_EQ(output.text(), "Answer of download 1 exceeds 4096 bytes; transfer stopped\n");
}

TEST_F(DownloaderTest, IdsStartAgainFromOneOnlyWhenIdleWithNothingToCollect)
{
    // Transfers of an unknown scheme fail at once, without a socket.
    for (int last = 0; last < 10000;) {
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
    int waiting = get("");
    EXPECT_EQ(waiting, 10001);
    settle(1);
    int next = get("");
    EXPECT_EQ(next, 10002) << "the counter must not start again while an answer waits";
    ASSERT_TRUE(waitForAnswer(client, waiting));
    ASSERT_TRUE(waitForAnswer(client, next));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_EQ(get(""), 1);
}

TEST_F(DownloaderTest, CancelledResultsAreDroppedWhetherTheyArriveBeforeOrAfter)
{
    int inFlight = get("?gate=1");
    client.cancel(inFlight);
    int arrived = get("");
    settle(1);
    client.cancel(arrived);
    gate.open();
    settle(2);

    std::optional<Answer> answer = waitForAnswer(client, get("?text=later"));
    ASSERT_TRUE(answer) << "a poll that drops a cancelled result still delivers its own";
    EXPECT_EQ(body(*answer), "later");
    Answer dropped;
    EXPECT_FALSE(client.pollById(inFlight, dropped));
    EXPECT_FALSE(client.pollById(arrived, dropped));
}

TEST_F(DownloaderTest, PollByKindTakesTransfersInTheOrderTheyEnded)
{
    int users[3] = {};
    for (int i = 0; i < 3; ++i)
        get("?ms=" + std::to_string(400 - 200 * i), TextureRequest, &users[i]);
    int wind = get("", WindRequest);
    settle(4);

    for (int expected : { 3, 2, 1 }) {
        Answer answer;
        ASSERT_TRUE(client.pollByKind(TextureRequest, answer));
        EXPECT_EQ(answer.id, expected);
        EXPECT_EQ(answer.user, &users[expected - 1]);
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
        get("?text=" + escape(text), OkRequest);
    settle(int(accepted.size()));
    std::vector<std::string> expected;
    for (const std::string& text : refused) {
        int id = get("?text=" + escape(text), OkRequest);
        expected.push_back("Invalid response for download " + std::to_string(id) + ": '" + text + "'");
    }
    std::sort(expected.begin(), expected.end());
    waitUntil([&] { return sortedLines(output.text()).size() >= expected.size(); });
    EXPECT_EQ(sortedLines(output.text()), expected);
    Answer answer;
    EXPECT_FALSE(client.pollByKind(OkRequest, answer));
}

TEST_F(DownloaderTest, StopWhileIdleEndsTheThreadAtOnce)
{
    Downloader idle;
    idle.startThread();
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    auto start = std::chrono::steady_clock::now();
    idle.stop();
    EXPECT_EQ(idle.waitThread(), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

TEST_F(DownloaderTest, DestroyingARunningDownloaderAbandonsItsTransfers)
{
    auto running = std::make_unique<Downloader>();
    running->startThread();
    running->download(server.baseUrl() + "/answer?gate=1", BatchRequest, nullptr);
    ASSERT_TRUE(waitUntil([&] { return entered.load(); }));
    auto start = std::chrono::steady_clock::now();
    running.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

}
