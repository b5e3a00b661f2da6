#include "ServerHarness.h"
#include "server/GeoMath.h"
#include "table/Value.h"

#include <gtest/gtest.h>

#include <tuple>

namespace {

TEST(LandMaskTest, CellsAreLandWhereTheCoastlineSaysSoRowByRowFromTheNorthWest)
{
    ServerHarness harness;
    harness.start();
    GameClient client = harness.player("ann@example.org");
    // Paris, the Bay of Biscay, Madrid and the English Channel.
    for (auto [lat, lon, isLand] : { std::tuple(48.85, 2.35, 1), std::tuple(46.0, -5.0, 0), std::tuple(40.4, -3.7, 1), std::tuple(50.1, -2.0, 0) }) {
        double px = server::lonToWorldX(lon, 5), py = server::latToWorldY(lat, 5);
        int x = int(px / 256), y = int(py / 256);
        Table table = client.table("/races?action=6&raceId=1&z=5&x=" + std::to_string(x) + "&y=" + std::to_string(y));
        int cells = getInt(table, "numCells");
        ASSERT_EQ(cells, 32);
        const Table* land = getTable(table, "land");
        ASSERT_NE(land, nullptr);
        ASSERT_EQ(land->size(), size_t(cells * cells));
        int column = int((px / 256 - x) * cells), row = int((py / 256 - y) * cells);
        EXPECT_EQ(getInt(*land, std::to_string(row * cells + column)), isLand) << lat << "," << lon;
    }
    for (const char* bad : { "z=5&x=32&y=0", "z=40&x=0&y=0", "x=1&y=1", "z=3&x=-1&y=2" })
        EXPECT_EQ(client.result(std::string("/races?action=6&raceId=1&") + bad), "Missing or invalid tile.") << bad;
    EXPECT_EQ(harness.client().result("/races?action=6&raceId=1&z=5&x=1&y=1"), "Please log in first.");
}

}
