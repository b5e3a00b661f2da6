#include "ChartTestSupport.h"
#include "boat/HeadingSubmission.h"
#include "gui/Screen.h"
#include "lobby/RaceRecord.h"
#include "race/Map.h"
#include "race/PositionAge.h"
#include "race/RaceDownloaders.h"
#include "support/RecordingServer.h"
#include "support/RunningDownloader.h"
#include "support/WaitUntil.h"

namespace {

using CommandAnswerTest = ChartTest;

// A position request sent before the command was answered is served the old heading; its
// answer moves the boat but keeps the submitted heading. The next answer confirms it.
TEST_F(CommandAnswerTest, AnAnswerToAnOlderRequestDoesNotBringTheOldHeadingBack)
{
    RecordingServer server;
    useServer(server.baseUrl());
    startDownloaderOnce();
    auto position = [](const char* heading) { return Reply(std::string("<result>OK lat = 1.5, heading = ") + heading + "</result>"); };
    server.answer("/boats", Reply("<result>OK</result>"));
    server.answer("/races", position("45"));
    server.hold("/races");
    Screen screen(display.window);
    Map map(1024, 768, 0.0, 0.0);
    RaceRecord race;
    BoatRecord own;
    int32_t now = 1000;
    PositionDownloader positions(&map, &race, &own, [&] { return now; });
    ASSERT_TRUE(server.waitForRequests(1, "/races"));
    own.heading = 100;
    submitHeading(own, race);
    ASSERT_TRUE(waitUntil([&] { return race.command.poll(steadySeconds()), race.command.line(0) == "Sent"; }));
    server.release();
    for (auto [heading, line] : { std::pair(100.0, "Sent"), std::pair(100.3, "Confirmed") }) {
        ASSERT_TRUE(waitUntil([&] { return positions.onIdle(screen), positions.request == 0; }));
        EXPECT_EQ(std::tuple(race.own.lat, race.own.heading, race.command.line(0)), std::tuple(1.5, heading, std::string(line)));
        server.answer("/races", position("100.3"));
        now += 40;
        positions.onIdle(screen);
    }
}

// Answers come a period and a second apart: red after three such intervals without one.
TEST(PositionAge, TheAgeTurnsLateAfterTwoMissedPeriods)
{
    const std::tuple<double, int32_t, std::string, bool> cases[] = { { 99, 6, "Updated 99 s ago", false },
        { 99.5, 6, "Updated 99 s ago", true }, { 6.1, 11, "Updated 6 s ago", true }, { -0.5, 12, "Updated 0 s ago", false } };
    for (auto [age, zoom, text, late] : cases)
        EXPECT_EQ(std::pair(PositionAge::text(age), PositionAge::isLate(age, zoom)), std::pair(text, late)) << age;
}

}
