#include "boat/BoatRecord.h"
#include "lobby/RaceRecord.h"
#include "nav/GreatCircle.h"
#include "race/BoatWidget.h"
#include "race/Map.h"
#include "race/MapImage.h"
#include "race/MapLine.h"
#include "race/RaceScreen.h"
#include "support/RecordingFont.h"
#include "support/StdoutCapture.h"

#include "ChartTestSupport.h"

#include <cmath>

namespace {

using namespace chart;

const SDL_Color bow { 230, 60, 20, 255 };
const SDL_Color stern { 20, 60, 230, 255 };

using MapFeaturesTest = ChartTest;

double apart(Metres a, double lat, double lon)
{
    Metres b = latLonToMetres(lat, lon);
    return std::hypot(a.mx - b.mx, a.my - b.my);
}

Waypoint waypoint(double lat, double lon, int32_t type = 0, double hdg = 0, double dst = 0)
{
    return Waypoint { lat, lon, hdg, dst, type };
}

// A gate of half-width one degree's length, here across the heading at the equator.
TEST_F(MapFeaturesTest, ARouteBecomesLinesBetweenItsWaypointsThenAFlagOnEachAndTwoAcrossAGate)
{
    const double degree = 6371 * 3.141592653589793 / 180;
    for (auto [route, lines, flags] : std::initializer_list<std::tuple<std::vector<Waypoint>, size_t, std::vector<GeoPoint>>> {
             { { waypoint(10, 20) }, 0, {} }, { { waypoint(10, 20), waypoint(11, 21, 1) }, 1, { { 10, 20 }, { 11, 21 } } },
             { { waypoint(10, 20), waypoint(0, 30, 2, 90, degree), waypoint(12, 22, 1) }, 2, { { 10, 20 }, { 0, 31 }, { 0, 29 }, { 12, 22 } } },
             { { waypoint(0, 0, 2, 0, degree), waypoint(5, 5) }, 1, { { 1, 0 }, { -1, 0 }, { 5, 5 } } } }) {
        SCOPED_TRACE(testing::Message() << route.size() << " waypoints, " << flags.size() << " flags");
        Map map(1024, 768, 0.0, 0.0);
        addRouteFeatures(route, map);
        ASSERT_EQ(map.features.size(), lines + flags.size());
        for (size_t i = 0; i < lines; ++i) {
            const auto& points = dynamic_cast<MapLine&>(*map.features[i]).points;
            EXPECT_LT(apart(points.front(), route[i].lat, route[i].lon) + apart(points.back(), route[i + 1].lat, route[i + 1].lon), 1) << "line " << i;
        }
        for (size_t i = 0; i < flags.size(); ++i) {
            const auto& flag = dynamic_cast<MapImage&>(*map.features[lines + i]);
            EXPECT_LT(apart({ flag.mx, flag.my }, flags[i].lat, flags[i].lon), 1) << "flag " << i;
        }
        // Flags without their image draw nothing.
        map.draw(display.renderer, 0, 0);
    }
}

// The line runs from its first waypoint, the flag stands with its bottom-left corner on it,
// and the marker, turned by its heading, covers the line and the flag at the other end.
TEST_F(MapFeaturesTest, RouteLinesFlagsAndMarkersAreDrawnWhereTheMapPutsThemMarkersOnTop)
{
    const SDL_Color flagColour { 250, 200, 0, 255 };
    data.writeImage("images/flag-red.png", 10, 20, flagColour);
    savePng(data.root / "data/images/boat-red.png", 64, 64, bow, stern);
    Map map(1024, 768, 60.0, 0.0);
    map.viewX += 150;
    addRouteFeatures({ waypoint(58, -4), waypoint(62, 3) }, map);
    BoatRecord boat;
    boat.lat = 62;
    boat.lon = 3;
    boat.heading = 90;
    map.addWidget(std::make_unique<BoatWidget>(&boat, nullptr, &map));
    map.update(0.01);
    display.clear();
    map.draw(display.renderer, 0, 0);
    SDL_Point flag = map.latLonToScreen(58, -4);
    SDL_Color line = display.pixelAt(flag.x, flag.y);
    EXPECT_TRUE(line.r > 140 && line.r < 200 && line.g < 30 && line.b > 190) << int(line.r) << ", " << int(line.g);
    EXPECT_TRUE(sameColour(display.pixelAt(flag.x + 1, flag.y - 2), flagColour));
    EXPECT_FALSE(sameColour(display.pixelAt(flag.x + 1, flag.y + 1), flagColour));
    SDL_Point marker = map.latLonToScreen(62, 3);
    for (auto [dx, dy, colour] : { std::tuple(2, -2, bow), std::tuple(20, 0, bow), std::tuple(-20, 0, stern) })
        EXPECT_TRUE(sameColour(display.pixelAt(marker.x + dx, marker.y + dy), colour)) << dx << ", " << dy;
}

// The own boat's icon is green, the others' red; without its icon a marker says so each frame.
TEST_F(MapFeaturesTest, FromZoomEightAMarkerShowsNickAndPlaceCentredUnderItsIcon)
{
    Map map(1024, 768, 0.0, 0.0);
    BoatRecord boat;
    boat.nick = "Ann";
    StdoutCapture out;
    BoatWidget bare(&boat, nullptr, &map);
    bare.draw(display.renderer, 100, 200);
    bare.draw(display.renderer, 100, 200);
    EXPECT_EQ(out.text(), "boat icon not found\nboat icon not found\n");
    savePng(data.root / "data/images/boat-red.png", 64, 64, bow, stern);
    savePng(data.root / "data/images/boat-green.png", 64, 64, bow, stern);
    Widget panel(0, 0, 10, 10);
    EXPECT_STREQ(BoatWidget(&boat, &panel, &map).icon->getName(), "images/boat-green.png");
    for (auto [zoom, position, text, x] : { std::tuple(8, 3, "Ann (3)", 97), std::tuple(15, 0, "Ann", 117), std::tuple(7, 3, "", 0) }) {
        map.zoom = zoom;
        boat.position = position;
        BoatWidget marker(&boat, nullptr, &map);
        EXPECT_STREQ(marker.icon->getName(), "images/boat-red.png");
        RecordingFont font;
        marker.font = &font;
        marker.draw(display.renderer, 100, 200);
        ASSERT_EQ(font.drawn.size(), *text ? 1u : 0u) << "zoom " << zoom;
        if (*text) {
            EXPECT_EQ(std::tuple(font.drawn[0].x, font.drawn[0].y, font.drawn[0].text), std::tuple(x, 250, std::string(text)));
        }
    }
    boat.nick = std::string(600, 'x');
    EXPECT_EQ(BoatWidget::label(boat), std::string(499, 'x'));
}

}
