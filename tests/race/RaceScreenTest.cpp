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

const char* const twoBoats = "<result>OK boats = { { nick = Ann, lat = 1.5, lon = 2.5, sail = 2, user = 11, grounded = 1 }, "
                             "{ nick = Bob, lat = -1, lon = -2 } }</result>";

std::vector<std::string> nicks(const std::vector<BoatRecord>& boats)
{
    std::vector<std::string> names;
    for (const BoatRecord& boat : boats)
        names.push_back(boat.nick);
    return names;
}

TEST(RaceAnswers, BoatsAreReadInTheOrderOfTheirKeysAndAFaultIsReported)
{
    const struct {
        std::string answer;
        std::vector<std::string> nicks;
        std::string printed;
    } cases[] {
        { twoBoats, { "Ann", "Bob" }, "" },
        { "<result>OK boats = { { nick = A }, x = { nick = C } }</result>", { "A" }, "missing boat table\n" },
        { "<result>OK boats = { { nick = A }, { lat = x } }</result>", { "A" },
            "Invalid double 'x'\nError parsing boat table '<result>OK boats = { { nick = A }, { lat = x } }</result>'\n" },
        { "<result>OK boats = { 5 }</result>", {}, "Can't convert integer to table\nError parsing boat table '<result>OK boats = { 5 }</result>'\n" },
        { "no envelope", {}, "missing boats table\n" },
    };
    for (const auto& c : cases) {
        StdoutCapture out;
        EXPECT_EQ(nicks(parseBoats(c.answer)), c.nicks) << c.answer;
        EXPECT_EQ(out.text(), c.printed) << c.answer;
    }
    std::vector<BoatRecord> boats = parseBoats(twoBoats);
    EXPECT_EQ(std::tuple(boats[0].sail, boats[0].user, boats[0].grounded, boats[0].lon), std::tuple(2, 11, true, 2.5));
    EXPECT_EQ(std::tuple(boats[1].sail, boats[1].user, boats[1].grounded, boats[1].lon), std::tuple(0, 0, false, -2.0));
}

TEST(RaceAnswers, APositionIsReadOnlyWholeAndThePeriodHalvesWithEachZoomLevelDownToOneSecond)
{
    const struct {
        const char* answer;
        bool read;
        std::string printed;
    } cases[] {
        { "<result>OK lat = 1.25, lon = 2, windSpeed = 14</result>", true, "" },
        { "<result>OK windSpeed = {}</result>", false,
            "Can't convert table to double\nError parsing position table '<result>OK windSpeed = {}</result>'\n" },
    };
    for (const auto& c : cases) {
        StdoutCapture out;
        std::optional<BoatRecord> report = parsePosition(c.answer);
        EXPECT_EQ(report.has_value(), c.read) << c.answer;
        EXPECT_EQ(out.text(), c.printed) << c.answer;
        if (report) {
            EXPECT_EQ(std::tuple(report->lat, report->lon, report->windSpeed), std::tuple(1.25, 2.0, 14.0));
        }
    }
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
        answer(twoBoats, "<result>OK lat = 1.5, lon = 2.5, heading = 45, speed = 6.5, windDir = 10, windSpeed = 12.5</result>");
        race.id = 7;
    }

    void answer(const std::string& boats, const std::string& position)
    {
        server.answer("/races", [boats, position](const SeenRequest& request) { return Reply(request.param("action") == "4" ? boats : position); });
    }

    // Runs the downloader's frames until its request in flight has been answered.
    void collect(PeriodicDownloader& downloader)
    {
        ASSERT_NE(downloader.request, 0);
        ASSERT_TRUE(waitUntil([&] {
            downloader.onIdle(screen);
            return downloader.request == 0;
        }));
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

TEST_F(RaceDownloadTest, AnEmptyAnswerIsReportedAndAskedForAgainInTheNextPeriod)
{
    answer("", "");
    BoatRecord own;
    BoatsDownloader boats(&map, &race, clock);
    PositionDownloader position(&map, &race, &own, clock);
    StdoutCapture out;
    collect(boats);
    collect(position);
    EXPECT_EQ(out.text(), "Error downloading boats\nError downloading position\n");
    now += 33;
    for (PeriodicDownloader* downloader : std::initializer_list<PeriodicDownloader*> { &boats, &position }) {
        downloader->onIdle(screen);
        collect(*downloader);
    }
    EXPECT_EQ(server.count("/races"), 4u);
}

TEST_F(RaceDownloadTest, TheBoatMarkersFollowTheLatestAnswerThatHasBoats)
{
    BoatsDownloader boats(&map, &race, clock);
    const struct {
        const char* answer;
        std::vector<std::string> nicks;
    } steps[] {
        { nullptr, { "Ann", "Bob" } },
        { "<result>OK boats = {}</result>", { "Ann", "Bob" } },
        { "<result>OK boats = { { nick = Cid, lat = 10 } }</result>", { "Cid" } },
    };
    for (const auto& step : steps) {
        if (step.answer) {
            answer(step.answer, "");
            now += 33;
            boats.onIdle(screen);
        }
        collect(boats);
        ASSERT_EQ(map.widgets.size(), step.nicks.size());
        for (size_t i = 0; i < step.nicks.size(); ++i) {
            const BoatRecord& boat = *static_cast<BoatWidget&>(*map.widgets[i]).record;
            WorldPixel at = latLonToWorldPixel(boat.lat, boat.lon, map.zoom);
            EXPECT_EQ(boat.nick, step.nicks[i]);
            EXPECT_EQ(std::pair(map.widgets[i]->x, map.widgets[i]->y), std::pair(at.px, at.py)) << boat.nick;
        }
    }
}

// The server's heading and speed go to the race's record, which the panel shows while no
// change is pending.
TEST_F(RaceDownloadTest, APositionMovesTheOwnBoatAndGivesItsWindButLeavesItsSteeringToThePanel)
{
    BoatRecord own;
    own.heading = 100;
    own.speed = 3;
    PositionDownloader position(&map, &race, &own, clock);
    collect(position);
    EXPECT_EQ(std::vector<double>({ own.lat, own.lon, own.windDir, own.windSpeed, own.heading, own.speed }),
        std::vector<double>({ 1.5, 2.5, 10, 12.5, 100, 3 }));
    EXPECT_EQ(std::vector<double>({ race.own.lat, race.own.lon, race.own.heading, race.own.speed }),
        std::vector<double>({ 1.5, 2.5, 45, 6.5 }));
}

// Presses keys other than Escape on a race screen; exits with 7 when every one passed on
// to an accelerator added after the screen's own.
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

// Escape ends the program from the race screen's loop, also while the map has the focus,
// and so does the close button; every other key passes to what is added after the screen's
// own. A loop that went on would be cut by the timer with status 3.
TEST_F(RaceDownloadTest, TheOwnBoatStartsFocusedAndEscapeOrTheCloseButtonEndTheProgram)
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
        auto run = [&] {
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
