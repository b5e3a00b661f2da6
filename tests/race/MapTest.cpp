#include "boat/BoatRecord.h"
#include "gui/Screen.h"
#include "race/BoatWidget.h"
#include "race/Map.h"
#include "race/Projection.h"
#include "race/WindTape.h"
#include "support/RecordingServer.h"
#include "support/RunningDownloader.h"
#include "support/StdoutCapture.h"
#include "support/WaitUntil.h"

#include "ChartTestSupport.h"

#include <set>

namespace {

using namespace chart;

// A map at the bottom of a screen, as the race screen holds it.
class MapTest : public ChartTest {
protected:
    Map& makeMap(double lat = 0.0, double lon = 0.0, int width = 1024, int height = 768)
    {
        screen = std::make_unique<Screen>(display.window);
        return *screen->addChild(std::make_unique<Map>(width, height, lat, lon));
    }
    static std::set<Map::TileKey> keys(const Map& map)
    {
        std::set<Map::TileKey> held;
        for (const auto& [key, entry] : map.tiles)
            held.insert(key);
        return held;
    }

    std::unique_ptr<Screen> screen;
};

// Dragging by (dx, dy) moves the view the other way; a view beyond a whole world wraps.
TEST_F(MapTest, DraggingMovesTheViewAgainstThePointerAndWrapsItBeyondAWholeWorld)
{
    const int32_t w = worldSize(6);
    for (auto [startX, startY, dx, dy, viewX, viewY] : std::initializer_list<std::tuple<int32_t, int32_t, int, int, int32_t, int32_t>> {
             { 0, 0, 100, 50, -100, -50 }, { -w + 100, -w + 50, 100, 50, -w, -w }, { -w + 100, -w + 50, 200, 100, -100, -50 },
             { w - 100, w - 50, -100, -50, w, w }, { w - 100, w - 50, -200, -100, 100, 50 } }) {
        Map& map = makeMap();
        map.viewX = startX;
        map.viewY = startY;
        screen->onMouseDown(SDL_BUTTON_LEFT, 500, 300);
        screen->onMouseMove(SDL_BUTTON_LMASK, 500 + dx / 2, 300 + dy / 2);
        screen->onMouseMove(SDL_BUTTON_LMASK, 500 + dx, 300 + dy);
        screen->onMouseUp(SDL_BUTTON_LEFT, 500 + dx, 300 + dy);
        screen->onMouseMove(0, 500, 300);
        EXPECT_EQ(std::pair(map.viewX, map.viewY), std::pair(viewX, viewY)) << startX << ", " << startY << " dragged by " << dx;
    }
}

TEST_F(MapTest, TheWheelAimsOneLevelFromTheShownOneWithinTwoToFifteenAndAsksForThatLevelsTiles)
{
    for (auto [zoom, turns, target, asked] : std::initializer_list<std::tuple<int32_t, std::vector<int>, int32_t, std::set<int32_t>>> {
             { 6, { 1 }, 7, { 7 } }, { 6, { 3 }, 7, { 7 } }, { 6, { -4 }, 5, { 5 } }, { 6, { 0 }, 5, { 5 } }, { 6, { 1, 1, 1 }, 7, { 7 } },
             { 6, { -1, 1 }, 7, { 5, 7 } }, { 14, { 1 }, 15, { 15 } }, { 3, { -1 }, 2, { 2 } }, { 2, { -1 }, 2, {} }, { 15, { 1 }, 15, {} } }) {
        Map& map = makeMap(40.0, -30.0, 300, 200);
        map.zoom = map.targetZoom = zoom;
        for (int turn : turns)
            screen->onMouseWheel(turn, 0, 0);
        std::set<int32_t> levels;
        for (const Map::TileKey& key : keys(map))
            levels.insert(std::get<0>(key));
        EXPECT_EQ(std::tuple(map.zoom, map.targetZoom, levels), std::tuple(zoom, target, asked)) << zoom << " turned by " << turns[0];
    }
}

// The markers move to their places at the new level.
TEST_F(MapTest, ALevelTakesASecondInAndHalfASecondOutKeepingTheCentre)
{
    BoatRecord boat;
    boat.lat = 10.5;
    boat.lon = 20.5;
    for (auto [turn, seconds, zoom, scale] : std::initializer_list<std::tuple<int, double, int32_t, double>> {
             { 1, 0.75, 6, 1.75 }, { 1, 1.0, 6, 2.0 }, { 1, 1.25, 7, 1.0 }, { 1, 2.5, 7, 1.0 },
             { -1, 0.25, 6, 0.75 }, { -1, 0.5, 6, 0.5 }, { -1, 0.75, 5, 1.0 }, { -1, 1.5, 5, 1.0 } }) {
        Map& map = makeMap(10.0, 20.0, 300, 200);
        MapWidget* marker = map.addWidget(std::make_unique<BoatWidget>(&boat, nullptr, &map));
        SDL_Point centre { map.viewX + 150, map.viewY + 100 };
        screen->onMouseWheel(turn, 0, 0);
        for (double elapsed = 0.0; elapsed < seconds; elapsed += 0.25)
            map.update(0.25);
        SCOPED_TRACE(testing::Message() << "turn " << turn << " after " << seconds << " s");
        EXPECT_EQ(std::pair(map.zoom, map.scale), std::pair(zoom, scale));
        WorldPixel at = latLonToWorldPixel(boat.lat, boat.lon, map.zoom);
        EXPECT_EQ(std::pair(marker->x, marker->y), std::pair(at.px, at.py));
        double factor = zoom == 7 ? 2.0 : zoom == 5 ? 0.5 : 1.0;
        EXPECT_NEAR(map.viewX + 150, centre.x * factor, 1);
        EXPECT_NEAR(map.viewY + 100, centre.y * factor, 1);
    }
}

// They load while the animation runs.
TEST_F(MapTest, TheWheelAsksAtOnceForExactlyTheTilesTheNewLevelWillShow)
{
    for (int turn : { 1, -1 }) {
        Map& map = makeMap(47.1, -3.3);
        screen->onMouseWheel(turn, 0, 0);
        std::set<Map::TileKey> asked = keys(map);
        map.update(1.5);
        map.tiles.clear();
        map.draw(display.renderer, 0, 0);
        EXPECT_EQ(asked.size(), 20u);
        EXPECT_EQ(keys(map), asked) << "turn " << turn;
    }
}

// Each tile also carries its wind grid's arrows at alpha 200.
TEST_F(MapTest, TilesFillTheScreenAcrossTheDateLineAndTheAnimationScalesThemAboutTheCentre)
{
    data.writeImage("images/wind-arrow.png", 20, 40, { 255, 255, 255, 255 });
    for (int tile = 0; tile < 16; ++tile)
        cacheTile(2, tile % 4, tile / 4);
    Map& map = makeMap();
    map.zoom = map.targetZoom = 2;
    using Probe = std::tuple<int, int, int, int>; // x, y and the tile's column and row
    for (auto [viewX, viewY, scale, probes] : std::initializer_list<std::tuple<int32_t, int32_t, double, std::vector<Probe>>> {
             // West of column 0 and north of row 0 the last column and row show.
             { -100, -40, 1.0, { { 0, 0, 3, 3 }, { 99, 39, 3, 3 }, { 100, 39, 0, 3 }, { 99, 40, 3, 0 }, { 356, 296, 1, 1 }, { 1023, 767, 3, 2 } } },
             { 100, 40, 1.0, { { 0, 0, 0, 0 }, { 155, 215, 0, 0 }, { 156, 216, 1, 1 }, { 1023, 767, 0, 3 } } },
             // Tile (2, 2) has its corner at the centre and grows to 385 pixels away from it.
             { 0, 128, 1.5, { { 512, 384, 2, 2 }, { 895, 767, 2, 2 }, { 896, 767, 3, 2 }, { 511, 383, 1, 1 } } } }) {
        map.viewX = viewX;
        map.viewY = viewY;
        map.scale = scale;
        map.draw(display.renderer, 0, 0);
        for (auto [x, y, column, row] : probes)
            EXPECT_TRUE(sameColour(display.pixelAt(x, y), tileColour(column, row))) << "view " << viewX << ", " << viewY << " at " << x << ", " << y;
    }
    windRegistry.forEach([](WindData& grid) { grid.n = 1, grid.winds = { { 0, 50 } }; });
    map.draw(display.renderer, 0, 0);
    EXPECT_NEAR(display.pixelAt(704, 576).g, (255 * 200 + tileColour(2, 2).g * 55) / 255, 2);
}

TEST_F(MapTest, EveryHundredthFrameTheLeastRecentlyUsedTileBeyondFiveHundredGoesButNotOneOnScreen)
{
    Map& map = makeMap(0.0, 0.0, 10, 10);
    map.viewX = map.viewY = 100;
    for (int32_t i = 0; map.tiles.size() < 501; ++i)
        map.tiles[{ 3, i, 0 }].lastUse = 0;
    for (auto [frames, remaining] : { std::pair(99, 502u), std::pair(1, 501u), std::pair(100, 500u), std::pair(100, 500u) }) {
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
             { { a.x, a.y + 32 }, { a.x, a.y + 32 }, 10, false, false }, { b, { b.x + 5, b.y + 3 }, 200, false, true },
             { { a.x, a.y + 40 }, a, 200, false, false } }) {
        map.viewX = viewX;
        map.viewY = viewY;
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

TEST_F(MapTest, AFailedTileIsAskedForAgainWhenNextUsed)
{
    RecordingServer server;
    const std::string png = savePng(data.root / "tile.png", 256, 256, tileColour(1, 1), tileColour(1, 1));
    server.answer("/tiles/.*", [&](const SeenRequest&) { return server.count("/tiles/") == 1 ? Reply("", 500) : Reply(png, 200, "image/png"); });
    startDownloaderOnce();
    useServer(server.baseUrl());
    Map& map = makeMap();
    StdoutCapture out;
    TileEntry& tile = map.getTile(9, 1, 1, 5);
    auto settled = [&] { return takeFinishedTextures(), !tile.texture->isLoading(); };
    ASSERT_TRUE(waitUntil(settled));
    EXPECT_EQ(tile.texture->getTexture(), nullptr);
    map.getTile(9, 1, 1, 6);
    ASSERT_TRUE(waitUntil(settled));
    map.getTile(9, 1, 1, 7);
    EXPECT_NE(tile.texture->getTexture(), nullptr);
    EXPECT_EQ(out.text(), "redownloading tile after error " + server.baseUrl() + "/tiles/9/1/1.png\n");
}

TEST_F(MapTest, ANewForecastTimeGivesEveryTileTheWindGridOfThatTime)
{
    Map& map = makeMap(0.0, 0.0, 10, 10);
    map.viewX = map.viewY = 100;
    for (int32_t time : { 1000, 4600 }) {
        map.windTime = time;
        map.draw(display.renderer, 0, 0);
        ASSERT_EQ(map.tiles.size(), 1u);
        EXPECT_EQ(map.tiles.begin()->second.wind->getTime(), time);
    }
}

}
