#include "ChartTestSupport.h"
#include "gui/Screen.h"
#include "race/Map.h"
#include "race/WindTape.h"
#include "race/WindTile.h"
#include "support/RecordingFont.h"
#include "support/RecordingServer.h"
#include "support/RunningDownloader.h"
#include "support/StdoutCapture.h"
#include "support/WaitUntil.h"

#include <cmath>
#include <ctime>

namespace {

constexpr int tapeTop = 768 - 50;

// A 1024-pixel tape along the bottom of the window over the map, as the race screen has it.
// Its scale leaves 30 pixels free at each end.
class WindTest : public ChartTest {
protected:
    Screen screen { display.window };
    Map* map = screen.addChild(std::make_unique<Map>(1024, 768, 0.0, 0.0));
    WindTape* tape = screen.addChild(std::make_unique<WindTape>(tapeTop, 1024, map));
};

// Hour ticks run from 8 to 15 pixels down, quarter ticks from 15 to 25, and the knob's face
// from 3 to 33 over the 20 pixels from its offset plus 20. Only a press on the knob or up to
// ten pixels right of it drags it; elsewhere on the tape a press neither moves the knob nor
// reaches the map. The knob stops at the scale's ends; the map's time follows on release.
TEST_F(WindTest, TheTapeSpansSeventyTwoHoursFromTheWholeHourWithTicksALabelEveryFourHoursAndTheKnobDragsTheMapsTime)
{
    EXPECT_TRUE(tape->start % 3600 == 0 && tape->start <= tape->selected && int32_t(std::time(nullptr)) - tape->start <= 3600) << tape->start;
    for (auto [hour, offset] : { std::pair(0, 30), std::pair(1, 43), std::pair(36, 512), std::pair(72, 994) })
        EXPECT_EQ(tape->hourOffset(hour), offset) << "hour " << hour;
    for (auto [seconds, offset] : { std::pair(0, 0), std::pair(1800, 6), std::pair(259200, 964), std::pair(129600, 482) }) {
        tape->selected = tape->start + seconds;
        EXPECT_EQ(tape->knobOffset(), offset) << seconds << " s";
    }
    RecordingFont font;
    tape->font = &font;
    display.clear();
    tape->draw(display.renderer, 0, tapeTop);
    for (auto [x, row, dark] : { std::tuple(30, 10, true), std::tuple(30, 5, false), std::tuple(994, 10, true), std::tuple(994, 20, true),
             std::tuple(33, 20, true), std::tuple(33, 10, false) }) {
        SDL_Color pixel = display.pixelAt(x, tapeTop + row);
        EXPECT_EQ(pixel.r < 100 && pixel.g < 100, dark) << x << ", " << row;
    }
    SDL_Color knob = display.pixelAt(512, tapeTop + 30);
    EXPECT_TRUE(knob.r > 150 && knob.b > 150) << int(knob.r) << ", " << int(knob.b);
    ASSERT_EQ(font.drawn.size(), 19u);
    EXPECT_EQ(font.drawn[0].text + font.drawn[1].text + font.drawn[18].text, "00h+04h+72h");
    EXPECT_EQ(std::pair(font.drawn[1].x, font.drawn[1].y), std::pair(tape->hourOffset(4) - 20, tapeTop + 27));
    const int32_t viewX = map->viewX;
    for (auto [offset, drags] : { std::pair(19, false), std::pair(20, true), std::pair(50, true), std::pair(51, false), std::pair(400, false) }) {
        std::tie(tape->selected, map->windTime) = std::pair(tape->start, 0);
        screen.onMouseDown(SDL_BUTTON_LEFT, tape->knobOffset() + offset, tapeTop + 20);
        screen.onMouseMove(SDL_BUTTON_LMASK, 700, 100);
        screen.onMouseUp(SDL_BUTTON_LEFT, 700, tapeTop + 20);
        EXPECT_EQ(std::tuple(tape->selected != tape->start, map->windTime, map->viewX), std::tuple(drags, drags ? tape->selected : 0, viewX)) << offset;
    }
    map->windTime = 0;
    screen.onMouseDown(SDL_BUTTON_LEFT, tape->knobOffset() + 30, tapeTop + 20);
    for (auto [x, seconds] : { std::pair(30 + 482, 129600), std::pair(-500, 0), std::pair(994, 259200), std::pair(5000, 259200), std::pair(30 + 241, 64800) }) {
        EXPECT_TRUE(screen.onMouseMove(SDL_BUTTON_LMASK, x, 100)) << "the moved knob asks for a frame";
        EXPECT_EQ(std::pair(tape->selected - tape->start, map->windTime), std::pair(seconds, 0)) << x;
    }
    EXPECT_TRUE(screen.onMouseUp(SDL_BUTTON_LEFT, 30 + 241, tapeTop + 20)) << "the release, which moves the map's time, asks for a frame";
    screen.onMouseMove(0, 700, 100);
    EXPECT_EQ(std::pair(tape->selected, map->windTime), std::pair(tape->start + 64800, tape->start + 64800));
}

TEST_F(WindTest, AGridIsReadCellByCellEveryUnusableAnswerIsReportedAndHandlesOnOneGridShareOneDownload)
{
    for (auto [text, n, cells, printed] : std::initializer_list<std::tuple<std::string, int32_t, std::vector<Wind>, std::string>> {
             { "numWinds = 2, winds = {10, 1, 20, 2, 30, 3, 40, 4}", 2, { { 10, 1 }, { 20, 2 }, { 30, 3 }, { 40, 4 } }, "" },
             { "numWinds = 2, winds = {10.5, 1.25, 20}", 2, { { 10.5, 1.25 }, { 20, 0 }, { 0, 0 }, { 0, 0 } }, "" },
             { "winds = {359, 60}\nnumWinds = 1", 1, { { 359, 60 } }, "" }, { "numWinds = 256, winds = {}", 256, std::vector<Wind>(65536), "" },
             { "winds = {1, 2}", 0, {}, "Error: no winds number.\n" }, { "numWinds = 0, winds = {}", 0, {}, "Error: no winds number.\n" }, { "numWinds = 2", 0, {}, "Error: no winds data.\n" },
             { "numWinds = 1, winds = {east, 3}", 0, {}, "Error parsing winds 'numWinds = 1, winds = {east, 3}'\n" },
             { "numWinds = -1, winds = {}", 0, {}, "Error parsing winds 'numWinds = -1, winds = {}'\n" },
             { "numWinds = 257, winds = {}", 0, {}, "Error parsing winds 'numWinds = 257, winds = {}'\n" } }) {
        WindData grid;
        StdoutCapture out;
        EXPECT_EQ(parseWinds(text, grid), n > 0) << text;
        EXPECT_EQ(std::tuple(grid.n, grid.winds, out.text()), std::tuple(n, cells, printed)) << text;
    }
    // A grid whose download failed, or whose answer could not be read, is reported and not
    // asked for again while it is registered.
    RecordingServer server;
    server.answer("/wind", [](const SeenRequest& request) {
        std::string x = request.param("x");
        return Reply(x == "1" ? "numWinds = 1, winds = {90, 12.5}" : (x == "2" ? "" : "numWinds = 2"));
    });
    startDownloaderOnce();
    useServer(server.baseUrl());
    auto grid = [](int x) { return getWindTile(5, x, 7, 1000); };
    auto takenIn = [](const WindTile& tile) { return waitUntil([&] { return pollWindDownloads(), !tile.isLoading(); }); };
    StdoutCapture out;
    std::unique_ptr<WindTile> first = grid(1), second = grid(1), empty = grid(2), unreadable = grid(3);
    EXPECT_TRUE(first->isLoading());
    ASSERT_TRUE(takenIn(*first) && takenIn(*empty) && takenIn(*unreadable));
    EXPECT_EQ(std::tuple(second->gridSize(), second->windAt(0, 0), empty->gridSize(), unreadable->gridSize()), std::tuple(1, Wind(90, 12.5), 0, 0));
    EXPECT_NE(out.text().find(std::string("Error downloading wind '") + empty->getName() + "'\n"), std::string::npos) << out.text();
    EXPECT_NE(out.text().find(std::string("Error: no winds data.\nError downloading '") + unreadable->getName() + "'\n"), std::string::npos) << out.text();
    empty.reset();
    EXPECT_FALSE(grid(2)->isLoading());
    // A later grid's request proves that an unwanted one would have arrived.
    ASSERT_TRUE(takenIn(*grid(4)));
    EXPECT_EQ(server.count("/wind"), 4u);
}

// Cell (0, 0) is centred at (104, 94), cell (1, 1) at (232, 222); calm cells and winds beyond
// the grid's n x n show nothing. North at 50 shows the image's 20 x 40 upright, east at 25
// shows 10 x 20 turned a quarter clockwise; without the image a line as long as the image
// would be runs along the wind. A numeral too long for a double reads as infinity; cells
// without a real wind (not finite, or far too strong) are left out, with and without the
// arrow image, and the other cells still show.
TEST_F(WindTest, EachCellsArrowIsCentredTurnedAndSizedByItsWindAndUnrealWindsAreLeftOut)
{
    const SDL_Color top { 250, 40, 40, 255 }, bottom { 40, 250, 40, 255 }, black { 0, 0, 0, 255 };
    savePng(data.root / "data/images/arrow.png", 20, 40, top, bottom);
    std::unique_ptr<Texture> arrow = loadLocalTexture("images/arrow.png");
    ASSERT_TRUE(arrow);
    WindData winds;
    std::tie(winds.n, winds.winds) = std::tuple(2, std::vector<Wind> { { 0, 50 }, { 0, 0 }, { 0, 0 }, { 90, 25 }, { 0, 50 }, { 0, 50 } });
    WindTileImp grid(&winds);
    display.clear(black);
    drawWindArrows(display.renderer, { 40, 30, 256, 256 }, &grid, arrow.get());
    drawWindArrows(display.renderer, { 40, 30, 256, 256 }, nullptr, arrow.get());
    for (auto [x, y, colour] : { std::tuple(94, 74, top), std::tuple(113, 113, bottom), std::tuple(93, 94, black), std::tuple(104, 114, black),
             std::tuple(240, 222, top), std::tuple(224, 222, bottom), std::tuple(232, 214, black), std::tuple(245, 222, black),
             std::tuple(232, 94, black), std::tuple(104, 222, black), std::tuple(104, 350, black), std::tuple(360, 222, black) })
        EXPECT_TRUE(sameColour(display.pixelAt(x, y), colour)) << x << ", " << y;
    display.clear(black);
    drawWindArrows(display.renderer, { 40, 30, 256, 256 }, &grid, nullptr);
    for (auto [x, y, lit] : { std::tuple(104, 71, true), std::tuple(104, 117, true), std::tuple(108, 94, false), std::tuple(221, 222, true),
             std::tuple(243, 222, true), std::tuple(232, 226, false) })
        EXPECT_EQ(display.pixelAt(x, y).r > 150, lit) << x << ", " << y;
    std::string huge = "1" + std::string(400, '0') + ".5";
    WindData unreal;
    ASSERT_TRUE(parseWinds("numWinds = 2, winds = { 0, " + huge + ", " + huge + ", 10, 0, 1000000, 0, 50 }", unreal) && std::isinf(unreal.winds[0].second));
    WindTileImp tile(&unreal);
    for (const Texture* image : { arrow.get(), static_cast<Texture*>(nullptr) }) {
        display.clear();
        drawWindArrows(display.renderer, SDL_Rect { 0, 0, 256, 256 }, &tile, image);
        EXPECT_GT(display.pixelAt(192, 180).r, 150) << (image ? "arrow" : "line");
        for (SDL_Point centre : { SDL_Point { 64, 64 }, SDL_Point { 192, 64 }, SDL_Point { 64, 192 } })
            EXPECT_EQ(display.pixelAt(centre.x, centre.y).r, 0) << (image ? "arrow" : "line");
    }
}
}
