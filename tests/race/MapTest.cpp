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

TEST_F(MapTest, DraggingMovesTheViewAgainstThePointerAndWrapsItBeyondAWholeWorld)
{
    const int32_t world = worldSize(6);
    const struct {
        int32_t startX, startY, dx, dy, viewX, viewY;
    } cases[] {
        { 0, 0, 100, 50, -100, -50 },
        { -world + 100, -world + 50, 100, 50, -world, -world },
        { -world + 100, -world + 50, 200, 100, -100, -50 },
        { world - 100, world - 50, -100, -50, world, world },
        { world - 100, world - 50, -200, -100, 100, 50 },
    };
    for (const auto& c : cases) {
        Map& map = makeMap();
        map.viewX = c.startX;
        map.viewY = c.startY;
        screen->onMouseDown(SDL_BUTTON_LEFT, 500, 300);
        screen->onMouseMove(SDL_BUTTON_LMASK, 500 + c.dx / 2, 300 + c.dy / 2);
        screen->onMouseMove(SDL_BUTTON_LMASK, 500 + c.dx, 300 + c.dy);
        screen->onMouseUp(SDL_BUTTON_LEFT, 500 + c.dx, 300 + c.dy);
        // Moving after the release no longer drags.
        screen->onMouseMove(0, 500, 300);
        EXPECT_EQ(map.viewX, c.viewX) << c.startX << " dragged by " << c.dx;
        EXPECT_EQ(map.viewY, c.viewY) << c.startY << " dragged by " << c.dy;
    }
}

TEST_F(MapTest, TheWheelAimsOneLevelFromTheShownOneWithinTwoToFifteenAndAsksForThatLevelsTiles)
{
    const struct {
        int32_t zoom;
        std::vector<int> turns;
        int32_t target;
        std::set<int32_t> asked;
    } cases[] {
        { 6, { 1 }, 7, { 7 } }, { 6, { 3 }, 7, { 7 } }, { 6, { -4 }, 5, { 5 } }, { 6, { 0 }, 5, { 5 } },
        { 6, { 1, 1, 1 }, 7, { 7 } }, { 6, { -1, 1 }, 7, { 5, 7 } }, { 14, { 1 }, 15, { 15 } }, { 3, { -1 }, 2, { 2 } },
        { 2, { -1 }, 2, {} }, { 15, { 1 }, 15, {} },
    };
    for (const auto& c : cases) {
        Map& map = makeMap(40.0, -30.0, 300, 200);
        map.zoom = map.targetZoom = c.zoom;
        for (int turn : c.turns)
            screen->onMouseWheel(turn, 0, 0);
        std::set<int32_t> asked;
        for (const Map::TileKey& key : keys(map))
            asked.insert(std::get<0>(key));
        EXPECT_EQ(map.targetZoom, c.target) << c.zoom << " turned by " << c.turns.front();
        EXPECT_EQ(map.zoom, c.zoom);
        EXPECT_EQ(asked, c.asked) << c.zoom << " turned by " << c.turns.front();
    }
}

TEST_F(MapTest, ALevelTakesASecondInAndHalfASecondOutKeepingTheCentreAndMovingTheMarkers)
{
    const struct {
        int turn;
        double seconds;
        int32_t zoom;
        double scale;
    } cases[] {
        { 1, 0.75, 6, 1.75 }, { 1, 1.0, 6, 2.0 }, { 1, 1.25, 7, 1.0 }, { 1, 2.5, 7, 1.0 },
        { -1, 0.25, 6, 0.75 }, { -1, 0.5, 6, 0.5 }, { -1, 0.75, 5, 1.0 }, { -1, 1.5, 5, 1.0 },
    };
    BoatRecord boat;
    boat.lat = 10.5;
    boat.lon = 20.5;
    for (const auto& c : cases) {
        Map& map = makeMap(10.0, 20.0, 300, 200);
        MapWidget* marker = map.addWidget(std::make_unique<BoatWidget>(&boat, nullptr, &map));
        int32_t centreX = map.viewX + 150;
        int32_t centreY = map.viewY + 100;
        screen->onMouseWheel(c.turn, 0, 0);
        for (double elapsed = 0.0; elapsed < c.seconds; elapsed += 0.25)
            map.update(0.25);
        SCOPED_TRACE(testing::Message() << "turn " << c.turn << " after " << c.seconds << " s");
        EXPECT_EQ(map.zoom, c.zoom);
        EXPECT_DOUBLE_EQ(map.scale, c.scale);
        WorldPixel at = latLonToWorldPixel(boat.lat, boat.lon, map.zoom);
        EXPECT_EQ(std::pair(marker->x, marker->y), std::pair(at.px, at.py));
        int32_t factor = c.zoom == 7 ? 2 : 1;
        int32_t divisor = c.zoom == 5 ? 2 : 1;
        EXPECT_NEAR(map.viewX + 150, centreX * factor / divisor, 1);
        EXPECT_NEAR(map.viewY + 100, centreY * factor / divisor, 1);
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

TEST_F(MapTest, TilesFillTheScreenAcrossTheDateLineAndTheAnimationScalesThemAboutTheCentre)
{
    data.writeImage("images/wind-arrow.png", 20, 40, { 255, 255, 255, 255 });
    for (int column = 0; column < 4; ++column) {
        for (int row = 0; row < 4; ++row)
            cacheTile(2, column, row);
    }
    Map& map = makeMap();
    map.zoom = map.targetZoom = 2;
    struct Probe {
        int x, y, column, row;
    };
    const struct {
        int32_t viewX, viewY;
        double scale;
        std::vector<Probe> probes;
    } views[] {
        // West of column 0 and north of row 0 the last column and row show.
        { -100, -40, 1.0, { { 0, 0, 3, 3 }, { 99, 39, 3, 3 }, { 100, 39, 0, 3 }, { 99, 40, 3, 0 }, { 356, 296, 1, 1 }, { 1023, 767, 3, 2 } } },
        { 100, 40, 1.0, { { 0, 0, 0, 0 }, { 155, 215, 0, 0 }, { 156, 216, 1, 1 }, { 1023, 767, 0, 3 } } },
        // Tile (2, 2) has its corner at the centre and grows to 385 pixels away from it.
        { 0, 128, 1.5, { { 512, 384, 2, 2 }, { 895, 767, 2, 2 }, { 896, 767, 3, 2 }, { 511, 383, 1, 1 } } },
    };
    for (const auto& view : views) {
        map.viewX = view.viewX;
        map.viewY = view.viewY;
        map.scale = view.scale;
        map.draw(display.renderer, 0, 0);
        for (const Probe& probe : view.probes) {
            EXPECT_TRUE(sameColour(display.pixelAt(probe.x, probe.y), tileColour(probe.column, probe.row)))
                << "view " << view.viewX << ", " << view.viewY << " at " << probe.x << ", " << probe.y;
        }
    }
    // Each tile carries the arrows of its wind grid at alpha 200: one over tile (1, 1).
    windRegistry.forEach([](WindData& grid) {
        grid.n = 1;
        grid.winds = { { 0, 50 } };
    });
    map.viewX = 100;
    map.viewY = 40;
    map.scale = 1.0;
    map.draw(display.renderer, 0, 0);
    EXPECT_NEAR(display.pixelAt(284, 344).g, (255 * 200 + tileColour(1, 1).g * 55) / 255, 2);
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

TEST_F(MapTest, AShortClickFocusesTheMarkerUnderThePressAndTheOwnMarkerShowsItsPanel)
{
    Map& map = makeMap();
    screen->addChild(std::make_unique<WindTape>(718, 1024, &map));
    Widget panel(0, 0, 10, 10);
    BoatRecord ownBoat;
    BoatRecord otherBoat;
    otherBoat.lon = 5.0;
    MapWidget* own = map.addWidget(std::make_unique<BoatWidget>(&ownBoat, &panel, &map));
    MapWidget* other = map.addWidget(std::make_unique<BoatWidget>(&otherBoat, nullptr, &map));
    map.update(0.01);
    const SDL_Point a = map.latLonToScreen(0.0, 0.0);
    const SDL_Point b = map.latLonToScreen(0.0, 5.0);
    const struct {
        const char* what;
        SDL_Point press, release;
        Uint32 held;
        bool ownFocused, otherFocused;
    } clicks[] {
        { "own marker", a, a, 50, true, false },
        { "left edge of the other", { b.x - 32, b.y }, { b.x - 32, b.y }, 999, false, true },
        { "long press on the own", a, a, 1000, false, true },
        { "top-left corner of the own", { a.x - 32, a.y - 32 }, { a.x - 32, a.y - 32 }, 10, true, false },
        { "the wind tape", { 500, 740 }, { 500, 740 }, 10, true, false },
        { "just right of the own", { a.x + 32, a.y }, { a.x + 32, a.y }, 10, false, false },
        { "bottom-right corner of the own", { a.x + 31, a.y + 31 }, { a.x + 31, a.y + 31 }, 10, true, false },
        { "just below the own", { a.x, a.y + 32 }, { a.x, a.y + 32 }, 10, false, false },
        { "press on the other, release beside it", b, { b.x + 5, b.y + 3 }, 200, false, true },
        { "press on sea, release on the own", { a.x, a.y + 40 }, a, 200, false, false },
    };
    const int32_t viewX = map.viewX;
    const int32_t viewY = map.viewY;
    Uint32 tick = 100000;
    for (const auto& click : clicks) {
        map.viewX = viewX;
        map.viewY = viewY;
        advanceFrameClock(tick);
        screen->onMouseDown(SDL_BUTTON_LEFT, click.press.x, click.press.y);
        screen->onMouseMove(SDL_BUTTON_LMASK, click.release.x, click.release.y);
        advanceFrameClock(tick + click.held);
        screen->onMouseUp(SDL_BUTTON_LEFT, click.release.x, click.release.y);
        tick += 5000;
        EXPECT_EQ(own->focused, click.ownFocused) << click.what;
        EXPECT_EQ(other->focused, click.otherFocused) << click.what;
        EXPECT_EQ(panel.visible, click.ownFocused) << click.what;
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
    auto settled = [&] {
        takeFinishedTextures();
        return !tile.texture->isLoading();
    };
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
