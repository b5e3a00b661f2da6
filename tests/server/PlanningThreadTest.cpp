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

// A fleet large enough to plan its routes apart from the steps, spread over a square of
// `spread` degrees, sails sped up 600 times; after each step it waits for the routes it
// asked, as a server's second between steps gives them. Off the east coast of Gran Canaria
// each skipper plans alone; west of the Azores the water is open. Past the longest first
// wait of six hours every skipper follows a route, whose headings carry its own offset off
// the five-degree steps it steers by without one, and no boat has touched the land.
TEST(PlanningThreadTest, ALargeFleetTakesUpTheRoutesPlannedBetweenStepsClearOfTheShore)
{
    ForecastWind wind;
    Race canaria = RaceCatalog::builtIn(raceStart)[1];
    canaria.start = raceStart;
    const auto& line = canaria.route.front();
    const std::tuple<Race, GeoPoint, double> cases[] = { { canaria, { line.lat - 0.05, line.lon }, 0.1 },
        { { 1, "", "", "", raceStart, { { 40.0, -35.0, 0.0, 2.0, GateWaypoint }, { 40.0, -32.0, 0.0, 2.0, MarkWaypoint } } }, { 39.8, -35.0 }, 0.4 } };
    for (const auto& [race, from, spread] : cases) {
        RaceSimulation simulation(race, standardBoat(), wind, &sharedCoast());
        std::vector<Boat> fleet;
        for (int i = 0; i < 500; ++i) {
            fleet.push_back(simulation.newBoat(0, "robot", 0.5, raceStart));
            std::tie(fleet.back().id, fleet.back().lat, fleet.back().lon) = std::tuple(i + 1, from.lat + spread * (i % 23) / 23.0, from.lon + spread * (i / 23) / 22.0);
        }
        simulation.add(fleet);
        int grounded = 0, unrouted = 0;
        for (int step = 1; step <= 40; ++step) {
            simulation.step(600.0, raceStart + step);
            simulation.awaitRoutes();
            for (const Boat& boat : simulation.boats())
                grounded += boat.grounded || sharedCoast().isLand(boat.lat, boat.lon);
        }
        for (const Boat& boat : simulation.boats())
            unrouted += std::fmod(boat.heading, 5.0) == 0.0;
        EXPECT_EQ(std::pair(grounded, unrouted), std::pair(0, 0)) << "race " << race.id;
    }
}

} // namespace
