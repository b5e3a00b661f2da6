#include "app/Storage.h"
#include "boat/BoatRecord.h"
#include "boat/HeadingCommands.h"
#include "boat/HeadingSubmission.h"
#include "net/Downloader.h"
#include "support/LocalHttpServer.h"
#include "support/RunningDownloader.h"

#include <gtest/gtest.h>

#include <mutex>
#include <string>
#include <vector>

namespace {

// A race server that records the heading requests it is sent, as the race server for race 7.
class HeadingSubmissionTest : public testing::Test {
protected:
    void SetUp() override
    {
        http.server.Get("/boats", [this](const httplib::Request& request, httplib::Response& response) {
            std::lock_guard<std::mutex> lock(mutex);
            targets.push_back(request.target);
            response.set_content(answer, "text/plain");
        });
        http.start();
        startDownloaderOnce();
        storage->writeString("raceServer", http.baseUrl());
        reloadServerUrls();
        race.id = 7;
    }
    // Answers in progress finish before the fields they use go away.
    void TearDown() override { http.stop(); }

    // Waits up to five seconds for that many requests to arrive.
    std::vector<std::string> requests(size_t wanted)
    {
        for (int turn = 0; turn < 500; ++turn) {
            {
                std::lock_guard<std::mutex> lock(mutex);
                if (targets.size() >= wanted)
                    break;
            }
            SDL_Delay(10);
        }
        std::lock_guard<std::mutex> lock(mutex);
        return targets;
    }

    LocalHttpServer http;
    // Set before the first request.
    std::string answer = "<result>OK</result>";
    RaceEntry race;

private:
    std::mutex mutex;
    std::vector<std::string> targets;
};

TEST_F(HeadingSubmissionTest, HeadingIsSentAsAnOutputStreamWritesItAndCopiedIntoTheRace)
{
    struct Case {
        double heading;
        int sail;
        const char* query;
    };
    const Case cases[] = {
        { 87.5, 1, "heading=87.5&sail=1&raceId=7" },
        { 90, 2, "heading=90&sail=2&raceId=7" },
        { 123.25, 1, "heading=123.25&sail=1&raceId=7" },
        { 1.0 / 3, 2, "heading=0.333333&sail=2&raceId=7" },
    };
    std::vector<std::string> expected;
    for (const Case& c : cases) {
        BoatRecord own;
        own.heading = c.heading;
        own.sail = c.sail;
        own.speed = c.heading / 10;
        submitHeading(own, race);
        EXPECT_DOUBLE_EQ(race.own.heading, c.heading);
        EXPECT_EQ(race.own.sail, c.sail);
        EXPECT_DOUBLE_EQ(race.own.speed, c.heading / 10);
        expected.push_back(std::string("/boats?action=2&") + c.query);
        // One at a time, so that the server sees them in order.
        ASSERT_EQ(requests(expected.size()).size(), expected.size());
    }
    EXPECT_EQ(requests(expected.size()), expected);
}

// The heading request is fire-and-forget: the download thread checks the "OK" itself and
// prints a refusal; nothing is left for the race screen to collect.
TEST_F(HeadingSubmissionTest, RefusedHeadingIsReportedByTheDownloadThread)
{
    answer = "<result>Race is over.</result>";
    BoatRecord own;
    own.heading = 12.5;
    own.sail = 1;
    testing::internal::CaptureStdout();
    submitHeading(own, race);
    ASSERT_EQ(requests(1).size(), 1u);
    SDL_Delay(1000);
    std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_NE(printed.find("Invalid response for download "), std::string::npos) << printed;
    EXPECT_NE(printed.find(": '<result>Race is over.</result>'\n"), std::string::npos) << printed;
    Answer collected;
    EXPECT_FALSE(downloader.pollByKind(RaceRequest, collected));
    EXPECT_FALSE(downloader.pollByKind(OkRequest, collected));
}

TEST_F(HeadingSubmissionTest, ApplySubmitsAndCancelReturnsToTheSubmittedCourse)
{
    BoatRecord own;
    own.heading = 80;
    own.sail = 2;
    own.speed = 6;
    own.pending = true;
    SubmitHeadingCommand(&own, &race).execute();
    EXPECT_FALSE(own.pending);
    EXPECT_DOUBLE_EQ(race.own.speed, 6);
    EXPECT_EQ(requests(1), std::vector<std::string>({ "/boats?action=2&heading=80&sail=2&raceId=7" }));

    own.heading = 200;
    own.sail = 1;
    own.speed = 1;
    own.pending = true;
    CancelHeadingCommand(&own, &race).execute();
    EXPECT_FALSE(own.pending);
    EXPECT_DOUBLE_EQ(own.heading, 80);
    EXPECT_EQ(own.sail, 2);
    EXPECT_DOUBLE_EQ(own.speed, 6);
    // Cancel sends nothing.
    SDL_Delay(200);
    EXPECT_EQ(requests(1).size(), 1u);
}

}
