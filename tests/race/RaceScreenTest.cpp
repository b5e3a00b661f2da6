#include "app/Storage.h"
#include "gui/Screen.h"
#include "lobby/RaceRecord.h"
#include "net/TextureRegistry.h"
#include "race/BoatWidget.h"
#include "nav/GreatCircle.h"
#include "race/Map.h"
#include "race/MapImage.h"
#include "race/MapLine.h"
#include "race/Projection.h"
#include "race/RaceDownloaders.h"
#include "race/RaceScreen.h"
#include "support/HeadlessWindow.h"
#include "support/Later.h"
#include "support/LocalHttpServer.h"
#include "support/RunningDownloader.h"
#include "support/TestData.h"

#include <gtest/gtest.h>

#include <cmath>
#include <condition_variable>
#include <cstdlib>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace {

// A race server whose answers to the boats (action 4) and position (action 5) requests
// the test sets; it counts the requests and can hold its answers back.
class RaceServer {
public:
    RaceServer()
    {
        http.server.Get("/races", [this](const httplib::Request& request, httplib::Response& response) {
            std::unique_lock<std::mutex> lock(mutex);
            std::string action = request.get_param_value("action");
            ++counts[action];
            released.wait_for(lock, std::chrono::seconds(10), [this] { return !holding; });
            response.set_content(answers[action], "text/plain");
        });
        http.start();
    }
    // Lets a held answer go and waits for it before the fields it reads go away.
    ~RaceServer()
    {
        hold(false);
        http.stop();
    }

    void answer(const std::string& action, const std::string& text)
    {
        std::lock_guard<std::mutex> lock(mutex);
        answers[action] = text;
    }
    void hold(bool on)
    {
        {
            std::lock_guard<std::mutex> lock(mutex);
            holding = on;
        }
        released.notify_all();
    }
    int count(const std::string& action)
    {
        std::lock_guard<std::mutex> lock(mutex);
        return counts[action];
    }
    // Waits up to five seconds for that many requests of the action.
    bool waitFor(const std::string& action, int wanted)
    {
        for (int turn = 0; turn < 500 && count(action) < wanted; ++turn)
            SDL_Delay(10);
        return count(action) >= wanted;
    }
    LocalHttpServer http;

private:
    std::mutex mutex;
    std::condition_variable released;
    bool holding = false;
    std::map<std::string, std::string> answers;
    std::map<std::string, int> counts;
};

const char* const twoBoats = "<result>OK boats = { { nick = Ann, lat = 1.5, lon = 2.5, heading = 90, speed = 6.25, "
                             "sail = 2, position = 3, grounded = 1, waypoint = 4, finished = 0, user = 11 }, "
                             "{ nick = Bob, lat = -1, lon = -2 } }</result>";

class RaceDownloadTest : public testing::Test {
protected:
    void SetUp() override
    {
        startDownloaderOnce();
        initTextures(display.renderer);
        storage->writeString("raceServer", server.http.baseUrl());
        reloadServerUrls();
        map = std::make_unique<Map>(1024, 768, 0.0, 0.0);
        screen = std::make_unique<Screen>(display.window);
        race.id = 7;
        server.answer("4", twoBoats);
        server.answer("5", "<result>OK lat = 1, lon = 2, heading = 3, speed = 4, windDir = 5, windSpeed = 6</result>");
    }
    void TearDown() override
    {
        server.hold(false);
        map.reset();
        clearTextures();
    }

    Clock clock()
    {
        return [this] { return now; };
    }

    // Runs the downloader's frames until its request in flight has been collected.
    void collect(PeriodicDownloader& downloader)
    {
        ASSERT_NE(downloader.request, 0);
        for (int turn = 0; turn < 2000 && downloader.request != 0; ++turn) {
            downloader.onIdle(*screen);
            SDL_Delay(5);
        }
        ASSERT_EQ(downloader.request, 0);
    }

    HeadlessWindow display;
    RaceServer server;
    std::unique_ptr<Map> map;
    std::unique_ptr<Screen> screen;
    RaceRecord race;
    int32_t now = 1000;
};

TEST_F(RaceDownloadTest, NextRequestStartsOnceThePeriodOfTheZoomHasPassed)
{
    struct Case {
        int32_t zoom, period, gap;
    };
    const Case cases[] = { { 6, 32, 33 }, { 10, 2, 3 }, { 11, 1, 2 }, { 15, 1, 2 }, { 2, 512, 513 } };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.zoom);
        EXPECT_EQ(downloadPeriod(c.zoom), c.period);
        map->zoom = c.zoom;
        now = 1000;
        BoatsDownloader boats(map.get(), &race, clock());
        EXPECT_EQ(boats.lastStart, 1000);
        collect(boats);
        now = 1000 + c.gap - 1;
        boats.onIdle(*screen);
        EXPECT_EQ(boats.request, 0);
        now = 1000 + c.gap;
        boats.onIdle(*screen);
        EXPECT_NE(boats.request, 0);
        EXPECT_EQ(boats.lastStart, 1000 + c.gap);
        collect(boats);
    }
}

TEST_F(RaceDownloadTest, NoSecondRequestWhileOneIsInFlight)
{
    server.hold(true);
    BoatRecord own;
    PositionDownloader position(map.get(), &race, &own, clock());
    ASSERT_TRUE(server.waitFor("5", 1));
    int first = position.request;
    for (int turn = 0; turn < 5; ++turn) {
        now += 100;
        position.onIdle(*screen);
    }
    EXPECT_EQ(position.request, first);
    EXPECT_EQ(position.lastStart, 1000);
    SDL_Delay(100);
    EXPECT_EQ(server.count("5"), 1);
    server.hold(false);
    collect(position);
    EXPECT_DOUBLE_EQ(own.windSpeed, 6);
}

TEST_F(RaceDownloadTest, UnusableAnswerIsReportedAndRetriedInTheNextPeriod)
{
    BoatRecord own;
    struct Case {
        const char* action;
        const char* message;
    };
    const Case cases[] = { { "4", "Error downloading boats\n" }, { "5", "Error downloading position\n" } };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.action);
        server.answer(c.action, "");
        now = 1000;
        int before = server.count(c.action);
        std::unique_ptr<PeriodicDownloader> downloader;
        if (std::string(c.action) == "4")
            downloader = std::make_unique<BoatsDownloader>(map.get(), &race, clock());
        else
            downloader = std::make_unique<PositionDownloader>(map.get(), &race, &own, clock());
        testing::internal::CaptureStdout();
        collect(*downloader);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), c.message);
        now = 1034;
        downloader->onIdle(*screen);
        EXPECT_NE(downloader->request, 0);
        collect(*downloader);
        EXPECT_EQ(server.count(c.action), before + 2);
    }
}

TEST_F(RaceDownloadTest, BoatMarkersAreReplacedOnlyByAnAnswerWithBoats)
{
    BoatsDownloader boats(map.get(), &race, clock());
    collect(boats);
    ASSERT_EQ(boats.boats.size(), 2u);
    ASSERT_EQ(boats.markers.size(), 2u);
    ASSERT_EQ(map->widgets.size(), 2u);
    EXPECT_EQ(boats.markers[0], map->widgets[0].get());
    EXPECT_EQ(boats.markers[0]->record, &boats.boats[0]);
    EXPECT_EQ(boats.markers[0]->panel, nullptr);
    WorldPixel annAt = latLonToWorldPixel(1.5, 2.5, 6);
    EXPECT_EQ(boats.markers[0]->x, annAt.px);
    EXPECT_EQ(boats.markers[0]->y, annAt.py);

    struct Case {
        const char* answer;
        std::vector<std::string> nicks;
        const char* message;
        bool kept;
    };
    const Case cases[] = {
        { "<result>OK other = 1</result>", { "Ann", "Bob" }, "missing boats table\n", true },
        { "<result>OK boats = {}</result>", { "Ann", "Bob" }, "", true },
        { "<result>OK boats = { { nick = Cid } }</result>", { "Cid" }, "", false },
        { "<result>OK boats = { 5 }</result>", { "Cid" },
            "Can't convert integer to table\nError parsing boat table '<result>OK boats = { 5 }</result>'\n", true },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer);
        std::vector<BoatWidget*> before = boats.markers;
        server.answer("4", c.answer);
        now += 33;
        boats.onIdle(*screen);
        testing::internal::CaptureStdout();
        collect(boats);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), c.message);
        std::vector<std::string> nicks;
        for (const BoatRecord& boat : boats.boats)
            nicks.push_back(boat.nick);
        EXPECT_EQ(nicks, c.nicks);
        ASSERT_EQ(map->widgets.size(), c.nicks.size());
        for (size_t i = 0; i < boats.markers.size(); ++i) {
            EXPECT_EQ(boats.markers[i], map->widgets[i].get());
            EXPECT_EQ(boats.markers[i]->record, &boats.boats[i]);
        }
        EXPECT_EQ(boats.markers == before, c.kept);
    }
}

TEST_F(RaceDownloadTest, PositionAnswerMovesTheBoatsButLeavesTheOwnSteering)
{
    BoatRecord own;
    own.lat = 5;
    own.lon = 6;
    own.heading = 100;
    own.speed = 3;
    own.sail = 2;
    own.position = 9;
    race.own.sail = 1;
    server.answer("5", "<result>OK position = 3, heading = 45, speed = 6.5, windDir = 10, windSpeed = 12.5, grounded = 1, "
                       "waypoint = 2, finished = 1</result>");
    PositionDownloader position(map.get(), &race, &own, clock());
    collect(position);
    EXPECT_DOUBLE_EQ(own.lat, 0);
    EXPECT_DOUBLE_EQ(own.lon, 0);
    EXPECT_DOUBLE_EQ(own.windDir, 10);
    EXPECT_DOUBLE_EQ(own.windSpeed, 12.5);
    EXPECT_DOUBLE_EQ(own.heading, 100);
    EXPECT_DOUBLE_EQ(own.speed, 3);
    EXPECT_EQ(own.sail, 2);
    EXPECT_EQ(own.position, 9);
    EXPECT_DOUBLE_EQ(race.own.lat, 0);
    EXPECT_DOUBLE_EQ(race.own.lon, 0);
    EXPECT_DOUBLE_EQ(race.own.heading, 45);
    EXPECT_DOUBLE_EQ(race.own.speed, 6.5);
    EXPECT_EQ(race.own.sail, 1);

    // A broken answer changes nothing.
    server.answer("5", "<result>OK lat = 'north', lon = 7</result>");
    now += 33;
    position.onIdle(*screen);
    testing::internal::CaptureStdout();
    collect(position);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
        "Invalid double 'north'\nError parsing position table '<result>OK lat = 'north', lon = 7</result>'\n");
    EXPECT_DOUBLE_EQ(own.lon, 0);
    EXPECT_DOUBLE_EQ(race.own.heading, 45);
}

TEST(ParseBoats, ReadsEveryFieldAndWalksTheKeysInOrder)
{
    struct Case {
        const char* answer;
        std::vector<std::string> nicks;
        const char* message;
    };
    const Case cases[] = {
        { "<result>OK boats = { { nick = A }, x = { nick = C } }</result>", { "A" }, "missing boat table\n" },
        { "<result>OK boats = { {nick = A}, {nick = B}, {nick = C} }</result>", { "A", "B", "C" }, "" },
        { "<result>OK boats = { { nick = A }, { lat = x } }</result>", { "A" },
            "Invalid double 'x'\nError parsing boat table '<result>OK boats = { { nick = A }, { lat = x } }</result>'\n" },
        { "<result>OK boats = {</result>", {},
            "Table started at (1:8) is never finished\nError parsing boat table '<result>OK boats = {</result>'\n" },
        { "no envelope", {}, "missing boats table\n" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer);
        testing::internal::CaptureStdout();
        std::vector<BoatRecord> boats = parseBoats(c.answer);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), c.message);
        std::vector<std::string> nicks;
        for (const BoatRecord& boat : boats)
            nicks.push_back(boat.nick);
        EXPECT_EQ(nicks, c.nicks);
    }

    std::vector<BoatRecord> boats = parseBoats(twoBoats);
    ASSERT_EQ(boats.size(), 2u);
    // The keys shared with the race list have one reader, which the race list tests check in full.
    const BoatRecord& ann = boats[0];
    EXPECT_DOUBLE_EQ(ann.lat, 1.5);
    EXPECT_TRUE(ann.grounded);
    EXPECT_EQ(ann.sail, 2);
    EXPECT_EQ(ann.user, 11);
    EXPECT_FALSE(ann.pending);
    EXPECT_EQ(ann.boat, nullptr);
    const BoatRecord& bob = boats[1];
    EXPECT_EQ(bob.sail, 0);
    EXPECT_EQ(bob.user, 0);
    EXPECT_DOUBLE_EQ(bob.speed, 0.0);
    EXPECT_FALSE(bob.grounded);
}

TEST(ParsePosition, ValidOnlyWhenTheWholeAnswerWasRead)
{
    struct Case {
        const char* answer;
        bool valid;
        double lat, windSpeed;
        const char* message;
    };
    const Case cases[] = {
        { "<result>OK lat = 1.25, lon = 2, windSpeed = 14, finished = 1</result>", true, 1.25, 14, "" },
        { "<result>OK</result>", true, 0, 0, "" },
        { "<result>OK windSpeed = {}</result>", false, 0, 0,
            "Can't convert table to double\nError parsing position table '<result>OK windSpeed = {}</result>'\n" },
        { "<result>OK lat = 'x y'</result>", false, 0, 0,
            "Invalid double 'x y'\nError parsing position table '<result>OK lat = 'x y'</result>'\n" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer);
        testing::internal::CaptureStdout();
        std::optional<BoatRecord> report = parsePosition(c.answer);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), c.message);
        ASSERT_EQ(report.has_value(), c.valid);
        if (report) {
            EXPECT_DOUBLE_EQ(report->lat, c.lat);
            EXPECT_DOUBLE_EQ(report->windSpeed, c.windSpeed);
        }
    }
}

Waypoint waypoint(double lat, double lon, int type, double hdg = 0, double dst = 0)
{
    Waypoint point;
    point.lat = lat;
    point.lon = lon;
    point.type = type;
    point.hdg = hdg;
    point.dst = dst;
    return point;
}

bool samePlace(const MapImage& flag, Metres where)
{
    return std::abs(flag.mx - where.mx) < 1e-3 && std::abs(flag.my - where.my) < 1e-3;
}

TEST_F(RaceDownloadTest, RouteBecomesLinesBetweenWaypointsAndFlagsOnThem)
{
    struct Case {
        std::vector<Waypoint> route;
        size_t lines, flags;
    };
    const Case cases[] = {
        { {}, 0, 0 },
        { { waypoint(10, 20, 0) }, 0, 0 },
        { { waypoint(10, 20, 2, 90, 5) }, 0, 0 },
        { { waypoint(10, 20, 0), waypoint(11, 21, 1) }, 1, 2 },
        { { waypoint(10, 20, 0), waypoint(11, 21, 2, 45, 3), waypoint(12, 22, 1) }, 2, 4 },
        { { waypoint(10, 20, 2, 0, 1), waypoint(11, 21, 2, 0, 1), waypoint(12, 22, 2, 0, 1) }, 2, 6 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.route.size());
        Map chart(1024, 768, 0, 0);
        addRouteFeatures(c.route, chart);
        std::vector<MapLine*> lines;
        std::vector<MapImage*> flags;
        for (auto& feature : chart.features) {
            if (auto* line = dynamic_cast<MapLine*>(feature.get()))
                lines.push_back(line);
            if (auto* flag = dynamic_cast<MapImage*>(feature.get()))
                flags.push_back(flag);
        }
        EXPECT_EQ(lines.size(), c.lines);
        EXPECT_EQ(flags.size(), c.flags);
        EXPECT_EQ(chart.features.size(), c.lines + c.flags);
        // The lines come first, each from one waypoint to the next.
        for (size_t i = 0; i < lines.size(); ++i) {
            EXPECT_EQ(chart.features[i].get(), lines[i]);
            Metres from = latLonToMetres(c.route[i].lat, c.route[i].lon);
            Metres to = latLonToMetres(c.route[i + 1].lat, c.route[i + 1].lon);
            EXPECT_NEAR(lines[i]->points.front().mx, from.mx, 1e-3);
            EXPECT_NEAR(lines[i]->points.back().my, to.my, 1e-3);
        }
    }
}

TEST_F(RaceDownloadTest, GateHasTwoFlagsAcrossItsHeadingAndNoneAtItsCentre)
{
    std::vector<Waypoint> route { waypoint(10, 20, 0), waypoint(-30, -40, 2, 60, 5), waypoint(12, 22, 1) };
    addRouteFeatures(route, *map);
    ASSERT_EQ(map->features.size(), 6u);
    auto* first = dynamic_cast<MapImage*>(map->features[2].get());
    auto* along = dynamic_cast<MapImage*>(map->features[3].get());
    auto* against = dynamic_cast<MapImage*>(map->features[4].get());
    auto* last = dynamic_cast<MapImage*>(map->features[5].get());
    ASSERT_TRUE(first && along && against && last);
    EXPECT_TRUE(samePlace(*first, latLonToMetres(10, 20)));
    EXPECT_TRUE(samePlace(*last, latLonToMetres(12, 22)));
    GeoPoint one = destinationPoint(-30, -40, 60, 5);
    GeoPoint other = destinationPoint(-30, -40, -120, 5);
    EXPECT_TRUE(samePlace(*along, latLonToMetres(one.lat, one.lon)));
    EXPECT_TRUE(samePlace(*against, latLonToMetres(other.lat, other.lon)));
    // Ten kilometres apart on the ground, stretched by the projection at 30 degrees south,
    // and centred on the gate (its longitude comes back a whole turn east).
    double apart = std::hypot(along->mx - against->mx, along->my - against->my);
    EXPECT_GT(apart, 11000);
    EXPECT_LT(apart, 12000);
    Metres centre = latLonToMetres(-30, -40);
    EXPECT_NEAR(std::remainder((along->mx + against->mx) / 2 - centre.mx, mercatorCircumference), 0, 50);
    EXPECT_NEAR((along->my + against->my) / 2, centre.my, 50);
    EXPECT_FALSE(samePlace(*along, centre));
    EXPECT_FALSE(samePlace(*against, centre));
}

// The race screen's own accelerator lets every key but Escape pass to one added after it.
TEST_F(RaceDownloadTest, OnlyEscapeIsTheRaceScreensKey)
{
    struct Recorder : Accelerator {
        bool handleKey(SDL_Keycode key) override { keys.push_back(key); return true; }
        std::vector<SDL_Keycode> keys;
    } recorder;
    RaceScreen raceScreen(display.window, race);
    Screen& root = raceScreen.screen();
    root.addAccelerator(&recorder);
    const std::vector<SDL_Keycode> others = { SDLK_RETURN, SDLK_TAB, SDLK_q, SDLK_F4, SDLK_BACKSPACE, SDLK_AC_BACK };
    for (SDL_Keycode key : others)
        root.onKeyDown(key);
    EXPECT_EQ(recorder.keys, others);
    EXPECT_FALSE(root.done);
    for (IdleHandler* handler : root.idleHandlers)
        collect(*dynamic_cast<PeriodicDownloader*>(handler));
}

// Runs the race screen of a two-waypoint route at 0, 0 after a press and release at (x, y),
// with Escape in between when asked.
void runScreenAfterInput(SDL_Window* window, RaceRecord& race, int x, int y, bool escape)
{
    TestDataFolder data;
    data.writeImage("images/compas.png", 300, 300, { 250, 250, 250, 255 });
    data.writeImage("images/close-btn.png", 49, 48, { 200, 0, 0, 255 });
    race.own.lat = 0;
    race.own.lon = 0;
    race.route = { waypoint(0, 0, 0), waypoint(1, 1, 2, 90, 3) };
    later(10000, [] { std::_Exit(3); });
    pushMouseButton(SDL_MOUSEBUTTONDOWN, x, y);
    if (escape)
        pushKey(SDLK_ESCAPE);
    pushMouseButton(SDL_MOUSEBUTTONUP, x, y);
    runRaceScreen(window, race);
}

// Escape ends the program from the race screen's loop, also while a child that is no
// container has the focus (the map); the close button does too. A loop that went on would
// be cut by the timer with status 3.
TEST_F(RaceDownloadTest, EscapeAndTheCloseButtonEndTheProcess)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(runScreenAfterInput(display.window, race, 100, 400, true), testing::ExitedWithCode(0), "");
    EXPECT_EXIT(runScreenAfterInput(display.window, race, 1024 - 24, 24, false), testing::ExitedWithCode(0), "");
}

}
