#include "race/Map.h"

#include "ChartTestSupport.h"
#include "boat/BoatRecord.h"
#include "gui/PictureKey.h"
#include "gui/Screen.h"
#include "lobby/RaceRecord.h"
#include "nav/GreatCircle.h"
#include "race/BoatWidget.h"
#include "race/MapImage.h"
#include "race/MapLine.h"
#include "race/Projection.h"
#include "race/RaceScreen.h"
#include "race/WindTape.h"
#include "support/RecordingFont.h"
#include "support/StdoutCapture.h"

#include <cmath>

// The fingers on the one touch device of the pinch test; none is down while the first has id 0.
static SDL_Finger touchFingers[2];

extern "C" int __wrap_SDL_GetNumTouchDevices() { return 1; }
extern "C" SDL_TouchID __wrap_SDL_GetTouchDevice(int index) { return index == 0 ? 7 : 0; }
extern "C" int __wrap_SDL_GetNumTouchFingers(SDL_TouchID device) { return device == 7 && touchFingers[0].id ? 2 : 0; }
extern "C" SDL_Finger* __wrap_SDL_GetTouchFinger(SDL_TouchID, int index) { return &touchFingers[index]; }

namespace {

const SDL_Color bow { 230, 60, 20, 255 }, stern { 20, 60, 230, 255 };

// A map at the bottom of a screen, as the race screen holds it.
class MapTest : public ChartTest {
protected:
    Map& makeMap(double lat = 0.0, double lon = 0.0, int width = 1024, int height = 768)
    {
        return *(screen = std::make_unique<Screen>(display.window))->addChild(std::make_unique<Map>(width, height, lat, lon));
    }

    std::unique_ptr<Screen> screen;
};

bool isRoute(SDL_Color colour) { return colour.r > 140 && colour.r < 200 && colour.g < 30 && colour.b > 190; }

double apart(Metres a, double lat, double lon) { return std::hypot(a.mx - latLonToMetres(lat, lon).mx, a.my - latLonToMetres(lat, lon).my); }

TEST_F(MapTest, DraggingMovesTheViewAndWrapsItWhileTheWheelAndAPinchAimOneLevelFromTheShownOne)
{
    const int32_t w = worldSize(6);
    for (auto [startX, startY, dx, dy, viewX, viewY] : std::initializer_list<std::tuple<int32_t, int32_t, int, int, int32_t, int32_t>> {
             { 0, 0, 100, 50, -100, -50 }, { -w + 100, -w + 50, 100, 50, -w, -w }, { -w + 100, -w + 50, 200, 100, -100, -50 },
             { w - 100, w - 50, -100, -50, w, w }, { w - 100, w - 50, -200, -100, 100, 50 } }) {
        Map& map = makeMap();
        std::tie(map.viewX, map.viewY) = std::pair(startX, startY);
        EXPECT_TRUE(screen->onMouseDown(SDL_BUTTON_LEFT, 500, 300)) << "each step of a drag asks for a frame";
        screen->onMouseMove(SDL_BUTTON_LMASK, 500 + dx / 2, 300 + dy / 2);
        EXPECT_TRUE(screen->onMouseMove(SDL_BUTTON_LMASK, 500 + dx, 300 + dy));
        EXPECT_TRUE(screen->onMouseUp(SDL_BUTTON_LEFT, 500 + dx, 300 + dy));
        screen->onMouseMove(0, 500, 300);
        EXPECT_EQ(std::pair(map.viewX, map.viewY), std::pair(viewX, viewY)) << startX << ", " << startY << " dragged by " << dx;
    }
    // The tiles asked for at once, to load during the animation, are exactly those the new
    // level shows. Spreading or closing two fingers by a tenth of the screen's diagonal zooms a
    // level from the shown one; a new pair starts again from where it stands.
    for (auto [zoom, turns, target, asked] : std::initializer_list<std::tuple<int32_t, std::vector<int>, int32_t, std::set<int32_t>>> {
             { 6, { 1 }, 7, { 7 } }, { 6, { 3 }, 7, { 7 } }, { 6, { -4 }, 5, { 5 } }, { 6, { 0 }, 5, { 5 } }, { 6, { 1, 1, 1 }, 7, { 7 } },
             { 6, { -1, 1 }, 7, { 5, 7 } }, { 14, { 1 }, 15, { 15 } }, { 3, { -1 }, 2, { 2 } }, { 2, { -1 }, 2, {} }, { 15, { 1 }, 15, {} } }) {
        Map& map = makeMap(40.1, -30.3);
        map.zoom = map.targetZoom = zoom;
        for (int turn : turns)
            EXPECT_TRUE(screen->onMouseWheel(turn, 0, 0)) << "the map takes the wheel";
        std::set<int32_t> levels;
        std::set<Map::TileKey> shown, drawn;
        for (const auto& [key, entry] : map.tiles) {
            levels.insert(std::get<0>(key));
            if (std::get<0>(key) == target)
                shown.insert(key);
        }
        EXPECT_EQ(std::tuple(map.zoom, map.targetZoom, levels), std::tuple(zoom, target, asked)) << zoom << " turned by " << turns[0];
        map.update(1.5);
        map.tiles.clear();
        map.draw(display.renderer, 0, 0);
        for (const auto& [key, entry] : map.tiles)
            drawn.insert(key);
        EXPECT_TRUE(asked.empty() || drawn == shown) << zoom << " turned by " << turns[0];
    }
    Map& map = makeMap(0.0, 0.0, 300, 200);
    for (auto [a, b, distance, target] : std::initializer_list<std::tuple<int, int, double, int32_t>> {
             { 1, 2, 0.10, 6 }, { 1, 2, 0.35, 8 }, { 2, 1, 0.05, 4 }, { 1, 3, 0.40, 4 }, { 1, 3, 0.65, 8 } }) {
        touchFingers[0] = { a, 0.1f, 0.1f, 1.0f };
        touchFingers[1] = { b, float(0.1 + 0.6 * distance), float(0.1 + 0.8 * distance), 1.0f };
        map.update(0.001);
        EXPECT_EQ(map.targetZoom, target) << "fingers " << a << " and " << b << " " << distance << " apart";
    }
    touchFingers[0].id = 0;
}

TEST_F(MapTest, ALevelTakesASecondInAndHalfASecondOutKeepingTheCentreAndMovingTheMarkers)
{
    BoatRecord boat;
    std::tie(boat.lat, boat.lon) = std::pair(10.5, 20.5);
    for (auto [turn, seconds, zoom, scale] : std::initializer_list<std::tuple<int, double, int32_t, double>> {
             { 1, 0.75, 6, 1.75 }, { 1, 1.0, 6, 2.0 }, { 1, 1.25, 7, 1.0 }, { 1, 2.5, 7, 1.0 },
             { -1, 0.25, 6, 0.75 }, { -1, 0.5, 6, 0.5 }, { -1, 0.75, 5, 1.0 }, { -1, 1.5, 5, 1.0 } }) {
        Map& map = makeMap(10.0, 20.0, 300, 200);
        MapWidget* marker = map.addWidget(std::make_unique<BoatWidget>(&boat, nullptr, &map));
        SDL_Point centre { map.viewX + 150, map.viewY + 100 };
        screen->onMouseWheel(turn, 0, 0);
        for (double elapsed = 0.0; elapsed < seconds; elapsed += 0.25)
            map.update(0.25);
        WorldPixel at = latLonToWorldPixel(boat.lat, boat.lon, map.zoom);
        SCOPED_TRACE(testing::Message() << "turn " << turn << " after " << seconds << " s");
        EXPECT_EQ(std::tuple(map.zoom, map.scale, marker->x, marker->y, map.isAnimating()), std::tuple(zoom, scale, at.px, at.py, zoom == 6));
        EXPECT_NEAR(map.viewX + 150, centre.x * std::ldexp(1.0, zoom - 6), 1);
        EXPECT_NEAR(map.viewY + 100, centre.y * std::ldexp(1.0, zoom - 6), 1);
    }
}

// Tiles come from the image cache in colours of their own; a loaded tile is never reported
// as failed. Each carries its wind grid's arrows at alpha 200.
TEST_F(MapTest, TilesFillTheScreenAcrossTheDateLineAndTheAnimationScalesThemAboutTheCentre)
{
    auto colour = [](int column, int row) { return SDL_Color { Uint8(40 + 50 * column), Uint8(30 + 60 * row), 222, 255 }; };
    for (int tile = 0; tile < 16; ++tile)
        saveTile(2, tile % 4, tile / 4, colour(tile % 4, tile / 4));
    data.writeImage("images/wind-arrow.png", 20, 40, { 255, 255, 255, 255 });
    Map& map = makeMap();
    map.zoom = map.targetZoom = 2;
    StdoutCapture out;
    using Probe = std::tuple<int, int, int, int>; // x, y and the column and row of the tile there
    for (auto [viewX, viewY, scale, probes] : std::initializer_list<std::tuple<int32_t, int32_t, double, std::vector<Probe>>> {
             // West of column 0 and north of row 0 the last column and row show.
             { -100, -40, 1.0, { { 0, 0, 3, 3 }, { 99, 39, 3, 3 }, { 100, 39, 0, 3 }, { 99, 40, 3, 0 }, { 356, 296, 1, 1 }, { 1023, 767, 3, 2 } } },
             { 100, 40, 1.0, { { 0, 0, 0, 0 }, { 155, 215, 0, 0 }, { 156, 216, 1, 1 }, { 1023, 767, 0, 3 } } },
             // Tile (2, 2) has its corner at the centre and grows to 385 pixels away from it.
             { 0, 128, 1.5, { { 512, 384, 2, 2 }, { 895, 767, 2, 2 }, { 896, 767, 3, 2 }, { 511, 383, 1, 1 } } } }) {
        std::tie(map.viewX, map.viewY, map.scale) = std::tuple(viewX, viewY, scale);
        map.draw(display.renderer, 0, 0);
        for (auto [x, y, column, row] : probes)
            EXPECT_TRUE(sameColour(display.pixelAt(x, y), colour(column, row))) << "view " << viewX << ", " << viewY << " at " << x << ", " << y;
    }
    windRegistry.forEach([](WindData& grid) { parseWinds("numWinds = 1, winds = {0, 50}", grid); });
    map.draw(display.renderer, 0, 0);
    EXPECT_NEAR(display.pixelAt(704, 576).g, (255 * 200 + colour(2, 2).g * 55) / 255, 2);
    const int redraws = map.chartRedraws();
    map.scale = 1.0;
    for (int frame = 0; frame < 3; ++frame)
        map.draw(display.renderer, 0, 0);
    EXPECT_EQ(map.chartRedraws() - redraws, 1) << "opaque tiles over the whole window keep the chart's picture without a sea";
    EXPECT_EQ(out.text(), "");
}

// The map asks only for the tiles it shows. A tile still loading shows no arrows, not even the
// line drawn without the arrow image. Every hundredth frame the least recently used tile
// beyond 500 goes, never one on screen.
TEST_F(MapTest, ANewForecastTimeGivesEveryTileItsWindGridAndOldTilesGoBeyondFiveHundred)
{
    Map& map = makeMap(0.0, 0.0, 256, 256);
    map.viewX = map.viewY = 0;
    for (int32_t time : { 1000, 4600 }) {
        map.windTime = time;
        map.draw(display.renderer, 0, 0);
        ASSERT_EQ(map.tiles.size(), 1u);
        EXPECT_EQ(map.tiles.at({ 6, 0, 0 }).wind->getTime(), time);
    }
    windRegistry.forEach([](WindData& grid) { parseWinds("numWinds = 1, winds = {0, 50}", grid); });
    display.clear();
    map.draw(display.renderer, 0, 0);
    EXPECT_TRUE(sameColour(display.pixelAt(128, 128), { 0, 0, 0, 255 }));
    for (int32_t i = 0; map.tiles.size() < 501; ++i)
        map.tiles[{ 3, i, 0 }].lastUse = 0;
    for (auto [frames, remaining] : { std::pair(96, 501u), std::pair(1, 500u), std::pair(99, 500u), std::pair(100, 500u) }) {
        for (int frame = 0; frame < frames; ++frame)
            map.draw(display.renderer, 0, 0);
        EXPECT_EQ(map.tiles.size(), remaining) << "after " << frames << " more frames";
    }
    EXPECT_EQ(map.tiles.count({ 6, 0, 0 }), 1u);
}

// A press held for a second or more is no click; a press on the wind tape reaches no marker.
TEST_F(MapTest, AShortClickFocusesTheMarkerUnderThePressAndTheOwnMarkerShowsItsPanel)
{
    Map& map = makeMap();
    screen->addChild(std::make_unique<WindTape>(718, 1024, &map));
    Widget panel(0, 0, 10, 10);
    BoatRecord ownBoat, otherBoat;
    otherBoat.lon = 5.0;
    MapWidget* own = map.addWidget(std::make_unique<BoatWidget>(&ownBoat, &panel, &map));
    MapWidget* other = map.addWidget(std::make_unique<BoatWidget>(&otherBoat, nullptr, &map));
    map.update(0.01);
    const SDL_Point a = map.latLonToScreen(0.0, 0.0), b = map.latLonToScreen(0.0, 5.0);
    const int32_t viewX = map.viewX, viewY = map.viewY;
    Uint32 tick = 100000;
    for (auto [press, release, held, ownFocused, otherFocused] : std::initializer_list<std::tuple<SDL_Point, SDL_Point, Uint32, bool, bool>> {
             { a, a, 50, true, false }, { { b.x - 32, b.y }, { b.x - 32, b.y }, 999, false, true }, { a, a, 1000, false, true },
             { { a.x - 32, a.y - 32 }, { a.x - 32, a.y - 32 }, 10, true, false }, { { 500, 740 }, { 500, 740 }, 10, true, false },
             { { a.x + 32, a.y }, { a.x + 32, a.y }, 10, false, false }, { { a.x + 31, a.y + 31 }, { a.x + 31, a.y + 31 }, 10, true, false },
             { { a.x, a.y + 32 }, { a.x, a.y + 32 }, 10, false, false }, { b, { b.x + 5, b.y + 3 }, 200, false, true }, { { a.x, a.y + 40 }, a, 200, false, false } }) {
        std::tie(map.viewX, map.viewY) = std::pair(viewX, viewY);
        advanceFrameClock(tick);
        screen->onMouseDown(SDL_BUTTON_LEFT, press.x, press.y);
        screen->onMouseMove(SDL_BUTTON_LMASK, release.x, release.y);
        advanceFrameClock(tick += held);
        screen->onMouseUp(SDL_BUTTON_LEFT, release.x, release.y);
        tick += 5000;
        EXPECT_EQ(std::tuple(own->focused, other->focused, panel.visible), std::tuple(ownFocused, otherFocused, ownFocused))
            << "press at " << press.x << ", " << press.y << " for " << held << " ms";
    }
    advanceFrameClock(0);
}

// The own boat's icon is green, the others' red; without its icon a marker says so when drawn.
TEST_F(MapTest, FromZoomEightAMarkerShowsNickAndPlaceCentredUnderItsIcon)
{
    Map& map = makeMap();
    Widget panel(0, 0, 10, 10);
    BoatRecord boat;
    boat.nick = "Ann";
    StdoutCapture out;
    BoatWidget(&boat, nullptr, &map).draw(display.renderer, 100, 200);
    EXPECT_EQ(out.text(), "boat icon not found\n");
    savePng(data.root / "data/images/boat-red.png", 64, 64, bow, stern);
    savePng(data.root / "data/images/boat-green.png", 64, 64, bow, stern);
    EXPECT_STREQ(BoatWidget(&boat, &panel, &map).icon->getName(), "images/boat-green.png");
    for (auto [zoom, position, drawn] : { std::tuple(8, 3, "97, 250: Ann (3)"), std::tuple(15, 0, "117, 250: Ann"), std::tuple(7, 3, "") }) {
        map.zoom = zoom;
        boat.position = position;
        BoatWidget marker(&boat, nullptr, &map);
        RecordingFont font;
        marker.font = &font;
        marker.draw(display.renderer, 100, 200);
        std::string texts;
        for (const RecordingFont::Drawn& text : font.drawn)
            texts += std::to_string(text.x) + ", " + std::to_string(text.y) + ": " + text.text;
        EXPECT_EQ(std::pair(texts, std::string(marker.icon->getName())), std::pair(std::string(drawn), std::string("images/boat-red.png")));
    }
    // The label belongs to the marker's kept picture only where it is drawn.
    RecordingFont font;
    for (auto [zoom, withFont, differs] : { std::tuple(7, true, false), std::tuple(8, true, true), std::tuple(8, false, false) }) {
        map.zoom = zoom;
        BoatWidget marker(&boat, nullptr, &map);
        marker.font = withFont ? &font : nullptr;
        PictureKey before, after;
        marker.describe(before);
        boat.nick += "x";
        marker.describe(after);
        EXPECT_EQ(before != after, differs) << "zoom " << zoom << (withFont ? " with" : " without") << " a font";
    }
    boat.nick = std::string(600, 'x');
    EXPECT_EQ(BoatWidget::label(boat), std::string(499, 'x'));
}

// Waypoints are (lat, lon, hdg, dst, type); a gate, type 2, here reaches a degree to each
// side across its heading at the equator. Flags without their image draw nothing. The line
// runs from its first waypoint through its points, the flag stands with its bottom-left
// corner on that waypoint, and the marker, turned by its heading, covers both at the far end.
TEST_F(MapTest, ARouteBecomesLinesBetweenItsWaypointsThenAFlagOnEachAndTwoAcrossAGateDrawnUnderTheMarkers)
{
    const double degree = 6371 * 3.141592653589793 / 180;
    for (auto [route, lines, flags] : std::initializer_list<std::tuple<std::vector<Waypoint>, size_t, std::vector<GeoPoint>>> {
             { { { 10, 20 } }, 0, {} }, { { { 10, 20 }, { 11, 21, 0, 0, 1 } }, 1, { { 10, 20 }, { 11, 21 } } },
             { { { 10, 20 }, { 0, 30, 90, degree, 2 }, { 12, 22, 0, 0, 1 } }, 2, { { 10, 20 }, { 0, 31 }, { 0, 29 }, { 12, 22 } } },
             { { { 0, 0, 0, degree, 2 }, { 5, 5 } }, 1, { { 1, 0 }, { -1, 0 }, { 5, 5 } } } }) {
        Map& map = makeMap();
        addRouteFeatures(route, map);
        ASSERT_EQ(map.features.size(), lines + flags.size()) << route.size() << " waypoints";
        for (size_t i = 0; i < lines; ++i) {
            const auto& points = dynamic_cast<MapLine&>(*map.features[i]).points;
            EXPECT_LT(apart(points.front(), route[i].lat, route[i].lon) + apart(points.back(), route[i + 1].lat, route[i + 1].lon), 1) << "line " << i;
        }
        for (size_t i = 0; i < flags.size(); ++i) {
            const auto& flag = dynamic_cast<MapImage&>(*map.features[lines + i]);
            EXPECT_LT(apart({ flag.mx, flag.my }, flags[i].lat, flags[i].lon), 1) << "flag " << i << " of " << route.size() << " waypoints";
        }
        map.draw(display.renderer, 0, 0);
    }
    const SDL_Color flagColour { 250, 200, 0, 255 };
    data.writeImage("images/flag-red.png", 10, 20, flagColour);
    savePng(data.root / "data/images/boat-red.png", 64, 64, bow, stern);
    Map& map = makeMap(60.0, 0.0);
    map.viewX += 150;
    addRouteFeatures({ { 58, -4 }, { 62, 3 } }, map);
    BoatRecord boat;
    std::tie(boat.lat, boat.lon, boat.heading) = std::tuple(62, 3, 90);
    map.addWidget(std::make_unique<BoatWidget>(&boat, nullptr, &map));
    map.update(0.01);
    display.clear();
    map.draw(display.renderer, 0, 0);
    SDL_Point flag = map.latLonToScreen(58, -4), marker = map.latLonToScreen(62, 3);
    const Metres& third = dynamic_cast<MapLine&>(*map.features[0]).points.at(2);
    for (SDL_Point at : { flag, map.metresToScreen(third.mx, third.my) })
        EXPECT_TRUE(isRoute(display.pixelAt(at.x, at.y))) << at.x << ", " << at.y;
    for (auto [x, y, colour, shown] : { std::tuple(flag.x + 1, flag.y - 2, flagColour, true), std::tuple(flag.x + 1, flag.y + 1, flagColour, false),
             std::tuple(marker.x + 2, marker.y - 2, bow, true), std::tuple(marker.x + 20, marker.y, bow, true), std::tuple(marker.x - 20, marker.y, stern, true) })
        EXPECT_EQ(sameColour(display.pixelAt(x, y), colour), shown) << x << ", " << y;
}

// The world repeats east and west: what lies just across the 180-degree meridian is drawn
// at its copy beside the view, and a leg across it takes the short way, not round the world.
TEST_F(MapTest, AcrossTheDateLineEverythingIsDrawnAtTheCopyNearestTheView)
{
    for (auto [px, centre, copy] : { std::tuple(100, 16000, 16484), std::tuple(16300, 50, -84), std::tuple(100, -16000, -16284), std::tuple(8192, 8192, 8192), std::tuple(100, 24000, 16484) })
        EXPECT_EQ(nearestCopy(px, centre, 16384), copy) << px << " near " << centre;
    MapLine leg(0.0, 179.5, 0.0, -179.5);
    for (auto [centre, from, to] : { std::tuple(16384, 16361, 16406), std::tuple(0, -23, 22), std::tuple(8192, 16361, 16406) }) {
        std::vector<MapLine::Segment> segments = leg.segmentsNear(6, centre);
        ASSERT_EQ(segments.size(), 1u);
        EXPECT_EQ(std::pair(segments[0].first.px, segments[0].second.px), std::pair(from, to)) << centre;
    }
    // The view is centred on 179.5 W; the leg is drawn from 467 to 512 across the screen's
    // middle row, and a marker at 179.9 E stands left of the centre.
    Map& map = makeMap(0.0, -179.5);
    display.clear();
    leg.draw(map, display.renderer, map.viewX, map.viewY, 64, 1.0);
    EXPECT_TRUE(isRoute(display.pixelAt(490, 384)));
    EXPECT_FALSE(isRoute(display.pixelAt(700, 384)));
    BoatRecord boat;
    std::tie(boat.lat, boat.lon) = std::pair(1.0, 179.9);
    MapWidget* marker = map.addWidget(std::make_unique<BoatWidget>(&boat, nullptr, &map));
    map.update(0.01);
    EXPECT_EQ(map.latLonToScreen(1.0, 179.9).x, 485);
    map.focusAt(485, 338);
    EXPECT_TRUE(marker->focused);
    // Where the screen shows half the world a point 70 degrees east stays right of the centre.
    std::tie(map.zoom, map.viewX) = std::pair(3, 512);
    EXPECT_EQ(map.latLonToScreen(0.0, 70.0).x, 910);
}

using MapSeaTest = ChartTest;

// The sea shows where no tile covers it: a missing tile, one not opaque, or tiles narrower
// than the window or away from its origin. Each case draws twice, the second time over a
// black window once every tile is composed. A tile not shown for over two seconds then
// gives up its composed picture at the next eviction; one shown lately keeps it.
TEST_F(MapSeaTest, TheSeaShowsWhereNoOpaqueTileCoversItAndIdleTilesGiveUpTheirComposedPicture)
{
    const SDL_Color sea { 10, 200, 30, 255 }, land { 200, 100, 50, 255 };
    data.writeImage("images/sea.png", 64, 64, sea);
    data.writeImage("images/wind-arrow.png", 20, 40, { 255, 255, 255, 255 });
    StdoutCapture out;
    for (auto [alpha, missing] : { std::tuple(255, true), std::tuple(128, false), std::tuple(255, false) }) {
        clearTextures();
        initTextures(display.renderer);
        for (int tile = 0; tile < 16; ++tile)
            if (tile != 5 || !missing)
                saveTile(2, tile % 4, tile / 4, { land.r, land.g, land.b, Uint8(tile == 5 ? alpha : 255) });
        Map map(1024, 768, 0.0, 0.0);
        map.zoom = map.targetZoom = 2;
        map.viewX = map.viewY = 0;
        map.draw(display.renderer, 0, 0);
        display.clear();
        map.draw(display.renderer, 0, 0);
        SDL_Color expected = missing ? sea : (alpha == 255 ? land : SDL_Color { 105, 150, 40, 255 }), shown = display.pixelAt(300, 300);
        EXPECT_LE(std::max(std::abs(shown.r - expected.r), std::abs(shown.g - expected.g)), 2) << alpha << " " << missing;
        EXPECT_TRUE(sameColour(display.pixelAt(100, 100), land));
        if (missing || alpha != 255)
            continue;
        for (auto [drawX, drawY, width, seaX] : { std::tuple(4, 0, 1024, 1), std::tuple(0, 4, 1024, 1), std::tuple(0, 0, 700, 1020) }) {
            map.width = width;
            display.clear();
            map.draw(display.renderer, drawX, drawY);
            EXPECT_TRUE(sameColour(display.pixelAt(seaX, 1), sea)) << "tiles " << width << " wide from " << drawX << ", " << drawY << " leave a strip";
        }
        map.width = 1024;
        std::tie(map.tiles.at({ 2, 0, 0 }).lastUse, map.tiles.at({ 2, 1, 0 }).lastUse) = std::pair(SDL_GetTicks() - 2500, SDL_GetTicks() - 1500);
        map.evictTile();
        for (auto [column, kept] : { std::pair(0, false), std::pair(1, true), std::pair(2, true) }) {
            TileEntry& entry = map.tiles.at({ 2, column, 0 });
            EXPECT_EQ(entry.composed.coversOpaque(entry.texture->getTexture(), entry.wind.get(), map.arrow.get()), kept) << column;
        }
    }
}

}
