#include "ServerHarness.h"
#include "nav/GreatCircle.h"
#include "server/RaceCatalog.h"
#include "server/RaceSimulation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>

using namespace server;

namespace {

constexpr int64_t someDay = 1800000000;

TEST(SkipperTest, AFleetSailsADayOfEachRaceClearOfTheLand)
{
    // Every course passes islands or capes: the Isle of Wight, Gran Canaria, Cabrera. In
    // real time and sped up 600 times, when the wind hardly changes during the day sailed.
    ForecastWind wind;
    for (int64_t speedUp : { 1, 600 }) {
        for (const Race& race : RaceCatalog::builtIn(someDay)) {
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
            std::set<long> headings;
            for (const Boat& boat : simulation.boats()) {
                headings.insert(std::lround(boat.heading));
                EXPECT_GE(boat.waypoint, 2) << "boat " << boat.id << " still short of the first mark";
            }
            EXPECT_GT(headings.size(), 1u) << "the fleet sails in lockstep";
        }
    }
}

TEST(SkipperTest, TheOceanRaceStartsInTheTradeWind)
{
    // Whatever day the server starts on, both ends and the middle of the start line.
    ForecastWind wind;
    for (int64_t day = 0; day < 365; day += 3) {
        Race race = RaceCatalog::builtIn(someDay + day * 86400)[1];
        const auto& line = race.route.front();
        for (double end : { -1.0, 0.0, 1.0 }) {
            GeoPoint place = destination(line.centre(), line.hdg, end * line.dst);
            EXPECT_GE(wind.at(place.lat, place.lon, race.start).speed, 12.0) << "day " << day << " end " << end;
        }
    }
}

} // namespace
