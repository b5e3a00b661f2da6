#include "race/BoatAhead.h"

#include "ChartTestSupport.h"
#include "boat/BoatDescription.h"
#include "boat/BoatRecord.h"
#include "race/AheadMarker.h"
#include "race/Map.h"
#include "race/WindTape.h"
#include "router/Router.h"
#include "support/RecordingFont.h"

#include <GeographicLib/Geodesic.hpp>
#include <GeographicLib/GeodesicLine.hpp>
#include <GeographicLib/Rhumb.hpp>

namespace {

// GeographicLib on a sphere of the great circles' radius is the reference.
void expectAt(const BoatAhead& ahead, double lat, double lon, double heading)
{
    EXPECT_NEAR(ahead.position.lat, lat, 1e-6);
    EXPECT_NEAR(std::remainder(ahead.position.lon - lon, 360.0), 0.0, 1e-6);
    EXPECT_EQ(ahead.heading, heading);
}

// Holding its heading the boat sails a rhumb line, across the date line here, at the
// polar's 7 knots in a wind from north or at its present 5.5 without one, backwards into
// the past. A route puts it on the great circle of its leg at the time, held at the ends.
TEST(BoatAhead, TheBoatHoldsItsCourseAtThePolarsSpeedOrFollowsTheRoute)
{
    BoatDescription description;
    description.sails[1] = Polar { { 5, 15 }, { 0, 90, 180 }, { { 0, 0 }, { 6, 8 }, { 4, 5 } } };
    BoatRecord boat;
    std::tie(boat.boat, boat.sail, boat.lat, boat.lon, boat.speed) = std::tuple(&description, 1, 48.2, 179.1, 5.5);
    const GeographicLib::Rhumb rhumb(6371000.0, 0.0);
    for (auto [heading, hours, knots] : { std::tuple(90.0, 24.0, 7.0), std::tuple(90.0, 30.05, 5.5), std::tuple(300.0, -17.0, 5.5), std::tuple(270.0, 71.9, 7.0) }) {
        boat.heading = heading;
        double lat = 0, lon = 0;
        rhumb.Direct(boat.lat, boat.lon, hours < 0 ? heading + 180 : heading, knots * 1852 * std::fabs(hours), lat, lon);
        WindLookup wind = [knots = knots](double, double) { return knots == 7 ? std::optional(Wind { 0, 10 }) : std::nullopt; };
        expectAt(sailAhead(boat, hours, wind), lat, lon, heading);
    }
    PlannedRoute route;
    route.points = { { 0, { 10, -40 }, 280, 1 }, { 10, { 12, -45 }, 300, 2 }, { 30, { 30, -60 }, 310, 2 } };
    const GeographicLib::Geodesic sphere(6371000.0, 0.0);
    for (auto [hours, leg, fraction] : { std::tuple(5.0, 0, 0.5), std::tuple(25.0, 1, 0.75), std::tuple(-1.0, 0, 0.0), std::tuple(40.0, 2, 0.0) }) {
        const GeoPoint &from = route.points[leg].position, &to = route.points[std::min(leg + 1, 2)].position;
        GeographicLib::GeodesicLine line = sphere.InverseLine(from.lat, from.lon, to.lat, to.lon);
        double lat = 0, lon = 0;
        line.Position(fraction * line.Distance(), lat, lon);
        expectAt(sailAhead(boat, hours, nullptr, &route), lat, lon, route.points[leg].heading);
    }
    EXPECT_EQ(AheadMarker::label(63000) + AheadMarker::label(-2700), "+18h-1h");
}

using BoatAheadMapTest = ChartTest;

// The map's grids give the wind of the cell under the point, only for their own time and
// where a tile with data is held (south of the chart, in its last row): the tile east of
// 5.6 degrees is for another time, the one west of 0 has no cells yet. The grids outlive
// the map's handles on them.
TEST_F(BoatAheadMapTest, TheMapsGridsGiveTheWindOfTheirTimeWhereTheyAreHeld)
{
    WindData now, earlier, empty;
    std::tie(now.n, now.time, now.winds) = std::tuple(2, 5000, std::vector<Wind> { { 0, 1 }, { 90, 2 }, { 180, 3 }, { 270, 4 } });
    std::tie(earlier.n, earlier.time, earlier.winds) = std::tuple(2, 4000, now.winds);
    empty.time = 5000;
    Map map(1024, 768, 0.0, 0.0);
    map.windTime = 5000;
    map.tiles[Map::TileKey { 6, 32, 32 }].wind = std::make_unique<WindTileImp>(&now);
    map.tiles[Map::TileKey { 6, 33, 32 }].wind = std::make_unique<WindTileImp>(&earlier);
    map.tiles[Map::TileKey { 6, 32, 63 }].wind = std::make_unique<WindTileImp>(&now);
    map.tiles[Map::TileKey { 6, 31, 32 }].wind = std::make_unique<WindTileImp>(&empty);
    for (auto [lat, lon, time, wind] : { std::tuple(-1, 1, 5000, std::optional(Wind { 0, 1 })), std::tuple(-4, 4, 5000, std::optional(Wind { 270, 4 })), std::tuple(-89, 1, 5000, std::optional(Wind { 180, 3 })),
             std::tuple(-1, 1, 4000, std::optional<Wind>()), std::tuple(-1, 7, 5000, std::optional<Wind>()), std::tuple(-1, -1, 5000, std::optional<Wind>()), std::tuple(-1, -7, 5000, std::optional<Wind>()) })
        EXPECT_EQ(mapWind(map, time)(lat, lon), wind) << lat << " " << lon << " " << time;
}

// The copy stands, translucent and turned to the heading, where the boat will be at the
// tape's time, here 24 hours on at its present speed; it leaves the icon opaque for the
// boat's own marker. Within 15 minutes of now it is not shown.
TEST_F(BoatAheadMapTest, TheCopyStandsWhereTheBoatWillBeAtTheTapesTime)
{
    Map map(1024, 768, 0.0, 0.0);
    WindTape tape(718, 1024, &map);
    BoatRecord boat;
    std::tie(boat.heading, boat.speed) = std::pair(90.0, 6.0);
    tape.selected = 100000 + 24 * 3600;
    AheadMarker(&boat, &tape, [] { return 100000; }).draw(map, display.renderer, map.viewX, map.viewY, 0, 1.0); // no icon, no copy
    const SDL_Color bow { 250, 40, 20, 255 }, stern { 20, 40, 250, 255 };
    savePng(data.root / "data/images/boat-green.png", 64, 64, bow, stern);
    AheadMarker marker(&boat, &tape, [] { return 100000; });
    auto icon = loadTexture("images/boat-green.png");
    for (auto [offset, shown] : { std::pair(24 * 3600, true), std::pair(-24 * 3600, true), std::pair(900, true), std::pair(-899, false) }) {
        tape.selected = 100000 + offset;
        display.clear();
        marker.draw(map, display.renderer, map.viewX, map.viewY, 0, 1.0);
        SDL_Point centre = map.latLonToScreen(0.0, offset / 3600.0 * 6.0 / 60.0);
        Uint8 alpha = 0;
        SDL_GetTextureAlphaMod(icon->getTexture(), &alpha);
        SDL_Color ahead = display.pixelAt(centre.x + 20, centre.y), behind = display.pixelAt(centre.x - 20, centre.y);
        EXPECT_EQ(std::tuple(ahead.r, behind.b, alpha), shown ? std::tuple(Uint8(250 * 120 / 255), Uint8(250 * 120 / 255), Uint8(255)) : std::tuple(Uint8(0), Uint8(0), Uint8(255)))
            << offset;
    }
    RecordingFont font;
    marker.font = &font;
    tape.selected = 100000 + 24 * 3600;
    marker.draw(map, display.renderer, map.viewX, map.viewY, 0, 1.0);
    SDL_Point centre = map.latLonToScreen(0.0, 2.4);
    ASSERT_EQ(font.drawn.size(), 1u);
    EXPECT_EQ(std::tuple(font.drawn[0].text, font.drawn[0].x, font.drawn[0].y), std::tuple("+24h", centre.x - 20, centre.y + 18)) << "centred under the copy";
}

}
