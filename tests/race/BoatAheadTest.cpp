#include "race/BoatAhead.h"

#include "ChartTestSupport.h"
#include "boat/BoatDescription.h"
#include "boat/BoatRecord.h"
#include "race/AheadMarker.h"
#include "race/Map.h"
#include "router/Router.h"

#include <GeographicLib/Geodesic.hpp>
#include <GeographicLib/GeodesicLine.hpp>
#include <GeographicLib/Rhumb.hpp>

namespace {

// GeographicLib on a sphere of the great circles' radius is the reference.
constexpr double radius = 6371000.0;

// A grid of one wind for the whole tile, at one forecast time.
class UniformWind : public WindTile {
public:
    UniformWind(Wind wind, int32_t time)
        : wind(wind)
        , time(time)
    {
    }
    int32_t gridSize() const override { return 4; }
    const Wind& windAt(int32_t, int32_t) const override { return wind; }
    bool isLoading() const override { return false; }
    const char* getName() const override { return "uniform"; }
    int32_t getTime() const override { return time; }

private:
    Wind wind;
    int32_t time;
};

void expectNear(const GeoPoint& got, double lat, double lon, const std::string& what)
{
    EXPECT_NEAR(got.lat, lat, 1e-6) << what;
    EXPECT_NEAR(std::remainder(got.lon - lon, 360.0), 0.0, 1e-6) << what;
}

// A boat holding its heading sails a rhumb line, at the polar's speed in a wind from north
// (7 knots across it) or at its present 5.5 knots without one, backwards for past hours.
TEST(BoatAhead, OnCourseTheBoatHoldsItsHeadingAtThePolarsSpeed)
{
    BoatDescription description;
    description.sails[1] = Polar { { 5, 15 }, { 0, 90, 180 }, { { 0, 0 }, { 6, 8 }, { 4, 5 } } };
    BoatRecord boat;
    boat.boat = &description;
    boat.sail = 1;
    boat.lat = 48.2;
    boat.lon = 179.1;
    boat.speed = 5.5;
    const GeographicLib::Rhumb rhumb(radius, 0.0);
    const std::tuple<double, double, bool, double> cases[] = {
        { 90, 24, true, 7 }, { 90, 30.05, false, 5.5 }, { 300, -17, false, 5.5 }, { 270, 71.9, true, 7 } };
    for (auto [heading, hours, windy, knots] : cases) {
        boat.heading = heading;
        WindLookup wind = [windy = windy](double, double) { return windy ? std::optional(Wind { 0, 10 }) : std::nullopt; };
        double lat = 0;
        double lon = 0;
        rhumb.Direct(boat.lat, boat.lon, hours < 0 ? heading + 180 : heading, knots * 1852 * std::fabs(hours), lat, lon);
        BoatAhead ahead = sailAhead(boat, hours, wind);
        expectNear(ahead.position, lat, lon, std::to_string(hours));
        EXPECT_EQ(ahead.heading, heading);
    }
}

// Along a route the boat is where the great circle of its leg puts it at the time, holding
// the leg's heading; before and after the route it stays at its ends.
TEST(BoatAhead, AlongARouteTheBoatIsOnItsLegAtTheTime)
{
    PlannedRoute route;
    route.points = { { 0, { 10, -40 }, 280, 1 }, { 10, { 12, -45 }, 300, 2 }, { 30, { 30, -60 }, 300, 2 } };
    const GeographicLib::Geodesic sphere(radius, 0.0);
    const std::tuple<double, size_t, double> cases[] = { { 5, 0, 0.5 }, { 25, 1, 0.75 }, { -1, 0, 0 }, { 40, 2, 0 } };
    for (auto [hours, leg, fraction] : cases) {
        const GeoPoint& from = route.points[leg].position;
        const GeoPoint& to = route.points[std::min(leg + 1, size_t(2))].position;
        GeographicLib::GeodesicLine line = sphere.InverseLine(from.lat, from.lon, to.lat, to.lon);
        double lat = 0;
        double lon = 0;
        line.Position(fraction * line.Distance(), lat, lon);
        BoatAhead ahead = sailAhead(BoatRecord {}, hours, nullptr, &route);
        expectNear(ahead.position, lat, lon, std::to_string(hours));
        EXPECT_EQ(ahead.heading, route.points[leg].heading);
    }
}

using BoatAheadMapTest = ChartTest;

// The map's grids give their wind only for their own time, where a tile with data is held.
TEST_F(BoatAheadMapTest, TheMapsGridsGiveTheWindOfTheirTimeWhereTheyAreHeld)
{
    Map map(1024, 768, 0.0, 0.0);
    map.windTime = 5000;
    map.tiles[Map::TileKey { map.zoom, 32, 32 }].wind = std::make_unique<UniformWind>(Wind { 90, 12 }, 5000);
    map.tiles[Map::TileKey { map.zoom, 33, 32 }].wind = std::make_unique<UniformWind>(Wind { 90, 12 }, 4000);
    const std::tuple<double, double, int32_t, bool> cases[] = {
        { -1, 1, 5000, true }, { -1, 1, 4000, false }, { -1, 7, 5000, false }, { -1, -1, 5000, false } };
    for (auto [lat, lon, time, found] : cases) {
        std::optional<Wind> wind = mapWind(map, time)(lat, lon);
        EXPECT_EQ(wind, found ? std::optional(Wind { 90, 12 }) : std::nullopt) << lat << " " << lon << " " << time;
    }
}

TEST(AheadMarker, TheLabelIsTheOffsetInWholeHours)
{
    for (auto [seconds, label] : { std::pair(63000, "+18h"), std::pair(86400, "+24h"), std::pair(-2700, "-1h") })
        EXPECT_EQ(AheadMarker::label(seconds), label);
}

}
