#include "ServerHarness.h"
#include "server/PlanCache.h"
#include "server/RaceSimulation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>

using namespace server;

namespace {

constexpr int64_t raceStart = 1800000000;

TEST(SharedRoutesTest, ARouteIsSharedFromTheSamePatchForTheSameWaypointWithinTheHour)
{
    PlanCache cache;
    auto plan = [] { return std::make_shared<const std::vector<RoutePoint>>(); };
    SharedLegs first = cache.route({ 40.01, -30.01 }, 0.2, 2, raceStart, plan);
    // The last case replaces the aged route, so it comes last.
    const std::tuple<const char*, GeoPoint, int, int64_t, bool> cases[] = { { "same patch", { 40.19, -30.19 }, 2, 3599, true },
        { "patch north", { 40.21, -30.01 }, 2, 0, false }, { "other waypoint", { 40.01, -30.01 }, 3, 0, false },
        { "earlier wind", { 40.01, -30.01 }, 2, -1, false }, { "an hour on", { 40.01, -30.01 }, 2, 3600, false } };
    for (const auto& [what, start, waypoint, later, shared] : cases)
        EXPECT_EQ(cache.route(start, 0.2, waypoint, raceStart + later, plan) == first, shared) << what;
    EXPECT_EQ(cache.planned({ 40.01, -30.01 }, 0.2, 2, raceStart), nullptr) << "the aged route is gone";
}

TEST(SharedRoutesTest, AFleetSharesRoutesYetEachSkipperSailsItsOwnCourse)
{
    // Eight boats in one patch west of the Azores and one alone to the south, bound for a
    // mark 200 km east in the forecast wind, sped up 600 times: all within an hour of wind.
    ForecastWind wind;
    RaceSimulation simulation({ 1, "", "", "", raceStart, { { 40.0, -35.0, 0.0, 2.0, GateWaypoint }, { 40.0, -32.6, 0.0, 2.0, MarkWaypoint } } }, standardBoat(), wind, &sharedCoast());
    std::vector<Boat> fleet;
    for (int i = 0; i < 9; ++i) {
        fleet.push_back(simulation.newBoat(0, "robot", 0.5, raceStart));
        std::tie(fleet.back().id, fleet.back().lat, fleet.back().lon) = std::tuple(i + 1, i < 8 ? 40.01 + 0.01 * i : 39.0, -34.95);
    }
    simulation.add(fleet);
    for (int step = 1; step <= 48; ++step) {
        fleet = simulation.boats();
        simulation.step(600.0, raceStart + step);
    }
    std::set<long> headings;
    for (size_t i = 0; i < fleet.size(); ++i) {
        const Boat& boat = simulation.boats()[i];
        // Every skipper has taken a route by now, whose headings carry its own offset
        // off the five-degree steps it steers by without one.
        EXPECT_NE(std::fmod(boat.heading, 5.0), 0.0) << "boat " << boat.id << " has no route";
        headings.insert(std::lround(boat.heading * 100.0));
        Wind exact = wind.at(fleet[i].lat, fleet[i].lon, raceStart + 48);
        EXPECT_NEAR(boat.windSpeed, exact.speed, 0.5);
        EXPECT_NEAR(std::remainder(boat.windDir - exact.dir, 360.0), 0.0, 3.0);
    }
    EXPECT_EQ(headings.size(), fleet.size()) << "no two skippers sail the same course";
    size_t routes = simulation.skippers().sharedRoutes().size();
    EXPECT_TRUE(routes >= 2 && routes < fleet.size()) << routes << " routes for a patch of boats and one alone";
}

TEST(SharedRoutesTest, OnlyStepsClearOfEveryShoreSkipTheLandSampling)
{
    const Coastline& coast = sharedCoast();
    const std::tuple<const char*, GeoPoint, GeoPoint, bool> cases[] = { { "mid-Atlantic", { 40.0, -35.0 }, { 40.05, -34.9 }, true },
        { "over the Isle of Wight", { 50.75, -1.45 }, { 50.55, -1.2 }, false },
        { "off Cherbourg", { 49.72, -1.62 }, { 49.70, -1.62 }, false }, { "across the date line", { 0.0, 179.99 }, { 0.0, -179.99 }, false } };
    for (const auto& [what, from, to, open] : cases)
        EXPECT_EQ(std::pair(coast.openWater(from, to), coast.openWater(to, from)), std::pair(open, open)) << what;
    EXPECT_TRUE(coast.crossesLand({ 50.75, -1.45 }, { 50.55, -1.2 }));
}

} // namespace
