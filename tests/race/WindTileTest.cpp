#include "race/WindTile.h"
#include "support/RecordingServer.h"
#include "support/RunningDownloader.h"
#include "support/StdoutCapture.h"
#include "support/WaitUntil.h"

#include "ChartTestSupport.h"

namespace {

using namespace chart;

using WindTileTest = ChartTest;

TEST(ParseWinds, AGridIsReadCellByCellRowByRowAndEveryUnusableAnswerIsReported)
{
    const struct {
        const char* text;
        int32_t n;
        std::vector<Wind> cells;
        std::string printed;
    } cases[] {
        { "numWinds = 2, winds = {10, 1, 20, 2, 30, 3, 40, 4}", 2, { { 10, 1 }, { 20, 2 }, { 30, 3 }, { 40, 4 } }, "" },
        { "numWinds = 2, winds = {10.5, 1.25, 20}", 2, { { 10.5, 1.25 }, { 20, 0 }, { 0, 0 }, { 0, 0 } }, "" },
        { "winds = {359, 60}\nnumWinds = 1", 1, { { 359, 60 } }, "" },
        { "winds = {1, 2}", 0, {}, "Error: no winds number.\n" },
        { "numWinds = 0, winds = {}", 0, {}, "Error: no winds number.\n" },
        { "numWinds = 2", 0, {}, "Error: no winds data.\n" },
        { "numWinds = 1, winds = {east, 3}", 0, {}, "Error parsing winds 'numWinds = 1, winds = {east, 3}'\n" },
        { "numWinds = -1, winds = {}", 0, {}, "Error parsing winds 'numWinds = -1, winds = {}'\n" },
        { "numWinds = 257, winds = {}", 0, {}, "Error parsing winds 'numWinds = 257, winds = {}'\n" },
    };
    for (const auto& c : cases) {
        WindData data;
        StdoutCapture out;
        EXPECT_EQ(parseWinds(c.text, data), c.n > 0) << c.text;
        EXPECT_EQ(data.n, c.n) << c.text;
        EXPECT_EQ(data.winds, c.cells) << c.text;
        EXPECT_EQ(out.text(), c.printed) << c.text;
    }
}

// A failed grid is not asked for again while it is registered.
TEST_F(WindTileTest, HandlesOnOneGridShareOneDownloadAndAFailedOneIsReportedOnce)
{
    RecordingServer server;
    server.answer("/wind", [](const SeenRequest& request) {
        std::string x = request.param("x");
        return Reply(x == "1" ? "numWinds = 1, winds = {90, 12.5}" : x == "2" ? "" : "numWinds = 2");
    });
    startDownloaderOnce();
    useServer(server.baseUrl());
    auto grid = [](int x) { return getWindTile(5, x, 7, 1000); };
    auto takenIn = [](const WindTile& tile) {
        return waitUntil([&] {
            pollWindDownloads();
            return !tile.isLoading();
        });
    };
    StdoutCapture out;
    std::unique_ptr<WindTile> first = grid(1), second = grid(1), empty = grid(2), unreadable = grid(3);
    ASSERT_TRUE(takenIn(*first) && takenIn(*empty) && takenIn(*unreadable));
    EXPECT_EQ(second->gridSize(), 1);
    EXPECT_EQ(second->windAt(0, 0), Wind(90, 12.5));
    EXPECT_EQ(empty->gridSize() + unreadable->gridSize(), 0);
    std::string emptyMessage = std::string("Error downloading wind '") + empty->getName() + "'\n";
    std::string unreadableMessage = std::string("Error: no winds data.\nError downloading '") + unreadable->getName() + "'\n";
    std::string printed = out.text();
    EXPECT_NE(printed.find(emptyMessage), std::string::npos) << printed;
    EXPECT_NE(printed.find(unreadableMessage), std::string::npos) << printed;
    EXPECT_EQ(printed.size(), emptyMessage.size() + unreadableMessage.size()) << printed;

    empty.reset();
    EXPECT_FALSE(grid(2)->isLoading());
    // A later grid's request proves that an unwanted one would have arrived.
    ASSERT_TRUE(takenIn(*grid(4)));
    EXPECT_EQ(server.count("/wind"), 4u);
}

TEST_F(WindTileTest, EachCellsArrowIsCentredOnItTurnedByTheWindAndSizedByItsSpeed)
{
    const SDL_Color top { 250, 40, 40, 255 };
    const SDL_Color bottom { 40, 250, 40, 255 };
    const SDL_Color black { 0, 0, 0, 255 };
    savePng(data.root / "data/images/arrow.png", 20, 40, top, bottom);
    std::unique_ptr<Texture> arrow = loadLocalTexture("images/arrow.png");
    ASSERT_TRUE(arrow);
    WindData data;
    data.n = 2;
    data.winds = { { 0, 50 }, { 0, 0 }, { 0, 0 }, { 90, 25 } };
    WindTileImp grid(&data);
    display.clear(black);
    drawWindArrows(display.renderer, { 40, 30, 256, 256 }, &grid, arrow.get());
    drawWindArrows(display.renderer, { 40, 30, 256, 256 }, nullptr, arrow.get());
    // Cell (0, 0) centred at (104, 94): 20 x 40 upright. Cell (1, 1) at (232, 222): 10 x 20
    // turned a quarter clockwise. The calm cells show nothing.
    const struct {
        int x, y;
        SDL_Color colour;
    } probes[] {
        { 94, 74, top }, { 113, 113, bottom }, { 93, 94, black }, { 104, 114, black },
        { 240, 222, top }, { 224, 222, bottom }, { 232, 214, black }, { 245, 222, black },
        { 232, 94, black }, { 104, 222, black },
    };
    for (const auto& probe : probes)
        EXPECT_TRUE(sameColour(display.pixelAt(probe.x, probe.y), probe.colour)) << probe.x << ", " << probe.y;

    // Without the image a line as long as the image would be runs through the cell along the wind.
    display.clear(black);
    drawWindArrows(display.renderer, { 40, 30, 256, 256 }, &grid, nullptr);
    const struct {
        int x, y;
        bool lit = true;
    } lines[] { { 104, 71 }, { 104, 117 }, { 108, 94, false }, { 221, 222 }, { 243, 222 }, { 232, 226, false } };
    for (const auto& point : lines)
        EXPECT_EQ(display.pixelAt(point.x, point.y).r > 150, point.lit) << point.x << ", " << point.y;
}

}
