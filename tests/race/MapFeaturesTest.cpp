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

namespace {

using namespace chart;

constexpr double pi = 3.141592653589793;
const SDL_Color black { 0, 0, 0, 255 };
const SDL_Color bow { 230, 60, 20, 255 };
const SDL_Color stern { 20, 60, 230, 255 };

using MapFeaturesTest = ChartTest;

double apart(Metres a, Metres b)
{
    return std::hypot(a.mx - b.mx, a.my - b.my);
}

Waypoint waypoint(double lat, double lon, int32_t type = 0, double hdg = 0, double dst = 0)
{
    return Waypoint { lat, lon, hdg, dst, type };
}

TEST_F(MapFeaturesTest, ARouteBecomesLinesBetweenItsWaypointsThenAFlagOnEachAndTwoAcrossAGate)
{
    const double degree = 6371 * pi / 180; // kilometres
    const struct {
        std::vector<Waypoint> route;
        size_t lines;
        std::vector<GeoPoint> flags;
    } cases[] {
        { {}, 0, {} },
        { { waypoint(10, 20) }, 0, {} },
        { { waypoint(10, 20), waypoint(11, 21, 1) }, 1, { { 10, 20 }, { 11, 21 } } },
        { { waypoint(10, 20), waypoint(0, 30, 2, 90, degree), waypoint(12, 22, 1) }, 2, { { 10, 20 }, { 0, 31 }, { 0, 29 }, { 12, 22 } } },
        { { waypoint(0, 0, 2, 0, degree), waypoint(5, 5) }, 1, { { 1, 0 }, { -1, 0 }, { 5, 5 } } },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.route.size() << " waypoints, " << c.flags.size() << " flags");
        Map map(1024, 768, 0.0, 0.0);
        addRouteFeatures(c.route, map);
        ASSERT_EQ(map.features.size(), c.lines + c.flags.size());
        for (size_t i = 0; i < c.lines; ++i) {
            auto* line = dynamic_cast<MapLine*>(map.features[i].get());
            ASSERT_NE(line, nullptr);
            EXPECT_LT(apart(line->points.front(), latLonToMetres(c.route[i].lat, c.route[i].lon)), 1) << "line " << i;
            EXPECT_LT(apart(line->points.back(), latLonToMetres(c.route[i + 1].lat, c.route[i + 1].lon)), 1) << "line " << i;
        }
        for (size_t i = 0; i < c.flags.size(); ++i) {
            auto* flag = dynamic_cast<MapImage*>(map.features[c.lines + i].get());
            ASSERT_NE(flag, nullptr);
            EXPECT_LT(apart({ flag->mx, flag->my }, latLonToMetres(c.flags[i].lat, c.flags[i].lon)), 1) << "flag " << i;
        }
    }
}

// The line runs from its first waypoint, the flag stands with its bottom-left corner on it,
// and the marker, turned by its heading, covers the line and flag at the other end.
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
    display.clear(black);
    map.draw(display.renderer, 0, 0);

    SDL_Color start = display.pixelAt(map.latLonToScreen(58, -4).x, map.latLonToScreen(58, -4).y);
    EXPECT_TRUE(start.r > 140 && start.r < 200 && start.g < 30 && start.b > 190) << int(start.r) << ", " << int(start.g);
    SDL_Point flag = map.latLonToScreen(58, -4);
    EXPECT_TRUE(sameColour(display.pixelAt(flag.x + 1, flag.y - 2), flagColour));
    EXPECT_FALSE(sameColour(display.pixelAt(flag.x + 1, flag.y + 1), flagColour));
    SDL_Point marker = map.latLonToScreen(62, 3);
    EXPECT_TRUE(sameColour(display.pixelAt(marker.x + 2, marker.y - 2), bow));
    EXPECT_TRUE(sameColour(display.pixelAt(marker.x + 20, marker.y), bow));
    EXPECT_TRUE(sameColour(display.pixelAt(marker.x - 20, marker.y), stern));
}

TEST_F(MapFeaturesTest, FromZoomEightAMarkerShowsNickAndPlaceCentredUnderItsIcon)
{
    savePng(data.root / "data/images/boat-red.png", 64, 64, bow, stern);
    savePng(data.root / "data/images/boat-green.png", 64, 64, bow, stern);
    Map map(1024, 768, 0.0, 0.0);
    const struct {
        int32_t zoom, position;
        std::vector<std::string> texts;
        int x;
    } cases[] { { 8, 3, { "Ann (3)" }, 97 }, { 15, 0, { "Ann" }, 117 }, { 7, 3, {}, 0 } };
    for (const auto& c : cases) {
        map.zoom = c.zoom;
        BoatRecord boat;
        boat.nick = "Ann";
        boat.position = c.position;
        BoatWidget marker(&boat, nullptr, &map);
        RecordingFont font;
        marker.font = &font;
        marker.draw(display.renderer, 100, 200);
        EXPECT_EQ(font.texts(), c.texts) << "zoom " << c.zoom;
        if (!font.drawn.empty()) {
            EXPECT_EQ(font.drawn[0].x, c.x);
            EXPECT_EQ(font.drawn[0].y, 250);
        }
    }
    BoatRecord longNick;
    longNick.nick = std::string(600, 'x');
    EXPECT_EQ(BoatWidget::label(longNick), std::string(499, 'x'));
    // The own boat's icon is green, the others' red.
    Widget panel(0, 0, 10, 10);
    EXPECT_STREQ(BoatWidget(&longNick, &panel, &map).icon->getName(), "images/boat-green.png");
    EXPECT_STREQ(BoatWidget(&longNick, nullptr, &map).icon->getName(), "images/boat-red.png");
}

TEST_F(MapFeaturesTest, WithoutItsImageAMarkerSaysSoEachFrameAndAFlagDrawsNothing)
{
    Map map(1024, 768, 0.0, 0.0);
    BoatRecord boat;
    BoatWidget marker(&boat, nullptr, &map);
    MapImage flag(0.0, 0.0, "images/absent.png");
    display.clear(black);
    StdoutCapture out;
    marker.draw(display.renderer, 100, 100);
    marker.draw(display.renderer, 100, 100);
    flag.draw(map, display.renderer, map.viewX, map.viewY, 64, 1.0);
    EXPECT_EQ(out.text(), "boat icon not found\nboat icon not found\n");
    EXPECT_TRUE(sameColour(display.pixelAt(132, 132), black));
    EXPECT_TRUE(sameColour(display.pixelAt(513, 383), black));
}

}
