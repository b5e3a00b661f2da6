#include "boat/BoatControl.h"
#include "gui/Command.h"
#include "gui/Screen.h"
#include "lobby/RaceRecord.h"
#include "race/BoatWidget.h"
#include "race/Map.h"
#include "race/Projection.h"
#include "race/RaceDownloaders.h"
#include "race/RaceScreen.h"
#include "support/Later.h"
#include "support/RecordingServer.h"
#include "support/RunningDownloader.h"
#include "support/StdoutCapture.h"
#include "support/WaitUntil.h"

#include "ChartTestSupport.h"

namespace {

using namespace chart;

const std::string twoBoats = "<result>OK boats = { { nick = Ann, lat = 1.5, lon = 2.5, sail = 2, user = 11, grounded = 1 }, { nick = Bob, lat = -1, lon = -2 } }</result>";
const std::string position = "<result>OK lat = 1.5, lon = 2.5, heading = 45, speed = 6.5, windDir = 10, windSpeed = 12.5</result>";

TEST(RaceAnswers, BoatsAreReadInTheOrderOfTheirKeysAndAFaultIsReported)
{
    for (auto [answer, nicks, printed] : std::initializer_list<std::tuple<std::string, std::string, std::string>> {
             { twoBoats, "Ann Bob ", "" },
             { "<result>OK boats = { { nick = A }, x = { nick = C } }</result>", "A ", "missing boat table\n" },
             { "<result>OK boats = { { nick = A }, { lat = x } }</result>", "A ", "Invalid double 'x'\nError parsing boat table '<result>OK boats = { { nick = A }, { lat = x } }</result>'\n" },
             { "<result>OK boats = { 5 }</result>", "", "Can't convert integer to table\nError parsing boat table '<result>OK boats = { 5 }</result>'\n" },
             { "no envelope", "", "missing boats table\n" } }) {
        StdoutCapture out;
        std::string read;
        for (const BoatRecord& boat : parseBoats(answer))
            read += boat.nick + " ";
        EXPECT_EQ(std::pair(read, out.text()), std::pair(nicks, printed)) << answer;
    }
    std::vector<BoatRecord> boats = parseBoats(twoBoats);
    EXPECT_EQ(std::tuple(boats[0].sail, boats[0].user, boats[0].grounded, boats[0].lon), std::tuple(2, 11, true, 2.5));
    EXPECT_EQ(std::tuple(boats[1].sail, boats[1].user, boats[1].grounded, boats[1].lon), std::tuple(0, 0, false, -2.0));
}

TEST(RaceAnswers, APositionIsReadOnlyWholeAndThePeriodHalvesWithEachZoomLevelDownToOneSecond)
{
    std::optional<BoatRecord> report = parsePosition(position);
    ASSERT_TRUE(report);
    EXPECT_EQ(std::tuple(report->lat, report->lon, report->heading, report->speed, report->windDir, report->windSpeed), std::tuple(1.5, 2.5, 45.0, 6.5, 10.0, 12.5));
    StdoutCapture out;
    EXPECT_FALSE(parsePosition("<result>OK windSpeed = {}</result>"));
    EXPECT_EQ(out.text(), "Can't convert table to double\nError parsing position table '<result>OK windSpeed = {}</result>'\n");
    for (auto [zoom, period] : { std::pair(2, 512), std::pair(6, 32), std::pair(10, 2), std::pair(11, 1), std::pair(15, 1) })
        EXPECT_EQ(downloadPeriod(zoom), period) << "zoom " << zoom;
}

// The race screen's downloaders against a recording race server, on a clock the test sets.
class RaceDownloadTest : public ChartTest {
protected:
    RaceDownloadTest()
    {
        startDownloaderOnce();
        useServer(server.baseUrl());
        answer(twoBoats, position);
        race.id = 7;
    }
    void answer(const std::string& boats, const std::string& own)
    {
        server.answer("/races", [boats, own](const SeenRequest& request) { return Reply(request.param("action") == "4" ? boats : own); });
    }
    // Runs the downloader's frames until its request in flight has been answered.
    void collect(PeriodicDownloader& downloader)
    {
        ASSERT_NE(downloader.request, 0);
        ASSERT_TRUE(waitUntil([&] { return downloader.onIdle(screen), downloader.request == 0; }));
    }

    RecordingServer server;
    Screen screen { display.window };
    Map map { 1024, 768, 0.0, 0.0 };
    RaceRecord race;
    int32_t now = 1000;
    Clock clock = [this] { return now; };
};

TEST_F(RaceDownloadTest, ADownloaderAsksAgainOnlyOnceThePeriodHasPassedAndNoAnswerIsInFlight)
{
    map.zoom = 10;
    BoatsDownloader boats(&map, &race, clock);
    collect(boats);
    now = 1002;
    boats.onIdle(screen);
    EXPECT_EQ(boats.request, 0);
    server.hold();
    now = 1003;
    boats.onIdle(screen);
    const int inFlight = boats.request;
    for (now = 1100; now < 1500; now += 100)
        boats.onIdle(screen);
    EXPECT_EQ(boats.request, inFlight);
    server.release();
    collect(boats);
    EXPECT_EQ(server.count("/races"), 2u);
}

// An empty answer is reported, changes nothing and is asked for again in the next period.
TEST_F(RaceDownloadTest, TheMarkersFollowTheLatestAnswerWithBoatsAndThePositionMovesTheOwnBoat)
{
    BoatRecord own;
    own.heading = 100;
    own.speed = 3;
    BoatsDownloader boats(&map, &race, clock);
    PositionDownloader ownPosition(&map, &race, &own, clock);
    for (auto [boatsAnswer, nicks, printed] : std::initializer_list<std::tuple<std::string, std::vector<std::string>, std::string>> {
             { twoBoats, { "Ann", "Bob" }, "" }, { "", { "Ann", "Bob" }, "Error downloading boats\nError downloading position\n" },
             { "<result>OK boats = {}</result>", { "Ann", "Bob" }, "" }, { "<result>OK boats = { { nick = Cid, lat = 10 } }</result>", { "Cid" }, "" } }) {
        answer(boatsAnswer, boatsAnswer.empty() ? "" : position);
        StdoutCapture out;
        for (PeriodicDownloader* downloader : std::initializer_list<PeriodicDownloader*> { &boats, &ownPosition }) {
            if (downloader->request == 0)
                downloader->onIdle(screen);
            collect(*downloader);
        }
        EXPECT_EQ(out.text(), printed);
        ASSERT_EQ(map.widgets.size(), nicks.size());
        for (size_t i = 0; i < nicks.size(); ++i) {
            const BoatRecord& boat = *static_cast<BoatWidget&>(*map.widgets[i]).record;
            WorldPixel at = latLonToWorldPixel(boat.lat, boat.lon, map.zoom);
            EXPECT_EQ(std::tuple(boat.nick, map.widgets[i]->x, map.widgets[i]->y), std::tuple(nicks[i], at.px, at.py));
        }
        // The server's heading and speed go to the race's record, which the control panel
        // shows while no change is pending; the own record keeps the panel's.
        EXPECT_EQ(std::tuple(own.lat, own.lon, own.windDir, own.windSpeed, own.heading, own.speed), std::tuple(1.5, 2.5, 10.0, 12.5, 100.0, 3.0));
        EXPECT_EQ(std::tuple(race.own.lat, race.own.lon, race.own.heading, race.own.speed), std::tuple(1.5, 2.5, 45.0, 6.5));
        now += 33;
    }
}

// Presses keys other than Escape on a race screen; exits with 7 when every one passed on to
// an accelerator added after the screen's own.
void pressEveryKeyButEscape(SDL_Window* window, RaceRecord& race)
{
    struct Recorder : Accelerator {
        bool handleKey(SDL_Keycode key) override { return keys.push_back(key), true; }
        std::vector<SDL_Keycode> keys;
    } recorder;
    RaceScreen raceScreen(window, race);
    raceScreen.screen().addAccelerator(&recorder);
    const std::vector<SDL_Keycode> others { SDLK_RETURN, SDLK_TAB, SDLK_q, SDLK_AC_BACK };
    for (SDL_Keycode key : others)
        raceScreen.screen().onKeyDown(key);
    std::_Exit(recorder.keys == others ? 7 : 8);
}

// Escape ends the program from the race screen's loop, also while the map has the focus, and
// so does the close button. A loop that went on would be cut by the timer with status 3.
TEST_F(RaceDownloadTest, TheOwnBoatStartsFocusedAndOnlyEscapeOrTheCloseButtonEndTheProgram)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    data.writeImage("images/compas.png", 300, 300, { 250, 250, 250, 255 });
    data.writeImage("images/close-btn.png", 49, 48, { 200, 0, 0, 255 });
    {
        RaceScreen raceScreen(display.window, race);
        EXPECT_TRUE(raceScreen.map().widgets[0]->focused);
        EXPECT_TRUE(dynamic_cast<BoatControl&>(*raceScreen.screen().children[1]).visible);
    }
    EXPECT_EXIT(pressEveryKeyButEscape(display.window, race), testing::ExitedWithCode(7), "");
    for (auto [x, y, escape] : { std::tuple(100, 400, true), std::tuple(1024 - 24, 24, false) }) {
        auto run = [&, x = x, y = y, escape = escape] {
            later(10000, [] { std::_Exit(3); });
            pushMouseButton(SDL_MOUSEBUTTONDOWN, x, y);
            if (escape)
                pushKey(SDLK_ESCAPE);
            pushMouseButton(SDL_MOUSEBUTTONUP, x, y);
            runRaceScreen(display.window, race);
        };
        EXPECT_EXIT(run(), testing::ExitedWithCode(0), "") << x << ", " << y;
    }
}

}
