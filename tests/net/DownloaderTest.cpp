#include "net/Downloader.h"

#include "support/RecordingServer.h"
#include "support/StdoutCapture.h"
#include "support/WaitUntil.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

// A download thread with short limits (100,000-byte answers, one second without a byte,
// ids that start again after 3) and a recording server. Stopping must wait neither for the
// idle thread's ten-second sleep nor for a transfer in flight.
class DownloaderTest : public testing::Test {
protected:
    void SetUp() override { client.startThread(); }
    void TearDown() override
    {
        auto start = std::chrono::steady_clock::now();
        client.stop();
        EXPECT_EQ(client.waitThread(), 0);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    }

    // A path goes to the server; a URL with a scheme is taken as it stands.
    int get(const std::string& path, DownloadKind kind = BatchRequest)
    {
        return client.download(path.find("://") == std::string::npos ? server.baseUrl() + path : path, kind, nullptr);
    }
    Answer await(int id)
    {
        Answer answer;
        EXPECT_TRUE(waitUntil([&] { return client.pollById(id, answer); })) << "no answer to " << id;
        return answer;
    }
    static bool printed(const StdoutCapture& output, const std::string& line)
    {
        return waitUntil([&] { return output.text().find(line) != std::string::npos; });
    }

    RecordingServer server;
    Downloader client { DownloaderOptions { 10, 1, 100000, 10000, 3 } };
};

TEST_F(DownloaderTest, DeliversEachAnswerByIdWithItsBodyOrAFailure)
{
    server.answer("/missing", Reply("missing", 404));
    Reply moved("", 302);
    moved.headers.emplace("Location", "/moved");
    server.answer("/redirect", moved);
    server.answer("/moved", Reply("moved"));
    // libcurl hands on an answer this long in several pieces.
    std::string full;
    for (int i = 0; i < 100000; ++i)
        full += char('a' + i % 26);
    server.answer("/full", Reply(full));
    server.answer("/over", Reply(full + "x"));
    Reply cut("cut");
    cut.cutShort = true;
    server.answer("/cut", cut);
    server.hold("/stalled");
    const std::tuple<std::string, int, std::string> cases[] = { { "/missing", 0, "missing" }, { "/redirect", 0, "moved" }, { "/full", 0, full },
        { "/over", -1, "" }, { "/cut", -1, "cut" }, { "/stalled", -1, "" }, { "http://127.0.0.1:1/refused", -1, "" } };
    StdoutCapture output;
    Downloader(); // a set-up that finds libcurl ready says nothing
    for (int i = 0; i < int(std::size(cases)); ++i)
        ASSERT_EQ(get(std::get<0>(cases[i])), i + 1);
    for (int i = 0; i < int(std::size(cases)); ++i) {
        const auto& [path, status, body] = cases[i];
        Answer answer = await(i + 1);
        EXPECT_EQ(std::pair(answer.status, std::string(answer.bytes ? answer.bytes.get() : "", answer.length)), std::pair(status, body)) << path;
        EXPECT_TRUE(!answer.bytes || answer.bytes.get()[answer.length] == '\0') << path;
    }
    EXPECT_EQ(output.text(), "Answer of download 4 exceeds 100000 bytes; transfer stopped\n");
}

// The check that restarts the ids runs in the turn that ends a transfer, right after a
// refused OK request prints its line, so the next id shows what that check decided.
TEST_F(DownloaderTest, IdsStartAgainOnlyWhenIdleWithNothingToCollect)
{
    auto nextIdAfterARefusal = [&] {
        StdoutCapture output;
        int refused = get("unknown://nowhere", OkRequest);
        EXPECT_TRUE(printed(output, "download " + std::to_string(refused) + ":"));
        return get("unknown://nowhere");
    };
    await(get("unknown://nowhere"));
    await(get("unknown://nowhere"));
    int waiting = nextIdAfterARefusal();
    EXPECT_EQ(waiting, 1) << "the third id reaches the limit";
    await(get("unknown://nowhere"));
    int next = nextIdAfterARefusal();
    EXPECT_EQ(next, 4) << "an answer still waits";
    server.hold("/stalled");
    get("/stalled");
    await(waiting);
    await(next);
    EXPECT_EQ(nextIdAfterARefusal(), 7) << "a transfer still runs";
}

TEST_F(DownloaderTest, CancelledAnswersAreDroppedWhetherTheyEndedBeforeOrAfter)
{
    server.hold("/stalled");
    int inFlight = get("/stalled");
    int ended = get("unknown://nowhere");
    await(get("unknown://nowhere")); // started with or after the one before, so it ended too
    client.cancel(inFlight);
    client.cancel(ended);
    Answer dropped;
    EXPECT_FALSE(client.pollByKind(BatchRequest, dropped)) << "the first cancelled one still running holds up no other";
    server.release();
    EXPECT_EQ(await(get("/later")).status, 0);
    EXPECT_FALSE(client.pollByKind(BatchRequest, dropped)) << dropped.id;
    client.stop();
    ASSERT_EQ(client.waitThread(), 0);
    client.startThread();
    EXPECT_EQ(await(get("/again")).status, 0) << "a stopped thread starts again";
}

TEST_F(DownloaderTest, OkRequestsReportOnlyAnswersNotBeginningWithOk)
{
    const std::pair<std::string, bool> cases[] = { { "<result>OK</result>", true }, { "<result>OK\n3 4</result>", true },
        { "x<result>OKAY</result>y", true }, { "<result>FAIL</result>", false }, { "OK", false }, { "", false },
        { "<result> OK</result>", false } };
    StdoutCapture output;
    std::vector<std::string> refusals;
    for (size_t i = 0; i < std::size(cases); ++i) {
        server.answer("/ok/" + std::to_string(i), Reply(cases[i].first));
        int id = get("/ok/" + std::to_string(i), OkRequest);
        if (!cases[i].second)
            refusals.push_back("Invalid response for download " + std::to_string(id) + ": '" + cases[i].first + "'\n");
    }
    for (const std::string& line : refusals)
        EXPECT_TRUE(printed(output, line)) << line;
    await(get("/later")); // sent after the accepted ones, so their lines would be out by now
    std::string text = output.text();
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), long(refusals.size())) << text;
}

// HttpOnly cookies come in the cookie list as lines of their own kind; other cookies are
// not sent back.
TEST_F(DownloaderTest, SendsTheIdAndSessionCookiesOfTheLoginAfterwards)
{
    Reply login("welcome");
    for (const char* cookie : { "theme=dark", "id=17; Path=/; HttpOnly", "JSESSIONID=a1b2; Path=/", "userid=9" })
        login.headers.emplace("Set-Cookie", cookie);
    server.answer("/login", login);
    for (const char* path : { "/login", "/echo", "/echo" })
        await(get(path));
    std::vector<std::string> sent;
    for (const SeenRequest& request : server.requests())
        sent.push_back(request.headers.count("Cookie") ? request.headers.find("Cookie")->second : "");
    EXPECT_EQ(sent, (std::vector<std::string> { "", "id=17; JSESSIONID=a1b2", "id=17; JSESSIONID=a1b2" }));
}

}
