#include "ChartTestSupport.h"
#include "boat/BoatControl.h"
#include "gui/PictureKey.h"
#include "gui/Screen.h"
#include "lobby/RaceRecord.h"
#include "race/Map.h"
#include "race/RaceScreen.h"
#include "race/RouteButton.h"
#include "race/RouteForecast.h"
#include "race/RouteOverlay.h"
#include "race/RoutePlanner.h"
#include "router/LandGrid.h"
#include "support/RecordingFont.h"
#include "support/RecordingServer.h"
#include "support/RunningDownloader.h"
#include "support/StdoutCapture.h"
#include "support/WaitUntil.h"

#include <algorithm>
#include <atomic>
#include <ctime>
#include <optional>

namespace {

// The race server's wind answer: eight cells a side of a 15-knot north-easterly.
std::string steadyWind()
{
    std::string cells;
    for (int i = 0; i < 64; ++i)
        cells += std::string(i ? ", " : "") + "45.0, 15.0";
    return "numWinds = 8, winds = { " + cells + " }";
}

// Wind for every grid but, while garbled, the second forecast time's (garbage); land is 404.
class RoutingTest : public ChartTest {
protected:
    RoutingTest()
    {
        server.answer("/wind", [this](const SeenRequest& request) { return Reply(garbled && request.param("t") == std::to_string(now + 3 * 3600) ? "garbage" : steadyWind()); });
        startDownloaderOnce();
        useServer(server.baseUrl());
    }

    RecordingServer server;
    int32_t now = int32_t(std::time(nullptr));
    std::atomic<bool> garbled { true };
};

TEST(RoutingHelpers, OnlyAGoodAnswerWithAFullGridGivesLandAndTheRouteIsLabelledInGmtWithTicksEverySixHours)
{
    auto landOf = [](const std::string& answer) {
        int cells = 0;
        std::vector<bool> land;
        return parseLandMask(answer, cells, land) ? std::optional(land) : std::nullopt;
    };
    for (auto [answer, land] : std::initializer_list<std::pair<std::string, std::optional<std::vector<bool>>>> {
             { "<result>OK numCells = 2, land = { 1, 0, 0, 1 }</result>", std::vector<bool> { 1, 0, 0, 1 } }, { "<result>OK numCells = 2, land = { 1, 0, 0 }</result>", std::nullopt },
             { "<result>OK numCells = 0, land = { }</result>", std::nullopt }, { "<result>OK numCells = 2</result>", std::nullopt },
             { "<result>Invalid request.</result>", std::nullopt }, { "Not Found", std::nullopt } })
        EXPECT_EQ(landOf(answer), land) << answer;
    std::string largest = "<result>OK numCells = 256, land = { 1";
    for (int i = 1; i < 256 * 256; ++i)
        largest += ", 0";
    std::optional<std::vector<bool>> land = landOf(largest + " }</result>");
    EXPECT_TRUE(land && land->size() == 65536u && land->at(0)) << "the largest grid";
    EXPECT_EQ(etaLabel(86400 * 365, 25.5), "ETA 1971-01-02 01:30 GMT");
    PlannedRoute route;
    std::tie(route.points, route.etaHours) = std::tuple(std::vector<RoutePoint> { { 0.0, { 0.0, 0.0 } }, { 9.0, { 0.0, 9.0 } }, { 21.0, { 12.0, 9.0 } } }, 18.0);
    std::vector<GeoPoint> ticks = routeTicks(route);
    ASSERT_EQ(ticks.size(), 2u);
    EXPECT_NEAR(ticks[0].lon, 6.0, 1e-9);
    EXPECT_NEAR(ticks[1].lat, 3.0, 1e-9);
}

TEST_F(RoutingTest, AFailedGridIsAskedForOnceMoreAndAnUnknownLandRequestIsNotRepeated)
{
    StdoutCapture quiet;
    RouteForecast forecast(7, { 45.0, -30.0 }, { 45.5, -29.5 }, now);
    ASSERT_TRUE(waitUntil([&] { return pollWindDownloads(), forecast.poll(), forecast.ready(); }));
    for (int frame = 0; frame < 50; ++frame)
        forecast.poll();
    size_t tiles = server.count("/races?action=6");
    ASSERT_GE(tiles, 1u);
    EXPECT_EQ(server.count("/wind"), tiles * (routeForecastTimes + 1));
    EXPECT_TRUE(forecast.land() == nullptr && forecast.windFailed());
    std::unique_ptr<GridWind> wind = forecast.wind();
    WindSample sample;
    ASSERT_TRUE(wind->wind(45.2, -29.8, 0.0, sample) && wind->wind(45.2, -29.8, 6.0, sample));
    EXPECT_NEAR(sample.dir, 45.0, 1e-6);
    EXPECT_FALSE(wind->wind(45.2, -29.8, 4.0, sample));
}

// Land grids answered in full mark their cells, but not those of the start and the target;
// a grid of another size leaves land out. While they are awaited the wind's share of the
// work is done and the forecast not ready; with every wind grid whole no wind is missing.
TEST_F(RoutingTest, LandGridsAnsweredInFullMarkTheirCellsAndAreAwaited)
{
    garbled = false;
    std::string land = "<result>OK numCells = 32, land = {1";
    for (int i = 1; i < 32 * 32; ++i)
        land += ", 1";
    server.answer("/races", Reply(land + "}</result>"));
    server.hold("/races");
    StdoutCapture quiet;
    RouteForecast forecast(7, { 45.0, -30.0 }, { 45.5, -29.5 }, now);
    const int windShare = 100 * (routeForecastTimes + 1) / (routeForecastTimes + 2);
    ASSERT_TRUE(waitUntil([&] { return pollWindDownloads(), forecast.poll(), forecast.percent() == windShare; })) << forecast.percent();
    EXPECT_FALSE(forecast.ready());
    server.release();
    ASSERT_TRUE(waitUntil([&] { return forecast.poll(), forecast.ready(); }));
    std::unique_ptr<LandGrid> grid = forecast.land();
    ASSERT_TRUE(grid && !forecast.windFailed());
    EXPECT_TRUE(grid->crossesLand({ 45.0, -30.0 }, { 45.5, -29.5 }) && !grid->crossesLand({ 45.0, -30.0 }, { 45.0, -30.0 }));
    server.answer("/races", Reply("<result>OK numCells = 2, land = { 1, 1, 1, 1 }</result>"));
    RouteForecast coarse(7, { 45.0, -30.0 }, { 45.5, -29.5 }, now);
    ASSERT_TRUE(waitUntil([&] { return pollWindDownloads(), coarse.poll(), coarse.ready(); }));
    EXPECT_EQ(coarse.land(), nullptr) << "a grid of another size marks no land";
}

TEST_F(RoutingTest, RStartsOrCancelsARoutingEscapeCancelsItAndTheFinishedRouteIsProposed)
{
    server.answer("/wind", Reply(steadyWind()));
    RaceRecord race;
    std::tie(race.id, race.own.lat, race.own.lon, race.own.waypoint) = std::tuple(7, 45.0, -30.0, 1);
    race.route = { { 44.0, -31.0, 0.0, 1.0, 1 }, { 46.5, -30.0, 0.0, 2.0, 1 } };
    Polar polar { { 0, 10, 20 }, { 0, 40, 90, 180 }, { { 0, 0, 0 }, { 0, 5, 8 }, { 0, 7, 10 }, { 0, 6, 9 } } };
    race.boat.sails = { { 1, polar }, { 2, polar } };
    RaceScreen raceScreen(display.window, race);
    Screen& screen = raceScreen.screen();
    RoutePlanner& planner = raceScreen.router();
    auto& button = dynamic_cast<RouteButton&>(**std::find_if(screen.children.begin(), screen.children.end(), [](const auto& child) { return dynamic_cast<RouteButton*>(child.get()); }));
    RecordingFont font;
    button.labelFont = &font;
    using State = RoutePlanner::State;
    EXPECT_EQ(server.count("/races?action=6"), 0u);
    for (auto [key, state] : { std::pair(SDLK_r, State::Gathering), std::pair(SDLK_r, State::Idle), std::pair(SDLK_r, State::Gathering), std::pair(SDLK_ESCAPE, State::Idle) })
        EXPECT_TRUE(screen.onKeyDown(key) && planner.state() == state) << key << " to state " << int(state);
    EXPECT_FALSE(screen.done);
    button.draw(display.renderer, 0, 0);
    EXPECT_TRUE(font.drawn.empty());
    StdoutCapture out;
    screen.onKeyDown(SDLK_r);
    button.draw(display.renderer, 100, 0);
    EXPECT_EQ(font.texts(), std::vector<std::string> { "Routing... 0%" });
    EXPECT_EQ(std::pair(font.drawn[0].x, font.drawn[0].y), std::pair(100 + 49 - 130 - 4, 48 + 4)) << "ending 4 pixels left of the button's right edge, 4 below it";
    ASSERT_TRUE(waitUntil([&] { return pollWindDownloads(), planner.onIdle(screen), raceScreen.plannedRoute() != nullptr; }));
    const PlannedRoute& route = *raceScreen.plannedRoute();
    EXPECT_TRUE(route.reached && route.landIgnored);
    const BoatRecord& own = *static_cast<BoatControl&>(*screen.children[1]).boat;
    EXPECT_EQ(std::tuple(screen.children[1]->visible, own.pending, own.heading, own.sail), std::tuple(true, true, route.points[0].heading, route.points[0].sail));
    auto& overlay = static_cast<RouteOverlay&>(*raceScreen.map().features.back());
    overlay.font = &font;
    font.drawn.clear();
    display.clear();
    overlay.draw(raceScreen.map(), display.renderer, 0, 0, 0, 1.0);
    auto orangeBeside = [&](const GeoPoint& point, int dx, int dy) {
        SDL_Point at = raceScreen.map().latLonToScreen(point.lat, point.lon);
        return sameColour(display.pixelAt(at.x + dx, at.y + dy), { 255, 140, 0, 255 });
    };
    for (const RoutePoint& end : { route.points.front(), route.points.back() })
        EXPECT_TRUE(orangeBeside(end.position, 1, 1)) << "the route's line is two pixels thick";
    ASSERT_FALSE(routeTicks(route).empty());
    for (const GeoPoint& tick : routeTicks(route))
        for (auto [dx, dy] : { std::pair(5, 0), std::pair(-5, 0), std::pair(0, 5), std::pair(0, -5) })
            EXPECT_TRUE(orangeBeside(tick, dx, dy)) << "a tick's arm ends 5 pixels out";
    EXPECT_EQ(font.texts(), (std::vector<std::string> { etaLabel(planner.routeStart(), route.etaHours), "Route ignores land" }));
    EXPECT_EQ(font.drawn[1].y - font.drawn[0].y, 16) << "a note stands a line under the ETA";
    planner.onIdle(screen);
    EXPECT_TRUE(raceScreen.plannedRoute() && !planner.changedPicture()) << "the route stays, asking for no frame, while the boat heads for the same waypoint";
    PictureKey drawn, again, gone;
    EXPECT_TRUE(overlay.describe(raceScreen.map(), drawn) && overlay.describe(raceScreen.map(), again) && drawn == again);
    // Past the last waypoint there is nothing to route to.
    race.own.waypoint = 2;
    planner.onIdle(screen);
    EXPECT_TRUE(planner.changedPicture() && overlay.describe(raceScreen.map(), gone) && gone != drawn) << "the route went";
    screen.onKeyDown(SDLK_r);
    EXPECT_EQ(std::pair(raceScreen.plannedRoute(), planner.state()), std::pair(static_cast<const PlannedRoute*>(nullptr), State::Idle));
}

}
