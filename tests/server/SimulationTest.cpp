#include "ServerHarness.h"
#include "nav/GreatCircle.h"
#include "server/BoatType.h"
#include "server/LiveRace.h"
#include "server/PlanCache.h"
#include "server/RaceCatalog.h"
#include "server/RaceSimulation.h"
#include "server/StepCrew.h"
#include "support/WaitUntil.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <future>
#include <set>
#include <stdexcept>
#include <tuple>

using namespace server;

namespace {

constexpr int64_t raceStart = 1800000000;
constexpr double hour = 3600.0;

// A race in open water west of the Azores: start line, one gate 20 km east, finish
// line 40 km east.
Race oceanRace()
{
    return { 1, "Test", "", "", raceStart, { { 40.0, -35.0, 0.0, 2.0, GateWaypoint }, { 40.0, -34.765, 0.0, 2.0, GateWaypoint }, { 40.0, -34.53, 0.0, 2.0, GateWaypoint } } };
}

Boat boatAt(int64_t id, int user, double lat, double lon, double heading, int sail, int waypoint = 1)
{
    Boat boat;
    std::tie(boat.id, boat.race, boat.user, boat.lat, boat.lon, boat.heading, boat.sail, boat.waypoint) = std::tuple(id, 1, user, lat, lon, heading, sail, waypoint);
    return boat;
}

TEST(SimulationTest, ABoatSailsThePolarDistanceInAStepOnceTheRaceHasStarted)
{
    // Grid values of the polar, with the wind from the north: true wind angle and wind
    // speed on table points.
    const std::tuple<int, double, double, double, int64_t> cases[] = { { Jib, 90.0, 16.0, 8.3, 60 }, { Jib, 270.0, 16.0, 8.3, 60 }, { Jib, 45.0, 12.0, 6.7, 60 },
        { Spinnaker, 180.0, 16.0, 6.5 * 1.3, 60 }, { Jib, 180.0, 16.0, 6.5, 60 }, { Jib, 10.0, 16.0, 0.0, 60 }, { Spinnaker, 90.0, 0.0, 0.0, 60 }, { Jib, 90.0, 16.0, 0.0, -1 } };
    for (auto [sail, heading, windSpeed, knots, after] : cases) {
        SCOPED_TRACE(testing::Message() << "sail " << sail << " heading " << heading << " wind " << windSpeed << " at " << after);
        ConstantWind wind({ 0.0, windSpeed });
        RaceSimulation simulation(oceanRace(), standardBoat(), wind, &sharedCoast());
        simulation.add(boatAt(1, 7, 40.5, -35.0, heading, sail));
        simulation.step(hour, raceStart + after);
        const Boat& boat = *simulation.boatOf(7);
        EXPECT_NEAR(boat.speed, knots, 1e-9);
        EXPECT_NEAR(greatCircleDistance(40.5, -35.0, boat.lat, boat.lon), knots * kmPerNauticalMile, 1e-6);
        EXPECT_NEAR(knots > 0.0 ? initialBearing(40.5, -35.0, boat.lat, boat.lon) : heading, heading, 0.01);
        EXPECT_FALSE(boat.grounded);
    }
}

TEST(SimulationTest, ABoatStopsAtTheCoastUntilANewCourseFreesIt)
{
    // Two kilometres off Cherbourg's breakwater, heading south onto the Cotentin.
    Race race = oceanRace();
    race.route = { { 49.72, -1.62, 90.0, 1.0, GateWaypoint }, { 50.5, -1.3, 0.0, 1.0, MarkWaypoint } };
    ConstantWind wind({ 90.0, 16.0 });
    RaceSimulation simulation(race, standardBoat(), wind, &sharedCoast());
    simulation.add(boatAt(1, 7, 49.70, -1.62, 180.0, Jib));
    simulation.step(hour, raceStart + 60);
    simulation.step(hour, raceStart + 120);
    const Boat* boat = simulation.boatOf(7);
    EXPECT_EQ(std::tuple(boat->grounded, boat->lat, boat->lon, boat->speed), std::tuple(true, 49.70, -1.62, 0.0));
    ASSERT_TRUE(simulation.setCourse(7, 0.0, Jib, raceStart + 130));
    EXPECT_FALSE(simulation.boatOf(7)->grounded);
    EXPECT_NEAR(simulation.boatOf(7)->speed, 8.3, 1e-9) << "beam reach at 16 knots, at once";
    simulation.step(hour, raceStart + 180);
    EXPECT_TRUE(!simulation.boatOf(7)->grounded && simulation.boatOf(7)->lat > 49.75);
}

TEST(SimulationTest, AGateCountsOnlyWhenItsLineIsCrossedAndTheLastOneFinishes)
{
    // Sailing east at 8.3 knots: about 30.7 km in two hours, past the gate 20 km east whose
    // line reaches 2 km north and south of the route; 38 km to the finish in the third.
    const std::tuple<const char*, double, int, int, bool> cases[] = { { "through the middle", 40.0, 2, 2, false }, { "near the north end", 40.015, 2, 2, false },
        { "outside the north end", 40.03, 2, 1, false }, { "outside the south end", 39.97, 2, 1, false }, { "across the finish", 40.0, 3, 3, true } };
    for (auto [what, startLat, hours, waypointAfter, finished] : cases) {
        SCOPED_TRACE(what);
        ConstantWind wind({ 0.0, 16.0 });
        RaceSimulation simulation(oceanRace(), standardBoat(), wind, nullptr);
        simulation.add(boatAt(1, 7, startLat, -34.98, 90.0, Jib));
        for (int i = 1; i <= hours; ++i)
            simulation.step(hour, raceStart + 3600 * i);
        const Boat boat = *simulation.boatOf(7);
        EXPECT_EQ(std::tuple(boat.waypoint, boat.finished, boat.finishTime), std::tuple(waypointAfter, finished, finished ? raceStart + 3600 * hours : 0));
        if (finished) {
            simulation.step(hour, raceStart + 3600 * (hours + 1));
            EXPECT_EQ(std::pair(simulation.boatOf(7)->lon, simulation.boatOf(7)->speed), std::pair(boat.lon, 0.0)) << "it stays where it finished";
        }
    }
}

TEST(SimulationTest, PlacesFollowProgressAlongTheRoute)
{
    ConstantWind wind({ 0.0, 16.0 });
    RaceSimulation simulation(oceanRace(), standardBoat(), wind, nullptr);
    // Users 1-4 all sail east; user 5 sails west, away from the course.
    simulation.add({ boatAt(1, 1, 40.0, -35.0, 90.0, Jib), boatAt(2, 2, 40.0, -34.9, 90.0, Jib), boatAt(3, 3, 40.0, -34.7, 90.0, Jib, 2),
        boatAt(4, 4, 40.0, -34.6, 90.0, Jib, 2), boatAt(5, 5, 40.0, -34.95, 270.0, Jib) });
    simulation.step(60.0, raceStart + 60);
    // Boats 3 and 4 have passed the gate (at -34.765), 4 is nearer the finish; among
    // the others the distance to the gate decides.
    for (auto [user, place] : { std::pair(4, 1), std::pair(3, 2), std::pair(2, 3), std::pair(5, 4), std::pair(1, 5) })
        EXPECT_EQ(simulation.boatOf(user)->position, place) << "user " << user;
    // Boat 3 finishes first; boat 4, though it started ahead, turned back.
    simulation.setCourse(4, 270.0, Jib, raceStart + 60);
    for (int i = 0; i < 3; ++i)
        simulation.step(hour, raceStart + 3600 * (i + 1));
    EXPECT_EQ(std::tuple(simulation.boatOf(3)->finished, simulation.boatOf(3)->position, simulation.boatOf(4)->position != 1), std::tuple(true, 1, true));
}

TEST(SimulationTest, ComputerBoatsBeatUpwindAndRunWithTheSpinnaker)
{
    // The next waypoint lies 50 km north: dead upwind in a northerly, downwind in a southerly.
    Race race = oceanRace();
    race.route = { { 40.0, -35.0, 90.0, 2.0, GateWaypoint }, { 40.45, -35.0, 90.0, 2.0, GateWaypoint } };
    for (auto [windDir, sail] : { std::pair(0.0, Jib), std::pair(180.0, Spinnaker) }) {
        ConstantWind wind({ windDir, 14.0 });
        RaceSimulation simulation(race, standardBoat(), wind, nullptr);
        simulation.add(boatAt(1, 0, 40.0, -35.0, 0.0, Jib));
        for (int i = 1; i <= 3; ++i)
            simulation.step(1800.0, raceStart + 1800 * i);
        const Boat& boat = simulation.boats().front();
        double offWind = std::fabs(std::remainder(boat.heading - windDir, 360.0));
        EXPECT_TRUE(boat.sail == sail && boat.lat > 40.05 && (windDir > 0.0 || (offWind >= 35.0 && offWind <= 65.0))) << boat.sail << " " << offWind << " " << boat.lat;
    }
}

TEST(SkipperTest, AFleetSailsADayOfEachRaceClearOfTheLand)
{
    // Every course passes islands or capes: the Isle of Wight, Gran Canaria, Cabrera. Its
    // legs stay off the land, and a fleet sails it in real time and sped up 600 times, when
    // the wind hardly changes during the day sailed.
    ForecastWind wind;
    for (const Race& race : RaceCatalog::builtIn(raceStart)) {
        for (size_t i = 0; i + 1 < race.route.size(); ++i)
            EXPECT_FALSE(sharedCoast().crossesLand(race.route[i].centre(), race.route[i + 1].centre())) << race.name << ", leg " << i;
        for (int64_t speedUp : { 1, 600 }) {
            SCOPED_TRACE(testing::Message() << race.name << " sped up " << speedUp);
            RaceSimulation simulation(race, standardBoat(), wind, &sharedCoast());
            std::vector<Boat> fleet;
            for (int i = 0; i < 8; ++i) {
                fleet.push_back(simulation.newBoat(0, "robot", i / 7.0, race.start));
                fleet.back().id = i + 1;
            }
            simulation.add(fleet);
            int groundings = 0;
            for (int64_t sailed = 600; sailed <= 86400; sailed += 600) {
                simulation.step(600.0, race.start + sailed / speedUp);
                for (const Boat& boat : simulation.boats())
                    groundings += boat.grounded || sharedCoast().isLand(boat.lat, boat.lon);
            }
            EXPECT_EQ(groundings, 0);
            for (const Boat& boat : simulation.boats())
                EXPECT_GE(boat.waypoint, 2) << "boat " << boat.id << " still short of the first mark";
        }
    }
}

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

// A fleet large enough to plan its routes apart from the steps sails sped up 600 times,
// off the east coast of Gran Canaria, where each skipper plans alone, and in open water.
// After each step it waits for the routes it asked, as a server's second between steps
// gives them. Past the longest first wait of six hours every skipper follows a route, whose
// headings carry its own offset off the five-degree steps it steers by without one.
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

// Boat i (user i) lies i thousandths of a degree east of the start, so that boat 30 leads
// and boats are as near to each other as their numbers.
std::unique_ptr<RaceSimulation> lineOfBoats(const WindSource& wind, int count)
{
    auto simulation = std::make_unique<RaceSimulation>(oceanRace(), standardBoat(), wind, nullptr);
    std::vector<Boat> fleet;
    for (int i = 1; i <= count; ++i) {
        Boat boat = simulation->newBoat(i, "Boat " + std::to_string(i), 0.5, raceStart);
        std::tie(boat.id, boat.lat, boat.lon, boat.heading) = std::tuple(i, 40.123456789, -35.0 + i * 0.001, 90.0);
        fleet.push_back(boat);
    }
    simulation->add(fleet);
    return simulation;
}

TEST(RaceSnapshotTest, TheBoatsListHoldsTheLeadersAndTheNearestButNeverTheAskerWithSixDecimals)
{
    ConstantWind wind({ 0.0, 15.0 });
    const std::tuple<int, size_t, std::vector<int>> cases[] = { { 10, 10, { 30, 29, 14, 13, 12, 11, 9, 8, 7, 6 } },
        { 30, 10, { 29, 28, 27, 26, 25, 24, 23, 22, 21, 20 } }, { 99, 10, { 30, 29, 28, 27, 26, 25, 24, 23, 22, 21 } }, { 1, 5, { 30, 5, 4, 3, 2 } } };
    for (const auto& [asker, limit, expected] : cases) {
        RaceSnapshot snapshot(*lineOfBoats(wind, 30), limit);
        std::vector<int> users;
        for (size_t index : snapshot.chooseBoats(asker))
            users.push_back(snapshot.boats()[index].user);
        EXPECT_EQ(users, expected) << "asker " << asker;
    }
    EXPECT_EQ(RaceSnapshot(*lineOfBoats(wind, 30), 100).chooseBoats(10).size(), 29u);
    // The list written is a table, of its limit of boats, with six decimals.
    std::string text = RaceSnapshot(*lineOfBoats(wind, 400), 300).boatsList(200);
    Table root = parseTable(text);
    ASSERT_TRUE(getTable(root, "boats") && getTable(root, "boats")->size() == 300u);
    // Each entry names its boat and place: the first is the leader, boat 235, on the gate.
    const Table* leader = getTable(*getTable(root, "boats"), "0");
    ASSERT_NE(leader, nullptr);
    EXPECT_EQ(std::tuple(getInt(*leader, "position"), getInt(*leader, "user"), getString(*leader, "nick", "")), std::tuple(1, 235, "Boat 235"));
    EXPECT_NE(text.find("lat = 40.123457,"), std::string::npos);
}

TEST(RaceSnapshotTest, QueuedChangesShowAtOnceAndReachTheSnapshotAtTheNextStep)
{
    ConstantWind wind({ 0.0, 15.0 });
    LiveRace live(lineOfBoats(wind, 3), 300);
    std::shared_ptr<const RaceSnapshot> before = live.snapshot();
    double lonBefore = before->boatOf(1)->lon;
    live.queue(live.simulation()->withCourse(*live.boatOf(1), 200.0, 2, raceStart + 60));
    Boat joined = live.simulation()->newBoat(4, "Late", 0.5, raceStart + 60);
    joined.id = 4;
    live.queue(joined);
    EXPECT_EQ(std::tuple(live.boatOf(1)->heading, live.boatOf(4)->nick, before->boatOf(1)->heading), std::tuple(200.0, "Late", 90.0));
    EXPECT_EQ(live.snapshot(), before) << "nothing is published between steps";
    live.step(600.0, raceStart + 600);
    std::shared_ptr<const RaceSnapshot> after = live.snapshot();
    ASSERT_NE(after, before);
    EXPECT_EQ(std::tuple(live.queuedCount(), after->boatOf(1)->heading, after->boatOf(1)->sail, after->boatOf(4) != nullptr), std::tuple(0u, 200.0, 2, true));
    EXPECT_NE(after->boatOf(1)->lon, lonBefore);
    // A reader still holding the old snapshot sees it whole and unchanged.
    EXPECT_EQ(std::tuple(before->boats().size(), before->boatOf(1)->lon, before->boatOf(4)), std::tuple(3u, lonBefore, nullptr));
}

// Wind that, once held, keeps whoever asks for it waiting until released: a step stops
// half-way.
struct HeldWind : WindSource {
    Wind at(double, double, int64_t) const override
    {
        if (held) {
            asked = true;
            released.wait();
        }
        return { 0.0, 15.0 };
    }

    std::atomic<bool> held { false };
    mutable std::atomic<bool> asked { false };
    std::promise<void> release;
    std::shared_future<void> released { release.get_future().share() };
};

// The server's own stepping thread is held half-way through a step.
TEST(RaceSnapshotTest, RequestsAreAnsweredWhileAStepIsUnderWay)
{
    auto wind = std::make_shared<HeldWind>();
    ServerHarness harness(wind);
    harness.start();
    GameClient player = harness.player("step@example.org");
    player.table("/races?action=2&raceId=1");
    wind->held = true;
    EXPECT_TRUE(waitUntil([&wind] { return wind->asked.load(); }));
    auto answers = std::async(std::launch::async, [&player] {
        return std::vector<std::string> { player.result("/races?action=5&raceId=1").substr(0, 2), player.result("/races?action=4&raceId=1").substr(0, 2),
            player.result("/boats?action=2&heading=90&sail=1&raceId=1") };
    });
    bool answered = answers.wait_for(std::chrono::seconds(10)) == std::future_status::ready;
    wind->release.set_value();
    EXPECT_TRUE(answered);
    EXPECT_EQ(answers.get(), std::vector<std::string>(3, "OK"));
}

} // namespace
