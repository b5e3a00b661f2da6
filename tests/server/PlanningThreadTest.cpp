#include "ServerHarness.h"
#include "server/BoatType.h"
#include "server/RaceCatalog.h"
#include "server/RaceSimulation.h"
#include "server/StepCrew.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <stdexcept>
#include <tuple>

using namespace server;

namespace {

constexpr int64_t raceStart = 1800000000;

TEST(StepCrewTest, EachWorkerRunsEveryRoundOnceAndAFailureReachesTheCaller)
{
    StepCrew crew(3);
    ASSERT_EQ(crew.workers(), 4u);
    for (int round = 0; round < 50; ++round) {
        std::atomic<int> seen[4] = {};
        crew.together([&](size_t worker) { ++seen[worker]; });
        for (const auto& count : seen)
            EXPECT_EQ(count.load(), 1) << "round " << round;
    }
    for (size_t failing : { 0u, 2u })
        EXPECT_THROW(crew.together([&](size_t worker) {
            if (worker == failing)
                throw std::runtime_error("failed");
        }),
            std::runtime_error);
}

// A fleet large enough to plan its routes apart from the steps, spread from `from` over
// a square of `spread` degrees, sped up 600 times; after each step it waits for the
// routes it asked, as a server's second between steps gives them.
std::vector<Boat> sailLargeFleet(RaceSimulation& simulation, GeoPoint from, double spread, int steps)
{
    std::vector<Boat> fleet;
    for (int i = 0; i < 500; ++i) {
        fleet.push_back(simulation.newBoat(0, "robot", 0.5, raceStart));
        std::tie(fleet.back().id, fleet.back().lat, fleet.back().lon) = std::tuple(i + 1, from.lat + spread * (i % 23) / 23.0, from.lon + spread * (i / 23) / 22.0);
    }
    simulation.add(fleet);
    int grounded = 0;
    for (int step = 1; step <= steps; ++step) {
        simulation.step(600.0, raceStart + step);
        simulation.awaitRoutes();
        for (const Boat& boat : simulation.boats())
            grounded += boat.grounded || sharedCoast().isLand(boat.lat, boat.lon);
    }
    EXPECT_EQ(grounded, 0);
    return simulation.boats();
}

TEST(PlanningThreadTest, ALargeFleetTakesUpTheRoutesPlannedBetweenSteps)
{
    ForecastWind wind;
    RaceSimulation simulation({ 1, "", "", "", raceStart, { { 40.0, -35.0, 0.0, 2.0, GateWaypoint }, { 40.0, -32.0, 0.0, 2.0, MarkWaypoint } } },
        standardBoat(), wind, &sharedCoast());
    // Past the longest first wait of six hours, every skipper follows a route, whose
    // headings carry its own offset off the five-degree steps it steers by without one.
    int unrouted = 0;
    for (const Boat& boat : sailLargeFleet(simulation, { 39.8, -35.0 }, 0.4, 40))
        unrouted += std::fmod(boat.heading, 5.0) == 0.0;
    EXPECT_EQ(unrouted, 0);
}

TEST(PlanningThreadTest, ALargeFleetSailsClearOfTheShoreWhileItsRoutesArePlanned)
{
    // Off the east coast of Gran Canaria, where each skipper plans alone.
    ForecastWind wind;
    Race race = RaceCatalog::builtIn(raceStart)[1];
    race.start = raceStart;
    RaceSimulation simulation(race, standardBoat(), wind, &sharedCoast());
    const auto& line = race.route.front();
    sailLargeFleet(simulation, { line.lat - 0.05, line.lon }, 0.1, 36);
}

} // namespace
