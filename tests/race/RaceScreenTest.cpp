#include "race/RaceScreen.h"

#include "ChartTestSupport.h"
#include "boat/HeadingSubmission.h"
#include "gui/Screen.h"
#include "lobby/RaceRecord.h"
#include "race/BoatWidget.h"
#include "race/Map.h"
#include "race/PositionAge.h"
#include "race/Projection.h"
#include "race/RaceDownloaders.h"
#include "support/RecordingServer.h"
#include "support/RunningDownloader.h"
#include "support/StdoutCapture.h"
#include "support/WaitUntil.h"

#include <unistd.h>

namespace {

const std::string twoBoats = "<result>OK boats = { { nick = Ann, lat = 1.5, lon = 2.5, sail = 2, user = 11 }, { nick = Bob, lat = -1, lon = -2 } }</result>";

TEST(ParseBoats, BoatsAreReadInTheOrderOfTheirKeysAndAFaultIsReported)
{
    for (auto [answer, nicks, printed] : std::initializer_list<std::tuple<std::string, std::string, std::string>> {
             { twoBoats, "Ann Bob ", "" }, { "<result>OK boats = { { nick = A }, x = { nick = C } }</result>", "A ", "missing boat table\n" },
             { "<result>OK boats = { { nick = A }, { lat = x } }</result>", "A ", "Invalid double 'x'\nError parsing boat table '<result>OK boats = { { nick = A }, { lat = x } }</result>'\n" },
             { "<result>OK boats = { 5 }</result>", "", "Can't convert integer to table\nError parsing boat table '<result>OK boats = { 5 }</result>'\n" },
             { "no envelope", "", "missing boats table\n" } }) {
        StdoutCapture out;
        std::string read;
        for (const BoatRecord& boat : parseBoats(answer))
            read += boat.nick + " ";
        EXPECT_EQ(std::pair(read, out.text()), std::pair(nicks, printed)) << answer;
    }
    EXPECT_EQ(std::pair(parseBoats(twoBoats)[0].sail, parseBoats(twoBoats)[0].user), std::pair(2, 11));
}

using RaceScreenTest = ChartTest;

// A request waits for the period of the zoom to pass after the last one. An empty answer is
// reported and changes nothing, one without boats keeps the markers. The server's heading
// and speed go to the race's record, which the control panel shows while no change is pending.
TEST_F(RaceScreenTest, EachPeriodTheBoatsAndTheOwnPositionAreAskedForAndShown)
{
    const std::string position = "<result>OK lat = 1.5, lon = 2.5, heading = 45, speed = 6.5, windDir = 10, windSpeed = 12.5</result>";
    RecordingServer server;
    auto answer = [&](const std::string& boats, const std::string& own) {
        server.answer("/races", [boats, own](const SeenRequest& request) { return Reply(request.param("action") == "4" ? boats : own); });
    };
    answer(twoBoats, position);
    startDownloaderOnce();
    useServer(server.baseUrl());
    Screen screen(display.window);
    Map map(1024, 768, 0.0, 0.0);
    RaceRecord race;
    BoatRecord own;
    std::tie(own.nick, own.heading) = std::pair("Me", 100);
    int32_t now = 1000;
    map.addWidget(std::make_unique<BoatWidget>(&own, nullptr, &map));
    BoatsDownloader boats(&map, &race, [&] { return now; });
    PositionDownloader ownPosition(&map, &race, &own, [&] { return now; });
    for (auto [boatsAnswer, nicks, printed] : std::initializer_list<std::tuple<std::string, std::string, std::string>> {
             { twoBoats, "Me Ann Bob ", "" }, { "", "Me Ann Bob ", "Error downloading boats\nError downloading position\n" },
             { "<result>OK boats = {}</result>", "Me Ann Bob ", "" }, { "<result>OK boats = { { nick = Cid, lat = 10 } }</result>", "Me Cid ", "" } }) {
        answer(boatsAnswer, boatsAnswer.empty() ? "" : position);
        StdoutCapture out;
        for (PeriodicDownloader* downloader : std::initializer_list<PeriodicDownloader*> { &boats, &ownPosition }) {
            if (downloader->request == 0)
                downloader->onIdle(screen);
            ASSERT_NE(downloader->request, 0);
            ASSERT_TRUE(waitUntil([&] { return downloader->onIdle(screen), downloader->request == 0; }));
            EXPECT_TRUE(downloader->changedPicture()) << "an answer asks for a frame";
        }
        map.update(0.01);
        std::string shown;
        for (const auto& marker : map.widgets) {
            const BoatRecord& boat = *static_cast<BoatWidget&>(*marker).record;
            WorldPixel at = latLonToWorldPixel(boat.lat, boat.lon, map.zoom);
            shown += boat.nick + " ";
            EXPECT_EQ(std::pair(marker->x, marker->y), std::pair(at.px, at.py)) << boat.nick;
        }
        EXPECT_EQ(std::pair(shown, out.text()), std::pair(nicks, printed));
        EXPECT_EQ(std::tuple(own.lat, own.lon, own.windDir, own.windSpeed, own.heading), std::tuple(1.5, 2.5, 10.0, 12.5, 100.0));
        EXPECT_EQ(std::tuple(race.own.lat, race.own.lon, race.own.heading, race.own.speed), std::tuple(1.5, 2.5, 45.0, 6.5));
        now += 32;
        boats.onIdle(screen);
        EXPECT_FALSE(boats.request || boats.changedPicture());
        ++now;
    }
}

// Escape ends the program from the race screen's loop, even with the map focused, as does the
// close button; other keys go on past the screen's own. The alarm ends a loop that goes on.
TEST_F(RaceScreenTest, TheOwnBoatStartsFocusedAndOnlyEscapeOrTheCloseButtonEndTheProgram)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    data.writeImage("images/compas.png", 300, 300, { 250, 250, 250, 255 });
    data.writeImage("images/close-btn.png", 49, 48, { 200, 0, 0, 255 });
    RaceRecord race;
    RaceScreen raceScreen(display.window, race);
    EXPECT_TRUE(raceScreen.map().widgets[0]->focused && raceScreen.screen().children[1]->visible);
    struct : Accelerator {
        bool handleKey(SDL_Keycode) override { return ++taken, true; }
        int taken = 0;
    } next;
    raceScreen.screen().addAccelerator(&next);
    auto pressOtherKeys = [&] {
        for (SDL_Keycode key : { SDLK_RETURN, SDLK_q, SDLK_AC_BACK })
            raceScreen.screen().onKeyDown(key);
        std::_Exit(next.taken == 3 ? 7 : 8);
    };
    EXPECT_EXIT(pressOtherKeys(), testing::ExitedWithCode(7), "");
    for (auto [x, y, escape] : { std::tuple(100, 400, true), std::tuple(1024 - 24, 24, false) }) {
        auto run = [&, x = x, y = y, escape = escape] {
            alarm(10);
            pushMouseButton(SDL_MOUSEBUTTONDOWN, x, y);
            if (escape)
                pushKey(SDLK_ESCAPE);
            pushMouseButton(SDL_MOUSEBUTTONUP, x, y);
            runRaceScreen(display.window, race);
        };
        EXPECT_EXIT(run(), testing::ExitedWithCode(0), "") << x << ", " << y;
    }
}

using CommandAnswerTest = ChartTest;

// A position request sent before the command was answered is served the old heading; its
// answer moves the boat but keeps the submitted heading. The next answer confirms it.
TEST_F(CommandAnswerTest, AnAnswerToAnOlderRequestDoesNotBringTheOldHeadingBackAndTheAgeOfTheLastTurnsLate)
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
    // Answers come a period and a second apart: red after three such intervals without one.
    for (auto [age, zoom, text, late] : std::initializer_list<std::tuple<double, int32_t, std::string, bool>> {
             { 99, 6, "Updated 99 s ago", false }, { 99.5, 6, "Updated 99 s ago", true }, { 6.1, 11, "Updated 6 s ago", true }, { -0.5, 12, "Updated 0 s ago", false } })
        EXPECT_EQ(std::pair(PositionAge::text(age), PositionAge::isLate(age, zoom)), std::pair(text, late)) << age;
    // The age asks for a frame only when its line or colour would change.
    PositionAge age(0, 0, &positions, &map);
    age.draw(display.renderer, 0, 0);
    EXPECT_FALSE(age.isAnimating());
    positions.answeredAt -= 100;
    EXPECT_TRUE(age.isAnimating());
}

}
