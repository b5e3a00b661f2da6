#include "race/WindTile.h"

#include "ChartTestSupport.h"

#include <cmath>
#include <condition_variable>
#include <map>
#include <set>
#include <memory>

namespace {

using namespace chart;

// The race server answers each wind grid with the text registered for its column, or
// with the fixture's default 2 x 2 grid.
class WindTileTest : public ChartTest {
protected:
    std::string windAnswer(const httplib::Request& request) override
    {
        int column = std::stoi(request.get_param_value("x"));
        std::unique_lock<std::mutex> hold(mutex);
        released.wait_for(hold, std::chrono::seconds(10), [&] { return heldColumns.count(column) == 0; });
        auto found = answers.find(column);
        return found != answers.end() ? found->second : ChartTest::windAnswer(request);
    }

    void TearDown() override
    {
        releaseColumns();
        ChartTest::TearDown();
    }

    // Holds the answers of these columns back until released.
    void holdColumns(std::set<int> columns)
    {
        std::lock_guard<std::mutex> hold(mutex);
        heldColumns = std::move(columns);
    }

    void releaseColumns(std::set<int> columns = {})
    {
        std::lock_guard<std::mutex> hold(mutex);
        for (auto column = heldColumns.begin(); column != heldColumns.end();)
            column = columns.empty() || columns.count(*column) ? heldColumns.erase(column) : std::next(column);
        released.notify_all();
    }

    void answerColumn(int x, const std::string& text)
    {
        std::lock_guard<std::mutex> hold(mutex);
        answers[x] = text;
    }

    // Runs the per-frame work until the grid's download has been taken in.
    bool takeIn(const WindTile& tile)
    {
        return waitUntil([&] {
            pollWindDownloads();
            return !tile.isLoading();
        });
    }

    std::string urlOf(int z, int x, int y, int time)
    {
        return raceServerUrl() + "/wind?action=1&z=" + std::to_string(z) + "&x=" + std::to_string(x) + "&y="
            + std::to_string(y) + "&s=256&t=" + std::to_string(time);
    }

    std::map<int, std::string> answers;
    std::set<int> heldColumns;
    std::condition_variable released;
};

TEST_F(WindTileTest, TwoTilesOfTheSameGridShareOneRecordAndOneDownload)
{
    std::unique_ptr<WindTile> first = getWindTile(5, 10, 11, 1000);
    std::unique_ptr<WindTile> second = getWindTile(5, 10, 11, 1000);
    std::unique_ptr<WindTile> later = getWindTile(5, 10, 11, 4600);
    EXPECT_EQ(windRegistry.size(), 2u);
    const WindData& shared = *windRegistry.find(urlOf(5, 10, 11, 1000));
    EXPECT_EQ(shared.users, 2);
    EXPECT_STREQ(first->getName(), urlOf(5, 10, 11, 1000).c_str());
    EXPECT_EQ(first->getTime(), 1000);
    EXPECT_EQ(later->getTime(), 4600);
    EXPECT_TRUE(second->isLoading());
    EXPECT_EQ(second->gridSize(), 0);

    ASSERT_TRUE(takeIn(*first));
    ASSERT_TRUE(takeIn(*later));
    EXPECT_EQ(second->gridSize(), 2);
    EXPECT_EQ(countSeen("/wind?5/10/11/1000"), 1u);
    EXPECT_EQ(countSeen("/wind?5/10/11/4600"), 1u);

    first.reset();
    EXPECT_EQ(shared.users, 1);
    Uint32 before = SDL_GetTicks();
    second.reset();
    EXPECT_EQ(shared.users, 0);
    EXPECT_GE(shared.releasedAt, before);

    // A grid nobody holds stays registered and is handed out again without a download.
    std::unique_ptr<WindTile> again = getWindTile(5, 10, 11, 1000);
    EXPECT_EQ(shared.users, 1);
    EXPECT_EQ(again->gridSize(), 2);
    EXPECT_FALSE(again->isLoading());
    EXPECT_EQ(windRegistry.size(), 2u);
}

TEST_F(WindTileTest, AnAnswerForAGridNoLongerRegisteredIsDropped)
{
    holdColumns({ 90, 91 });
    std::unique_ptr<WindTile> first = getWindTile(6, 90, 0, 1);
    ASSERT_TRUE(waitUntil([&] { return countSeen("/wind?6/90/") == 1; }));
    first.reset();
    resetWindRegistry();
    std::unique_ptr<WindTile> second = getWindTile(6, 91, 0, 1);
    ASSERT_TRUE(waitUntil([&] { return countSeen("/wind?6/91/") == 1; }));

    releaseColumns({ 90 });
    // Time enough for the forgotten grid's answer to arrive and be handed out.
    waitUntil([] {
        pollWindDownloads();
        return false;
    }, std::chrono::milliseconds(500));
    EXPECT_TRUE(second->isLoading());
    EXPECT_EQ(second->gridSize(), 0);

    releaseColumns();
    ASSERT_TRUE(takeIn(*second));
    EXPECT_EQ(second->gridSize(), 2);
}

struct AnswerCase {
    const char* answer;
    const char* messageBeforeName; // followed by the grid's URL and "'\n"; empty: none
    const char* parseMessage; // printed before it; empty: none
    int32_t gridSize;
};

TEST_F(WindTileTest, EveryUnusableAnswerIsReportedAndLeavesTheTileWithoutArrows)
{
    const AnswerCase cases[] {
        { "numWinds = 1, winds = {90, 12.5}", "", "", 1 },
        { "", "Error downloading wind '", "", 0 },
        { "winds = {1, 2}", "Error downloading '", "Error: no winds number.\n", 0 },
        { "numWinds = 0, winds = {}", "Error downloading '", "Error: no winds number.\n", 0 },
        { "numWinds = 2", "Error downloading '", "Error: no winds data.\n", 0 },
        { "numWinds = 1, winds = {", "Error downloading '", "Error parsing winds 'numWinds = 1, winds = {'\n", 0 },
        { "numWinds = 1, winds = {east, 3}", "Error downloading '", "Error parsing winds 'numWinds = 1, winds = {east, 3}'\n", 0 },
        { "numWinds = 1, winds = 5", "Error downloading '", "Error parsing winds 'numWinds = 1, winds = 5'\n", 0 },
        { "numWinds = -1, winds = {}", "Error downloading '", "Error parsing winds 'numWinds = -1, winds = {}'\n", 0 },
        { "numWinds = 100000, winds = {}", "Error downloading '", "Error parsing winds 'numWinds = 100000, winds = {}'\n", 0 },
    };
    int column = 0;
    for (const AnswerCase& test : cases) {
        answerColumn(column, test.answer);
        testing::internal::CaptureStdout();
        std::unique_ptr<WindTile> tile = getWindTile(4, column, 3, 50);
        bool taken = takeIn(*tile);
        std::string printed = testing::internal::GetCapturedStdout();
        ASSERT_TRUE(taken) << test.answer;
        std::string expected = std::string(test.parseMessage);
        if (*test.messageBeforeName)
            expected += test.messageBeforeName + urlOf(4, column, 3, 50) + "'\n";
        EXPECT_EQ(printed, expected) << test.answer;
        EXPECT_EQ(tile->gridSize(), test.gridSize) << test.answer;
        ++column;
    }
}

TEST_F(WindTileTest, AFailedGridIsNotDownloadedAgain)
{
    const std::string closedPort = "http://127.0.0.1:1";
    const struct {
        std::string server;
        const char* answer;
    } cases[] {
        { server.baseUrl(), "" },
        { server.baseUrl(), "numWinds = 2" },
        { closedPort, "" },
    };
    int column = 20;
    for (const auto& test : cases) {
        useServer(test.server);
        answerColumn(column, test.answer);
        testing::internal::CaptureStdout();
        std::unique_ptr<WindTile> first = getWindTile(7, column, 1, 9);
        bool taken = takeIn(*first);
        std::string printed = testing::internal::GetCapturedStdout();
        ASSERT_TRUE(taken);
        EXPECT_NE(printed.find("Error downloading"), std::string::npos) << printed;
        first.reset();

        std::unique_ptr<WindTile> again = getWindTile(7, column, 1, 9);
        EXPECT_FALSE(again->isLoading()) << test.server << " " << test.answer;
        EXPECT_EQ(again->gridSize(), 0);
        ++column;
    }
    // Give a second download time to arrive if one had been made.
    SDL_Delay(200);
    EXPECT_EQ(countSeen("/wind?7/20/"), 1u);
    EXPECT_EQ(countSeen("/wind?7/21/"), 1u);
}

struct ParseCase {
    const char* text;
    int32_t n;
    std::vector<Wind> cells; // row by row
};

TEST_F(WindTileTest, ParsedGridsHoldDirectionAndSpeedCellByCellRowByRow)
{
    const ParseCase cases[] {
        { "numWinds = 2, winds = {10, 1, 20, 2, 30, 3, 40, 4}", 2, { { 10, 1 }, { 20, 2 }, { 30, 3 }, { 40, 4 } } },
        { "numWinds = 2, winds = {10.5, 1.25, 20}", 2, { { 10.5, 1.25 }, { 20, 0 }, { 0, 0 }, { 0, 0 } } },
        { "winds = {359, 60}\nnumWinds = 1", 1, { { 359, 60 } } },
        { "numWinds = 1, winds = {'45', '8'}, extra = x", 1, { { 45, 8 } } },
    };
    for (const ParseCase& test : cases) {
        WindData data;
        EXPECT_TRUE(parseWinds(test.text, data)) << test.text;
        EXPECT_EQ(data.n, test.n) << test.text;
        EXPECT_EQ(data.winds, test.cells) << test.text;
        WindTileImp tile(&data);
        if (test.n == 2) {
            EXPECT_EQ(tile.windAt(1, 0), test.cells[1]);
            EXPECT_EQ(tile.windAt(0, 1), test.cells[2]);
        }
    }
}

TEST_F(WindTileTest, AnAnswerThatFailsToParseEmptiesTheGrid)
{
    WindData data;
    ASSERT_TRUE(parseWinds("numWinds = 1, winds = {1, 2}", data));
    testing::internal::CaptureStdout();
    EXPECT_FALSE(parseWinds("numWinds = 1, winds = {x, 2}", data));
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(data.n, 0);
    EXPECT_TRUE(data.winds.empty());
}

// The trimming itself is the texture registry's as well and is tested there.
TEST_F(WindTileTest, PollingDropsTheLongestUnusedGridEveryFiveHundredFramesBeyondAHundred)
{
    useServer("http://127.0.0.1:1"); // every download fails at once
    testing::internal::CaptureStdout();
    for (int32_t time = 1000; time < 1102; ++time)
        getWindTile(3, 0, 0, time);
    windRegistry.forEach([](WindData& grid) { grid.releasedAt = grid.time == 1050 ? 7 : 1000; });
    const std::pair<int, size_t> steps[] { { 499, 102 }, { 1, 101 }, { 500, 100 }, { 500, 100 } };
    for (auto [frames, remaining] : steps) {
        for (int frame = 0; frame < frames; ++frame)
            pollWindDownloads();
        EXPECT_EQ(windRegistry.size(), remaining) << frames;
    }
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(windRegistry.find(urlOf(3, 0, 0, 1050)), nullptr);
    EXPECT_EQ(windRegistry.find(urlOf(3, 0, 0, 1000)), nullptr);
}

struct ArrowProbe {
    int x, y;
    char expected; // 'T' top colour of the arrow, 'B' bottom colour, '-' background
};

struct ArrowCase {
    const char* what;
    Wind wind;
    std::vector<ArrowProbe> probes; // relative to the centre of the cell
};

TEST_F(WindTileTest, ArrowsAreCentredOnTheirCellsSizedBySpeedAndTurnedByDirection)
{
    const SDL_Color top { 250, 40, 40, 255 };
    const SDL_Color bottom { 40, 250, 40, 255 };
    const SDL_Color background { 0, 0, 0, 255 };
    writeFile(data.root / "data" / "images" / "arrow.png", pngBytes(20, 40, top, bottom));
    std::unique_ptr<Texture> arrow = loadLocalTexture("images/arrow.png");
    ASSERT_TRUE(arrow && arrow->getTexture());

    // 20 x 40 at speed 50, a quarter of the area at 25; turned clockwise about the centre.
    const ArrowCase cases[] {
        { "north at 50", { 0, 50 }, { { -10, -20, 'T' }, { 9, -1, 'T' }, { -10, 0, 'B' }, { 9, 19, 'B' }, { -11, 0, '-' },
                                        { 10, 0, '-' }, { 0, -21, '-' }, { 0, 20, '-' } } },
        { "north at 25", { 0, 25 }, { { -5, -10, 'T' }, { 4, -1, 'T' }, { 4, 9, 'B' }, { -6, 0, '-' }, { 5, 0, '-' },
                                        { 0, -11, '-' }, { 0, 10, '-' }, { -9, -19, '-' } } },
        { "east at 50", { 90, 50 }, { { 15, 0, 'T' }, { -15, 0, 'B' }, { 0, -15, '-' }, { 0, 15, '-' }, { 22, 0, '-' },
                                        { -22, 0, '-' } } },
        { "south at 50", { 180, 50 }, { { 0, 15, 'T' }, { 0, -15, 'B' }, { -15, 0, '-' }, { 15, 0, '-' } } },
        { "west at 50", { 270, 50 }, { { -15, 0, 'T' }, { 15, 0, 'B' }, { 0, 15, '-' } } },
        { "calm", { 0, 0 }, { { 0, 0, '-' }, { 0, -1, '-' }, { -1, 0, '-' } } },
    };
    // One grid of 2 x 2 cells over a tile drawn at (40, 30): the case's wind sits in the
    // cell at the lower right, the other cells are calm.
    for (const ArrowCase& test : cases) {
        WindData grid;
        grid.n = 2;
        grid.winds = { { 0, 0 }, { 0, 0 }, { 0, 0 }, test.wind };
        WindTileImp tile(&grid);
        display.clear(background);
        drawWindArrows(display.renderer, SDL_Rect { 40, 30, 256, 256 }, &tile, arrow.get());
        for (const ArrowProbe& probe : test.probes) {
            SDL_Color seen = display.pixelAt(40 + 192 + probe.x, 30 + 192 + probe.y);
            SDL_Color expected = probe.expected == 'T' ? top : probe.expected == 'B' ? bottom : background;
            EXPECT_TRUE(sameColour(seen, expected))
                << test.what << " at (" << probe.x << ", " << probe.y << "): " << describe(seen);
        }
        EXPECT_TRUE(sameColour(display.pixelAt(40 + 64, 30 + 64), background)) << test.what;
    }
}

TEST_F(WindTileTest, WithoutTheArrowImageEachCellShowsALineAlongTheWind)
{
    const struct {
        Wind wind;
        std::vector<SDL_Point> lit;
        std::vector<SDL_Point> dark;
    } cases[] {
        { { 0, 50 }, { { 0, -20 }, { 0, 20 }, { 0, 0 } }, { { 5, 0 }, { 0, 26 }, { 0, -26 } } },
        { { 90, 50 }, { { -20, 0 }, { 20, 0 } }, { { 0, 5 }, { 26, 0 }, { -26, 0 } } },
        { { 0, 25 }, { { 0, -10 }, { 0, 10 } }, { { 0, -14 }, { 0, 14 } } },
    };
    for (const auto& test : cases) {
        WindData grid;
        grid.n = 1;
        grid.winds = { test.wind };
        WindTileImp tile(&grid);
        display.clear();
        drawWindArrows(display.renderer, SDL_Rect { 0, 0, 256, 256 }, &tile, nullptr);
        for (SDL_Point point : test.lit)
            EXPECT_GT(display.pixelAt(128 + point.x, 128 + point.y).r, 150) << test.wind.first << ": " << point.x << ", " << point.y;
        for (SDL_Point point : test.dark)
            EXPECT_EQ(display.pixelAt(128 + point.x, 128 + point.y).r, 0) << test.wind.first << ": " << point.x << ", " << point.y;
    }
}

TEST_F(WindTileTest, NoGridDrawsNothing)
{
    writeFile(data.root / "data" / "images" / "arrow.png", pngBytes(20, 40, { 255, 255, 255, 255 }, { 255, 255, 255, 255 }));
    std::unique_ptr<Texture> arrow = loadLocalTexture("images/arrow.png");
    WindData empty;
    WindTileImp waiting(&empty);
    display.clear();
    drawWindArrows(display.renderer, SDL_Rect { 0, 0, 256, 256 }, nullptr, arrow.get());
    drawWindArrows(display.renderer, SDL_Rect { 0, 0, 256, 256 }, &waiting, arrow.get());
    for (int y = 0; y < 256; y += 4) {
        for (int x = 0; x < 256; x += 4)
            ASSERT_EQ(display.pixelAt(x, y).r, 0) << x << ", " << y;
    }
}

// A numeral too long for a double reads as infinity. Cells holding no real wind (not
// finite, or far too strong) are left out, with and without the arrow image, and the
// other cells still show.
TEST_F(WindTileTest, CellsWithoutARealWindAreLeftOut)
{
    std::string huge = "1" + std::string(400, '0') + ".5";
    WindData grid;
    ASSERT_TRUE(parseWinds("numWinds = 2, winds = { 0, " + huge + ", " + huge + ", 10, 0, 1000000, 0, 50 }", grid));
    ASSERT_TRUE(std::isinf(grid.winds[0].second));
    writeFile(data.root / "data" / "images" / "arrow.png", pngBytes(20, 40, { 255, 255, 255, 255 }, { 255, 255, 255, 255 }));
    std::unique_ptr<Texture> arrow = loadLocalTexture("images/arrow.png");
    WindTileImp tile(&grid);
    for (const Texture* image : { arrow.get(), static_cast<Texture*>(nullptr) }) {
        display.clear();
        drawWindArrows(display.renderer, SDL_Rect { 0, 0, 256, 256 }, &tile, image);
        EXPECT_GT(display.pixelAt(192, 180).r, 150) << (image ? "arrow" : "line");
        for (SDL_Point centre : { SDL_Point { 64, 64 }, SDL_Point { 192, 64 }, SDL_Point { 64, 192 } })
            EXPECT_EQ(display.pixelAt(centre.x, centre.y).r, 0) << (image ? "arrow" : "line");
    }
}

}
