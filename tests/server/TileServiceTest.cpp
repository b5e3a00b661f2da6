#include "server/TileService.h"

#include "ServerHarness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

using namespace server;
namespace fs = std::filesystem;

namespace {

TEST(TileServiceTest, ATileAskedForByManyAtOnceIsRenderedOnce)
{
    TempFolder dir;
    TileService tiles(sharedCoast(), dir.path().string(), uint64_t(1) << 30);
    // A coastal tile near Cherbourg, slow enough to render for the askers to meet.
    std::vector<std::string> answers(8);
    std::vector<std::thread> askers;
    for (std::string& answer : answers)
        askers.emplace_back([&tiles, &answer] { answer = tiles.tile(12, 2029, 1394); });
    for (std::thread& asker : askers)
        asker.join();
    EXPECT_EQ(std::count(answers.begin(), answers.end(), answers.front()), 8);
    EXPECT_EQ(tiles.tile(12, 2029, 1394), answers.front());
    EXPECT_EQ(tiles.renders(), 1) << "the second time comes from the disk";
}

TEST(TileServiceTest, OpenSeaTilesAreOneFileAndTheOldestTilesGoFirst)
{
    TempFolder dir;
    std::string sea = "open sea";
    {
        TileCache cache(dir.path().string(), 20000, sea);
        cache.store(8, 30, 124, sea);
        cache.store(8, 30, 125, sea);
        EXPECT_TRUE(fs::equivalent(dir.path() / "tiles/8/30/124.png", dir.path() / "tiles/8/30/125.png"));
        EXPECT_EQ(cache.bytes(), 128u);
        for (int y : { 1, 2, 3 })
            cache.store(9, 1, y, std::string(5000, 'a' + y));
        // Three tiles of two disk blocks each go over 20,000 bytes: the oldest go.
        EXPECT_FALSE(cache.read(8, 30, 124) || cache.read(9, 1, 1));
        EXPECT_EQ(cache.read(9, 1, 3), std::string(5000, 'd'));
        EXPECT_EQ(cache.bytes(), 2u * 8192);
    }
    TileCache reopened(dir.path().string(), 20000, sea);
    EXPECT_EQ(reopened.bytes(), 2u * 8192) << "a restart counts what is on disk";
    reopened.store(9, 1, 4, std::string(5000, 'e'));
    EXPECT_TRUE(!reopened.read(9, 1, 2) && reopened.read(9, 1, 3));
    EXPECT_EQ(dir.read("tiles/sea.png"), sea);
}

} // namespace
