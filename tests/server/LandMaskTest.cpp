#include "ServerHarness.h"
#include "server/GeoMath.h"
#include "table/Value.h"

#include <gtest/gtest.h>

namespace {

// A place whose cell the answer marks as land or as water.
struct Place {
    double lat;
    double lon;
    bool land;
};

TEST(LandMaskTest, CellsAreLandWhereTheCoastlineSaysSoRowByRowFromTheNorthWest)
{
    ServerHarness harness;
    harness.start();
    GameClient client = harness.player("ann@example.org");
    const Place places[] = {
        { 48.85, 2.35, true }, // Paris
        { 46.00, -5.00, false }, // Bay of Biscay
        { 40.40, -3.70, true }, // Madrid
        { 50.10, -2.00, false }, // English Channel
    };
    for (const Place& place : places) {
        double px = server::lonToWorldX(place.lon, 5);
        double py = server::latToWorldY(place.lat, 5);
        int x = int(px / 256), y = int(py / 256);
        Table table = client.table("/races?action=6&raceId=1&z=5&x=" + std::to_string(x) + "&y=" + std::to_string(y));
        int cells = getInt(table, "numCells");
        ASSERT_EQ(cells, 32);
        const Table* land = getTable(table, "land");
        ASSERT_NE(land, nullptr);
        ASSERT_EQ(land->size(), size_t(cells * cells));
        int column = int((px / 256 - x) * cells), row = int((py / 256 - y) * cells);
        EXPECT_EQ(getInt(*land, std::to_string(row * cells + column)), place.land ? 1 : 0) << place.lat << "," << place.lon;
    }
    for (const char* bad : { "z=5&x=32&y=0", "z=40&x=0&y=0", "x=1&y=1", "z=3&x=-1&y=2" })
        EXPECT_EQ(client.result(std::string("/races?action=6&raceId=1&") + bad), "Missing or invalid tile.") << bad;
    EXPECT_EQ(harness.client().result("/races?action=6&raceId=1&z=5&x=1&y=1"), "Please log in first.");
}

}
