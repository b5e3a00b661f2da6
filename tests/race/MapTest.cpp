#include "race/Map.h"
#include "race/Projection.h"

#include "ChartTestSupport.h"

#include <atomic>
#include <memory>
#include <set>

namespace {

using namespace chart;

constexpr int screenWidth = 1024;
constexpr int screenHeight = 768;
constexpr int smallWidth = 300;
constexpr int smallHeight = 200;

// A marker at a fixed position that remembers the focus it was given.
class Pin : public MapWidget {
public:
    Pin(double lat, double lon, int side)
        : MapWidget(0, 0, side, side)
        , lat(lat)
        , lon(lon)
    {
    }
    void getPosition(double& latitude, double& longitude) const override
    {
        latitude = lat;
        longitude = lon;
    }
    void setFocus(bool focus) override
    {
        focused = focus;
        ++focusCalls;
    }

    double lat;
    double lon;
    int focusCalls = 0;
};

// A map filling the window, as the race screen holds it, fed with pushed SDL events.
class MapTest : public ChartTest {
protected:
    // Tests that make many maps make small ones, which ask for few tiles.
    Map& makeMap(double lat = 0.0, double lon = 0.0, int width = screenWidth, int height = screenHeight)
    {
        screen = std::make_unique<Screen>(display.window);
        return *screen->addChild(std::make_unique<Map>(width, height, lat, lon));
    }

    void deliverEvents()
    {
        SDL_Event event;
        while (SDL_PollEvent(&event))
            screen->handleEvent(event);
    }

    // Draws until every tile on screen has its image, taking in one download per frame.
    bool drawUntilLoaded(Map& map)
    {
        return waitUntil([&] {
            map.draw(display.renderer, 0, 0);
            takeFinishedTextures();
            pollWindDownloads();
            for (auto& [key, entry] : map.tiles) {
                if (std::get<0>(key) == map.zoom && entry.texture && !entry.texture->getTexture())
                    return false;
            }
            return true;
        });
    }

    void TearDown() override
    {
        screen.reset();
        ChartTest::TearDown();
    }

    std::unique_ptr<Screen> screen;
};

struct DragCase {
    int32_t startX, startY;
    int fromX, fromY, toX, toY;
    int32_t viewX, viewY;
};

TEST_F(MapTest, DraggingMovesTheViewAndWrapsItInBothAxes)
{
    const int32_t world = worldSize(6);
    const DragCase cases[] {
        { 0, 0, 500, 300, 600, 350, -100, -50 },
        { 100, 200, 500, 300, 400, 100, 200, 400 },
        { -world + 100, 0, 300, 300, 500, 300, -100, 0 },
        { -world + 100, -world + 50, 300, 300, 400, 350, -world, -world },
        { world - 100, world - 50, 500, 500, 300, 300, 100, 150 },
        { world - 100, 0, 500, 500, 400, 500, world, 0 },
        { 0, -world + 10, 500, 500, 500, 520, 0, -10 },
    };
    for (const DragCase& test : cases) {
        Map& map = makeMap();
        map.viewX = test.startX;
        map.viewY = test.startY;
        pushMouseButton(SDL_MOUSEBUTTONDOWN, test.fromX, test.fromY);
        pushMouseMotion((test.fromX + test.toX) / 2, (test.fromY + test.toY) / 2, SDL_BUTTON_LMASK);
        pushMouseMotion(test.toX, test.toY, SDL_BUTTON_LMASK);
        pushMouseButton(SDL_MOUSEBUTTONUP, test.toX, test.toY);
        pushMouseMotion(test.fromX, test.fromY);
        deliverEvents();
        EXPECT_EQ(map.viewX, test.viewX) << test.startX << " dragged by " << test.toX - test.fromX;
        EXPECT_EQ(map.viewY, test.viewY) << test.startY << " dragged by " << test.toY - test.fromY;
        EXPECT_FALSE(map.dragging);
    }
}

struct WheelCase {
    int32_t zoom;
    std::vector<int> wheel;
    int32_t targetZoom;
    std::set<int32_t> requestedLevels;
};

TEST_F(MapTest, WheelSetsTheTargetOneLevelFromTheCurrentZoomWithinTwoToFifteen)
{
    const WheelCase cases[] {
        { 6, { 1 }, 7, { 7 } },
        { 6, { 3 }, 7, { 7 } },
        { 6, { -1 }, 5, { 5 } },
        { 6, { -4 }, 5, { 5 } },
        { 6, { 0 }, 5, { 5 } },
        { 6, { 1, 1, 1 }, 7, { 7 } },
        { 6, { -1, 1 }, 7, { 5, 7 } },
        { 3, { -1 }, 2, { 2 } },
        { 14, { 1 }, 15, { 15 } },
        { 2, { -1 }, 2, {} },
        { 2, { 0 }, 2, {} },
        { 15, { 1 }, 15, {} },
    };
    for (const WheelCase& test : cases) {
        Map& map = makeMap(40.0, -30.0, smallWidth, smallHeight);
        map.zoom = test.zoom;
        map.targetZoom = test.zoom;
        for (int amount : test.wheel)
            pushWheel(amount);
        deliverEvents();
        SCOPED_TRACE(testing::Message() << "zoom " << test.zoom << ", first amount " << test.wheel.front());
        EXPECT_EQ(map.targetZoom, test.targetZoom);
        EXPECT_EQ(map.zoom, test.zoom);
        // Only a real change asks for the tiles of the new level.
        std::set<int32_t> levels;
        for (const auto& [key, entry] : map.tiles)
            levels.insert(std::get<0>(key));
        EXPECT_EQ(levels, test.requestedLevels);
    }
}

struct AnimationCase {
    int wheel;
    double seconds;
    int32_t zoom;
    double scale;
};

TEST_F(MapTest, ALevelTakesOneSecondInAndHalfASecondOutKeepingTheCentre)
{
    const AnimationCase cases[] {
        { 1, 0.0, 6, 1.0 },
        { 1, 0.25, 6, 1.25 },
        { 1, 0.75, 6, 1.75 },
        { 1, 1.0, 6, 2.0 },
        { 1, 1.25, 7, 1.0 },
        { 1, 2.5, 7, 1.0 },
        { -1, 0.0, 6, 1.0 },
        { -1, 0.25, 6, 0.75 },
        { -1, 0.5, 6, 0.5 },
        { -1, 0.75, 5, 1.0 },
        { -1, 1.5, 5, 1.0 },
    };
    for (const AnimationCase& test : cases) {
        Map& map = makeMap(10.0, 20.0, smallWidth, smallHeight);
        int32_t centreX = map.viewX + smallWidth / 2;
        int32_t centreY = map.viewY + smallHeight / 2;
        pushWheel(test.wheel);
        deliverEvents();
        map.update(0.0);
        for (double elapsed = 0.0; elapsed < test.seconds; elapsed += 0.25)
            map.update(0.25);
        SCOPED_TRACE(testing::Message() << "wheel " << test.wheel << " after " << test.seconds << " s");
        EXPECT_EQ(map.zoom, test.zoom);
        EXPECT_DOUBLE_EQ(map.scale, test.scale);
        if (test.zoom == 7) {
            EXPECT_EQ(map.viewX + smallWidth / 2, 2 * centreX);
            EXPECT_EQ(map.viewY + smallHeight / 2, 2 * centreY);
        } else if (test.zoom == 5) {
            EXPECT_LE(std::abs(map.viewX + smallWidth / 2 - centreX / 2), 1);
            EXPECT_LE(std::abs(map.viewY + smallHeight / 2 - centreY / 2), 1);
        } else {
            EXPECT_EQ(map.viewX + smallWidth / 2, centreX);
        }
    }
}

TEST_F(MapTest, UpdateOfZeroSecondsNeitherZoomsNorPlacesMarkers)
{
    Map& map = makeMap();
    Pin* pin = static_cast<Pin*>(map.addWidget(std::make_unique<Pin>(0.0, 0.0, 10)));
    pushWheel(1);
    deliverEvents();
    map.update(0.0);
    EXPECT_EQ(pin->x, 0);
    EXPECT_EQ(pin->y, 0);
    EXPECT_DOUBLE_EQ(map.scale, 1.0);

    map.update(0.01);
    EXPECT_EQ(pin->x, 8192);
    EXPECT_EQ(pin->y, 8192);
    EXPECT_DOUBLE_EQ(map.scale, 1.01);

    // Once the level is crossed the marker moves to its world pixel at the new level.
    map.update(1.0);
    EXPECT_EQ(map.zoom, 7);
    EXPECT_EQ(pin->x, 16384);
    EXPECT_EQ(pin->y, 16384);
}

TEST_F(MapTest, TheTargetLevelsTilesAreRequestedWhenTheWheelTurns)
{
    Map& map = makeMap(47.0, -3.0);
    int32_t originX = 2 * map.viewX + screenWidth / 2;
    int32_t originY = 2 * map.viewY + screenHeight / 2;
    pushWheel(1);
    deliverEvents();

    std::set<Map::TileKey> expected;
    for (int r = 0; r <= screenHeight / 256; ++r) {
        for (int c = 0; c <= screenWidth / 256; ++c)
            expected.insert({ 7, originX / 256 + c, originY / 256 + r });
    }
    std::set<Map::TileKey> held;
    for (const auto& [key, entry] : map.tiles)
        held.insert(key);
    EXPECT_EQ(held, expected);
    EXPECT_EQ(windRegistry.size(), expected.size());

    ASSERT_TRUE(waitUntil([&] { return countSeen("/tiles/7/") == expected.size(); }));
    for (const Map::TileKey& key : expected) {
        std::string path = "/tiles/7/" + std::to_string(std::get<1>(key)) + "/" + std::to_string(std::get<2>(key)) + ".png";
        EXPECT_EQ(countSeen(path), 1u) << path;
    }
    EXPECT_TRUE(waitUntil([&] { return countSeen("/wind?7/") == expected.size(); })) << countSeen("/wind?7/");
}

TEST_F(MapTest, ZoomingOutRequestsTheTilesAroundTheCentreAtTheLevelBelow)
{
    Map& map = makeMap(-20.0, 100.0);
    int32_t originX = map.viewX / 2 - screenWidth / 4;
    int32_t originY = map.viewY / 2 - screenHeight / 4;
    pushWheel(-1);
    deliverEvents();
    EXPECT_EQ(map.tiles.size(), size_t((screenHeight / 256 + 1) * (screenWidth / 256 + 1)));
    EXPECT_EQ(map.tiles.count({ 5, originX / 256, originY / 256 }), 1u);
    EXPECT_EQ(map.tiles.count({ 5, originX / 256 + screenWidth / 256, originY / 256 + screenHeight / 256 }), 1u);
}

struct EvictionCase {
    int draws;
    size_t size;
    std::vector<Map::TileKey> gone;
};

TEST_F(MapTest, BeyondFiveHundredTilesTheLeastRecentlyUsedGoesEveryHundredDraws)
{
    Map& map = makeMap();
    SDL_Delay(2);
    map.draw(display.renderer, 0, 0);
    size_t visible = map.tiles.size();
    ASSERT_GT(visible, 0u);
    map.evictCountdown = 100;
    // Tiles far away, last used before anything on screen; the one of level 3 was used
    // a moment after the others, so it outlives them although it comes first in key order.
    map.tiles[{ 3, 0, 0 }].lastUse = 1;
    map.tiles[{ 9, 5, 5 }].lastUse = 0;
    for (int32_t i = 0; map.tiles.size() < 502; ++i)
        map.tiles[{ 10, i, 0 }].lastUse = 0;

    const EvictionCase steps[] {
        { 99, 502, {} },
        { 1, 501, { { 9, 5, 5 } } },
        { 99, 501, {} },
        { 1, 500, { { 10, 0, 0 } } },
        { 100, 500, {} },
    };
    for (const EvictionCase& step : steps) {
        for (int i = 0; i < step.draws; ++i)
            map.draw(display.renderer, 0, 0);
        EXPECT_EQ(map.tiles.size(), step.size);
        for (const Map::TileKey& key : step.gone)
            EXPECT_EQ(map.tiles.count(key), 0u) << std::get<0>(key) << "/" << std::get<1>(key);
    }
    EXPECT_EQ(map.tiles.count({ 3, 0, 0 }), 1u);
}

struct ClickCase {
    const char* what;
    int pressX, pressY, releaseX, releaseY;
    Uint32 held;
    int focusedPin; // -1: none
};

TEST_F(MapTest, AShortClickFocusesTheMarkerUnderThePress)
{
    Map& map = makeMap();
    // Two markers of 40 pixels centred at known screen points.
    std::vector<Pin*> pins;
    for (double lon : { 0.0, 5.0 })
        pins.push_back(static_cast<Pin*>(map.addWidget(std::make_unique<Pin>(0.0, lon, 40))));
    map.update(0.01);
    SDL_Point a = map.latLonToScreen(0.0, 0.0);
    SDL_Point b = map.latLonToScreen(0.0, 5.0);
    ASSERT_GT(b.x - a.x, 100);

    const ClickCase clicks[] {
        { "quick click on the first", a.x, a.y, a.x, a.y, 50, 0 },
        { "quick click on empty sea", a.x + 60, a.y, a.x + 60, a.y, 50, -1 },
        { "left edge of the second", b.x - 20, b.y, b.x - 20, b.y, 999, 1 },
        { "long press on the first", a.x, a.y, a.x, a.y, 1000, 1 },
        { "right edge just outside the first", a.x + 20, a.y + 19, a.x + 20, a.y + 19, 10, -1 },
        { "bottom-right corner of the first", a.x + 19, a.y + 19, a.x + 19, a.y + 19, 10, 0 },
        { "press on the second, release a little further", b.x, b.y - 10, b.x + 5, b.y - 7, 200, 1 },
        { "press on sea, release on the first", a.x, a.y - 30, a.x, a.y, 200, -1 },
    };
    const int32_t viewX = map.viewX;
    const int32_t viewY = map.viewY;
    Uint32 tick = 100000;
    for (const ClickCase& click : clicks) {
        map.viewX = viewX;
        map.viewY = viewY;
        advanceFrameClock(tick);
        pushMouseButton(SDL_MOUSEBUTTONDOWN, click.pressX, click.pressY);
        pushMouseMotion(click.releaseX, click.releaseY, SDL_BUTTON_LMASK);
        deliverEvents();
        advanceFrameClock(tick + click.held);
        pushMouseButton(SDL_MOUSEBUTTONUP, click.releaseX, click.releaseY);
        deliverEvents();
        tick += 5000;
        for (int i = 0; i < 2; ++i)
            EXPECT_EQ(pins[i]->focused, click.focusedPin == i) << click.what << ", marker " << i;
    }
    advanceFrameClock(0);
}

TEST_F(MapTest, ClickingAnotherMarkerTakesTheFocusFromTheLastFocusedOne)
{
    Map& map = makeMap();
    Pin* first = static_cast<Pin*>(map.addWidget(std::make_unique<Pin>(0.0, 0.0, 40)));
    Pin* second = static_cast<Pin*>(map.addWidget(std::make_unique<Pin>(0.0, 10.0, 40)));
    map.update(0.01);
    first->setFocus(true);
    first->focusCalls = 0;
    SDL_Point b = map.latLonToScreen(0.0, 10.0);
    map.focusAt(b.x, b.y);
    EXPECT_FALSE(first->focused);
    EXPECT_EQ(first->focusCalls, 1);
    EXPECT_TRUE(second->focused);
    // Without a focused marker a click on sea touches nobody.
    second->setFocus(false);
    first->focusCalls = 0;
    second->focusCalls = 0;
    map.focusAt(b.x + 100, b.y);
    EXPECT_EQ(first->focusCalls + second->focusCalls, 0);
}

struct ProbeCase {
    int x, y;
    int column, row;
};

TEST_F(MapTest, WestOfTheDateLineTheEasternTilesFillTheScreenWithoutAGap)
{
    data.writeImage("images/sea.png", 8, 8, SDL_Color { 0, 0, 90, 255 });
    Map& map = makeMap();
    map.zoom = 2;
    map.targetZoom = 2;
    map.viewX = -100;
    map.viewY = -40;
    ASSERT_TRUE(drawUntilLoaded(map));
    map.draw(display.renderer, 0, 0);

    // Level 2 has four columns and four rows; the view starts west of column 0 and north
    // of row 0, so the last column and the last row show there.
    const ProbeCase probes[] {
        { 0, 0, 3, 3 },
        { 99, 39, 3, 3 },
        { 100, 39, 0, 3 },
        { 99, 40, 3, 0 },
        { 100, 40, 0, 0 },
        { 355, 295, 0, 0 },
        { 356, 296, 1, 1 },
        { 868, 552, 3, 2 },
        { 1023, 767, 3, 2 },
        { 700, 0, 2, 3 },
    };
    for (const ProbeCase& probe : probes) {
        SDL_Color seen = display.pixelAt(probe.x, probe.y);
        EXPECT_TRUE(sameColour(seen, tileColour(probe.column, probe.row)))
            << "(" << probe.x << ", " << probe.y << ") shows " << describe(seen);
    }
}

TEST_F(MapTest, DuringTheAnimationTilesAreScaledAboutTheCentre)
{
    Map& map = makeMap();
    map.viewX = 8192 - 512;
    map.viewY = 8192 - 384;
    ASSERT_TRUE(drawUntilLoaded(map));
    // Tile (32, 32) starts at the centre of the screen; at scale 1.5 its corner moves
    // away from the centre by half and the tile grows to 385 pixels.
    map.scale = 1.5;
    map.draw(display.renderer, 0, 0);
    SDL_Color inside = tileColour(32, 32);
    EXPECT_TRUE(sameColour(display.pixelAt(512, 384), inside));
    EXPECT_TRUE(sameColour(display.pixelAt(895, 767), inside));
    EXPECT_TRUE(sameColour(display.pixelAt(896, 767), tileColour(33, 32)));
    EXPECT_FALSE(sameColour(display.pixelAt(511, 383), inside));
    EXPECT_TRUE(sameColour(display.pixelAt(511, 383), tileColour(31, 31)));
}

TEST_F(MapTest, EachLoadedTileCarriesItsWindArrowsAtTwoHundredAlpha)
{
    data.writeImage("images/wind-arrow.png", 20, 40, SDL_Color { 255, 255, 255, 255 });
    Map& map = makeMap();
    map.viewX = 8192 - 512;
    map.viewY = 8192 - 384;
    ASSERT_TRUE(drawUntilLoaded(map));
    TileEntry& tile = map.tiles.at({ 6, 32, 32 });
    ASSERT_TRUE(waitUntil([&] {
        pollWindDownloads();
        return tile.wind->gridSize() == 2;
    }));
    display.clear();
    map.draw(display.renderer, 0, 0);
    // The default grid has wind from the north at 50 in each of its four cells: a 20 x 40
    // arrow over the centre of each quarter of the tile, the tile showing through.
    SDL_Color ground = tileColour(32, 32);
    auto blend = [](Uint8 arrow, Uint8 below) { return (arrow * 200 + below * 55) / 255; };
    const SDL_Point inside[] { { 64, 64 }, { 54, 44 }, { 73, 83 }, { 192, 64 }, { 64, 192 }, { 201, 211 } };
    for (SDL_Point point : inside) {
        SDL_Color seen = display.pixelAt(512 + point.x, 384 + point.y);
        EXPECT_NEAR(seen.r, blend(255, ground.r), 2) << point.x << ", " << point.y;
        EXPECT_NEAR(seen.g, blend(255, ground.g), 2) << point.x << ", " << point.y;
    }
    const SDL_Point outside[] { { 53, 64 }, { 74, 64 }, { 64, 43 }, { 64, 84 }, { 128, 128 } };
    for (SDL_Point point : outside)
        EXPECT_TRUE(sameColour(display.pixelAt(512 + point.x, 384 + point.y), ground)) << point.x << ", " << point.y;
}

TEST_F(MapTest, AFailedTileIsAskedForAgainWhenItIsUsed)
{
    std::atomic<int> failures { 1 };
    server.stop();
    LocalHttpServer flaky;
    flaky.server.Get(R"(/tiles/(\d+)/(\d+)/(\d+)\.png)", [&](const httplib::Request& request, httplib::Response& response) {
        record(request.path);
        if (failures-- > 0) {
            response.status = 500;
            return;
        }
        response.set_content(tilePng(1, 1), "image/png");
    });
    flaky.start();
    ASSERT_TRUE(waitUntil([&] { return flaky.server.is_running(); }));
    useServer(flaky.baseUrl());
    Map& map = makeMap();
    testing::internal::CaptureStdout();
    TileEntry& entry = map.getTile(9, 1, 1, 5);
    ASSERT_TRUE(waitUntil([&] {
        takeFinishedTextures();
        return !entry.texture->isLoading();
    }));
    EXPECT_EQ(entry.texture->getTexture(), nullptr);
    map.getTile(9, 1, 1, 6);
    std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_EQ(printed, "redownloading tile after error " + flaky.baseUrl() + "/tiles/9/1/1.png\n");
    ASSERT_TRUE(waitUntil([&] {
        takeFinishedTextures();
        return entry.texture->getTexture() != nullptr;
    }));
    EXPECT_EQ(countSeen("/tiles/9/1/1.png"), 2u);
    EXPECT_EQ(entry.lastUse, 6u);
    screen.reset();
    flaky.stop();
}

TEST_F(MapTest, ANewForecastTimeGivesEveryTileANewWindGrid)
{
    Map& map = makeMap();
    map.windTime = 1000;
    map.draw(display.renderer, 0, 0);
    size_t tiles = map.tiles.size();
    ASSERT_EQ(windRegistry.size(), tiles);
    map.windTime = 4600;
    map.draw(display.renderer, 0, 0);
    EXPECT_EQ(windRegistry.size(), 2 * tiles);
    size_t unused = 0;
    windRegistry.forEach([&](const WindData& record) { unused += record.time == 1000 && record.users == 0; });
    EXPECT_EQ(unused, tiles);
    for (const auto& [key, entry] : map.tiles)
        EXPECT_EQ(entry.wind->getTime(), 4600);
}

}
