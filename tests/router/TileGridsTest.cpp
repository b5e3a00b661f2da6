#include "router/GridWind.h"
#include "router/LandGrid.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

constexpr double pi = 3.141592653589793;

// The place at world cell coordinates (column east from 180 W, row south from the top).
GeoPoint atCell(double column, double row, int zoom, int cells)
{
    double side = std::ldexp(double(cells), zoom);
    return { std::atan(std::sinh(pi * (1.0 - 2.0 * row / side))) * 180.0 / pi, column / side * 360.0 - 180.0 };
}

// Two tiles either side of the 180-degree meridian at zoom 2 (columns 3 and 0, row 1), two
// cells a side: world cell columns 6 to 9 and rows 2 and 3. A cell's speed is its column
// in the range plus ten times the time, its direction 350 or 10 degrees in turn.
GridWind twoTileWind(bool withLaterSecondTile)
{
    GridWind wind(TileRange(2, 3, 1, 2, 1), 2, 2, 3.0);
    for (int time = 0; time < 2; ++time) {
        for (int tile = 0; tile < 2; ++tile) {
            if (time == 1 && tile == 1 && !withLaterSecondTile)
                continue;
            std::vector<WindSample> cells;
            for (int row = 0; row < 2; ++row)
                for (int column = 0; column < 2; ++column)
                    cells.push_back({ column % 2 ? 10.0 : 350.0, tile * 2 + column + 10.0 * time });
            wind.setGrid(time, (3 + tile) % 4, 1, cells);
        }
    }
    return wind;
}

TEST(GridWindTest, CentresHoldTheirCellAndBetweenThemSpaceAndTimeAreBlended)
{
    GridWind wind = twoTileWind(true);
    struct Case {
        double column, row, hours;
        bool known;
        double dir, speed;
    } cases[] = {
        { 6.5, 2.5, 0.0, true, 350.0, 0.0 }, // the first cell's centre
        { 7.5, 3.5, 0.0, true, 10.0, 1.0 },
        { 7.0, 2.5, 0.0, true, 0.0, 0.5 }, // half way from 350 to 10 is 0, not 180
        { 6.25, 3.0, 0.0, true, 350.0, 0.0 }, // the outer half cell takes the edge's wind
        { 8.0, 3.0, 0.0, true, 0.0, 1.5 }, // on the 180-degree meridian
        { 0.5, 3.5, 1.5, true, 350.0, 7.0 }, // half way between the two times
        { 6.5, 2.5, 3.0, true, 350.0, 10.0 },
        { 5.5, 2.5, 0.0, false, 0, 0 }, // west of the range
        { 6.5, 1.5, 0.0, false, 0, 0 }, // north of it
        { 6.5, 2.5, 3.5, false, 0, 0 }, // after the last time
        { 6.5, 2.5, -0.1, false, 0, 0 },
    };
    for (const Case& c : cases) {
        GeoPoint at = atCell(c.column, c.row, 2, 2);
        WindSample sample;
        ASSERT_EQ(wind.wind(at.lat, at.lon, c.hours, sample), c.known) << c.column << " " << c.hours;
        if (!c.known)
            continue;
        EXPECT_NEAR(std::remainder(sample.dir - c.dir, 360.0), 0.0, 1e-6) << c.column << " " << c.hours;
        EXPECT_NEAR(sample.speed, c.speed, 1e-6) << c.column << " " << c.hours;
    }
    // A grid that never arrived leaves its tile unknown at the times next to it.
    GridWind gap = twoTileWind(false);
    WindSample sample;
    GeoPoint second = atCell(0.5, 2.5, 2, 2);
    GeoPoint first = atCell(6.5, 2.5, 2, 2);
    EXPECT_TRUE(gap.wind(second.lat, second.lon, 0.0, sample));
    EXPECT_FALSE(gap.wind(second.lat, second.lon, 1.0, sample));
    EXPECT_TRUE(gap.wind(first.lat, first.lon, 1.0, sample));
}

TEST(LandGridTest, LegsAreBlockedByLandCellsTheyPassExceptWhereTheGridWasCleared)
{
    // One zoom-3 tile, four cells a side, land in the second column's two upper cells.
    LandGrid land(TileRange(3, 7, 3, 1, 1), 4);
    std::vector<bool> cells(16, false);
    cells[1] = cells[5] = true;
    land.setGrid(7, 3, cells);
    land.setGrid(6, 3, std::vector<bool>(16, true)); // outside the range: ignored
    land.setGrid(7, 3, std::vector<bool>(15, true)); // wrong size: ignored
    auto at = [](double column, double row) { return atCell(7 * 4 + column, 3 * 4 + row, 3, 4); };
    struct Case {
        GeoPoint from, to;
        bool crosses;
    } cases[] = {
        { at(0.5, 0.5), at(2.5, 0.5), true }, // through the land
        { at(0.5, 2.5), at(3.5, 2.5), false }, // south of it
        { at(0.5, 0.5), at(0.9, 3.5), false }, // along its west side
        { at(0.9, 0.5), at(2.1, 3.5), true }, // a diagonal that clips it
        { at(1.5, 1.5), at(1.5, 1.6), true }, // inside
        { at(-0.5, 0.5), at(-3.5, 0.5), false }, // outside the range: water
    };
    for (const Case& c : cases)
        EXPECT_EQ(land.crossesLand(c.from, c.to), c.crosses) << c.from.lon << " " << c.to.lon;
    land.clearAt(at(1.5, 1.5));
    EXPECT_FALSE(land.crossesLand(at(1.5, 1.5), at(1.5, 2.5)));
    EXPECT_TRUE(land.crossesLand(at(1.5, 2.5), at(1.5, 0.2)));
}

}
