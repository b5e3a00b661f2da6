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
    for (auto [text, n, cells, printed] : std::initializer_list<std::tuple<std::string, int32_t, std::vector<Wind>, std::string>> {
             { "numWinds = 2, winds = {10, 1, 20, 2, 30, 3, 40, 4}", 2, { { 10, 1 }, { 20, 2 }, { 30, 3 }, { 40, 4 } }, "" },
             { "numWinds = 2, winds = {10.5, 1.25, 20}", 2, { { 10.5, 1.25 }, { 20, 0 }, { 0, 0 }, { 0, 0 } }, "" },
             { "winds = {359, 60}\nnumWinds = 1", 1, { { 359, 60 } }, "" },
             { "winds = {1, 2}", 0, {}, "Error: no winds number.\n" },
             { "numWinds = 0, winds = {}", 0, {}, "Error: no winds number.\n" },
             { "numWinds = 2", 0, {}, "Error: no winds data.\n" },
             { "numWinds = 1, winds = {east, 3}", 0, {}, "Error parsing winds 'numWinds = 1, winds = {east, 3}'\n" },
             { "numWinds = -1, winds = {}", 0, {}, "Error parsing winds 'numWinds = -1, winds = {}'\n" },
             { "numWinds = 257, winds = {}", 0, {}, "Error parsing winds 'numWinds = 257, winds = {}'\n" } }) {
        WindData data;
        StdoutCapture out;
        EXPECT_EQ(parseWinds(text, data), n > 0) << text;
        EXPECT_EQ(std::tuple(data.n, data.winds, out.text()), std::tuple(n, cells, printed)) << text;
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
    auto takenIn = [](const WindTile& tile) { return waitUntil([&] { return pollWindDownloads(), !tile.isLoading(); }); };
    StdoutCapture out;
    std::unique_ptr<WindTile> first = grid(1), second = grid(1), empty = grid(2), unreadable = grid(3);
    ASSERT_TRUE(takenIn(*first) && takenIn(*empty) && takenIn(*unreadable));
    EXPECT_EQ(std::tuple(second->gridSize(), second->windAt(0, 0), empty->gridSize(), unreadable->gridSize()), std::tuple(1, Wind(90, 12.5), 0, 0));
    std::string emptyMessage = std::string("Error downloading wind '") + empty->getName() + "'\n";
    std::string unreadableMessage = std::string("Error: no winds data.\nError downloading '") + unreadable->getName() + "'\n";
    std::string printed = out.text();
    EXPECT_TRUE(printed == emptyMessage + unreadableMessage || printed == unreadableMessage + emptyMessage) << printed;
    empty.reset();
    EXPECT_FALSE(grid(2)->isLoading());
    // A later grid's request proves that an unwanted one would have arrived.
    ASSERT_TRUE(takenIn(*grid(4)));
    EXPECT_EQ(server.count("/wind"), 4u);
}

// Cell (0, 0) is centred at (104, 94), cell (1, 1) at (232, 222); calm cells show nothing.
TEST_F(WindTileTest, EachCellsArrowIsCentredOnItTurnedByTheWindAndSizedByItsSpeed)
{
    const SDL_Color top { 250, 40, 40, 255 }, bottom { 40, 250, 40, 255 }, black { 0, 0, 0, 255 };
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
    // North at 50: the image's 20 x 40 upright. East at 25: 10 x 20 turned a quarter clockwise.
    for (auto [x, y, colour] : { std::tuple(94, 74, top), std::tuple(113, 113, bottom), std::tuple(93, 94, black), std::tuple(104, 114, black),
             std::tuple(240, 222, top), std::tuple(224, 222, bottom), std::tuple(232, 214, black), std::tuple(245, 222, black),
             std::tuple(232, 94, black), std::tuple(104, 222, black) })
        EXPECT_TRUE(sameColour(display.pixelAt(x, y), colour)) << x << ", " << y;

    // Without the image a line as long as the image would be runs along the wind.
    display.clear(black);
    drawWindArrows(display.renderer, { 40, 30, 256, 256 }, &grid, nullptr);
    for (auto [x, y, lit] : { std::tuple(104, 71, true), std::tuple(104, 117, true), std::tuple(108, 94, false), std::tuple(221, 222, true),
             std::tuple(243, 222, true), std::tuple(232, 226, false) })
        EXPECT_EQ(display.pixelAt(x, y).r > 150, lit) << x << ", " << y;
}

}
