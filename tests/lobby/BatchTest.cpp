#include "gui/MessageBox.h"
#include "gui/Screen.h"
#include "net/DownloadBatcher.h"
#include "lobby/DownloadProcessor.h"
#include "net/TextureRegistry.h"
#include "support/HeadlessWindow.h"
#include "support/LocalHttpServer.h"
#include "support/RunningDownloader.h"
#include "support/TestData.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace {

class BatchTest : public testing::Test {
protected:
    void SetUp() override
    {
        startDownloaderOnce();
        initTextures(display.renderer);
        http.server.Get("/ok", [](const httplib::Request&, httplib::Response& response) {
            response.set_content("<result>OK</result>", "text/plain");
        });
        http.server.Get("/wrapped", [](const httplib::Request&, httplib::Response& response) {
            response.set_content("noise<result>OK 42</result>tail<result>OK 43</result>", "text/plain");
        });
        http.server.Get("/refused", [](const httplib::Request&, httplib::Response& response) {
            response.set_content("<result>Wrong e-mail or password.</result>", "text/plain");
        });
        http.server.Get("/bare", [](const httplib::Request&, httplib::Response& response) {
            response.set_content("OK without envelope", "text/plain");
        });
        http.server.Get("/notfound", [](const httplib::Request&, httplib::Response& response) {
            response.status = 404;
            response.set_content("Not here", "text/plain");
        });
        http.server.Get("/slow", [](const httplib::Request&, httplib::Response& response) {
            std::this_thread::sleep_for(std::chrono::milliseconds(800));
            response.set_content("<result>OK late</result>", "text/plain");
        });
        http.start();
        // Every message box records its text and is closed at once with Escape.
        messageBoxHooks.observer = [this](const std::string& text) {
            messages.push_back(text);
            pushKey(SDLK_ESCAPE);
        };
    }
    void TearDown() override
    {
        messageBoxHooks.observer = nullptr;
        clearTextures();
    }

    std::string url(const char* path) const { return http.baseUrl() + path; }

    HeadlessWindow display;
    TestDataFolder data;
    LocalHttpServer http;
    std::vector<std::string> messages;
};

TEST_F(BatchTest, OkEnvelopeCompletesAndOnlyTheFirstEnvelopeIsRead)
{
    EXPECT_EQ(fetch(display.window, url("/ok")), "OK");
    EXPECT_EQ(fetch(display.window, url("/wrapped")), "OK 42");
    EXPECT_TRUE(messages.empty());
}

TEST_F(BatchTest, FailuresEndInTheMessageBoxAndAnEmptyAnswer)
{
    const struct {
        std::string url;
        const char* message;
    } cases[] = {
        { url("/refused"), "Wrong e-mail or password." },
        { url("/bare"), "" },
        { url("/notfound"), "" }, // a 404 page, delivered like any answer
        { "http://127.0.0.1:1/closed", "Error connecting to server" },
    };
    for (const auto& c : cases) {
        messages.clear();
        EXPECT_EQ(fetch(display.window, c.url), "") << c.url;
        EXPECT_EQ(messages, std::vector<std::string>({ c.message })) << c.url;
    }
}

// Two requests where the second depends on the first answer.
struct ChainBatcher : DownloadBatcher {
    std::string nextUrl(const std::string& previous) override
    {
        answers.push_back(previous);
        if (answers.size() == 1)
            return first;
        if (answers.size() == 2)
            return previous == "OK 42" ? second : "";
        return "";
    }
    void onCancel() override { cancelled = true; }
    std::string first;
    std::string second;
    std::vector<std::string> answers;
    bool cancelled = false;
};

TEST_F(BatchTest, EachNextRequestGetsThePreviousUnwrappedAnswer)
{
    ChainBatcher batch;
    batch.first = url("/wrapped");
    batch.second = url("/ok");
    EXPECT_TRUE(runBatch(display.window, &batch));
    EXPECT_EQ(batch.answers, std::vector<std::string>({ "", "OK 42", "OK" }));
}

TEST_F(BatchTest, CancelDropsTheLateAnswer)
{
    // The wait dialog is 600 x 250 in the middle of the 1024 x 768 window; Cancel sits at
    // (210, 100) in it, 180 x 96.
    pushClick((1024 - 600) / 2 + 300, (768 - 250) / 2 + 148);
    ChainBatcher batch;
    batch.first = url("/slow");
    EXPECT_FALSE(runBatch(display.window, &batch));
    EXPECT_TRUE(batch.cancelled);

    std::this_thread::sleep_for(std::chrono::milliseconds(1200));
    EXPECT_EQ(fetch(display.window, url("/ok")), "OK");
    EXPECT_TRUE(messages.empty());
}

TEST_F(BatchTest, EscapeCancelsLikeTheButton)
{
    pushKey(SDLK_ESCAPE);
    SimpleBatcher batch(url("/slow"));
    EXPECT_FALSE(runBatch(display.window, &batch));
    EXPECT_EQ(batch.getAnswer(), "canceled");
}

TEST_F(BatchTest, BatchWithoutRequestsShowsNoDialog)
{
    ChainBatcher batch; // first URL empty
    Uint32 ticksBefore = previousFrameTicks();
    EXPECT_TRUE(runBatch(display.window, &batch));
    EXPECT_EQ(previousFrameTicks(), ticksBefore);
    EXPECT_FALSE(runBatch(display.window, nullptr));
}

// libcurl refuses a URL this long, so the request never starts: the dialog ends as after a
// failed transfer instead of waiting for the player to cancel.
TEST_F(BatchTest, ARequestThatCannotStartEndsLikeAFailedTransfer)
{
    EXPECT_EQ(fetch(display.window, "http://127.0.0.1/" + std::string(8000000, 'x')), "");
    EXPECT_EQ(messages, std::vector<std::string>({ "Error connecting to server" }));
}

}
