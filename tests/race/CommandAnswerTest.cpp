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

std::string positionOn(double heading)
{
    return "<result>OK lat = 1.5, lon = 2.5, heading = " + std::to_string(heading) + ", speed = 6.5, windDir = 10, windSpeed = 12</result>";
}

using CommandAnswerTest = ChartTest;

// A position request sent before the command was answered is served the old heading; its
// answer moves the boat but leaves the submitted heading. The next answer confirms it.
TEST_F(CommandAnswerTest, AnAnswerToAnOlderRequestDoesNotBringTheOldHeadingBack)
{
    RecordingServer server;
    useServer(server.baseUrl());
    startDownloaderOnce();
    server.answer("/boats", Reply("<result>OK</result>"));
    server.answer("/races", Reply(positionOn(45)));
    server.hold("/races");
    Screen screen(display.window);
    Map map(1024, 768, 0.0, 0.0);
    RaceRecord race;
    BoatRecord own;
    int32_t now = 1000;
    PositionDownloader position(&map, &race, &own, [&] { return now; });
    ASSERT_TRUE(server.waitForRequests(1, "/races"));
    own.heading = 100;
    submitHeading(own, race);
    ASSERT_TRUE(waitUntil([&] { return race.command.poll(steadySeconds()), race.command.line(steadySeconds()) == "Sent"; }));
    server.release();
    auto answered = [&] { return waitUntil([&] { return position.onIdle(screen), position.request == 0; }); };
    ASSERT_TRUE(answered());
    EXPECT_EQ(std::tuple(race.own.lat, race.own.heading, race.command.line(steadySeconds())), std::tuple(1.5, 100.0, std::string("Sent")));
    server.answer("/races", Reply(positionOn(100.3)));
    now += 40;
    position.onIdle(screen);
    ASSERT_TRUE(answered());
    EXPECT_EQ(std::pair(race.own.heading, race.command.line(steadySeconds())), std::pair(100.3, std::string("Confirmed")));
    EXPECT_EQ(own.heading, 100);
}

// Answers come a period and a second apart; the line turns red once three such intervals
// have passed without one.
TEST(PositionAge, TheAgeTurnsLateAfterTwoMissedPeriods)
{
    const std::tuple<double, int32_t, std::string, bool> cases[] = { { 12.9, 6, "Updated 12 s ago", false },
        { 99, 6, "Updated 99 s ago", false }, { 99.5, 6, "Updated 99 s ago", true }, { 6, 12, "Updated 6 s ago", false },
        { 6.1, 11, "Updated 6 s ago", true }, { -0.5, 11, "Updated 0 s ago", false } };
    for (auto [age, zoom, text, late] : cases)
        EXPECT_EQ(std::pair(PositionAge::text(age), PositionAge::isLate(age, zoom)), std::pair(text, late)) << age;
}

}
