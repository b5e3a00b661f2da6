#include "router/GridWind.h"
#include "router/LandGrid.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>

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
// in the range plus four times its row plus ten times the time, its direction 350 or 10
// degrees in turn.
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
                    cells.push_back({ column % 2 ? 10.0 : 350.0, tile * 2 + column + 4.0 * row + 10.0 * time });
            wind.setGrid(time, (3 + tile) % 4, 1, cells);
        }
    }
    // Grids for a time out of the range, or of another size, are left out.
    for (auto [time, size] : { std::pair(2, 4), std::pair(-1, 4), std::pair(0, 3) })
        wind.setGrid(time, 3, 1, std::vector<WindSample>(size_t(size), { 90.0, 99.0 }));
    return wind;
}

TEST(GridWindTest, CentresHoldTheirCellsBlendedBetweenAndLandCellsBlockTheLegsThatPassThem)
{
    GridWind wind = twoTileWind(true);
    GridWind gap = twoTileWind(false);
    // Cell centres; half way from 350 to 10 degrees (0, not 180); the outer half cells; the
    // 180-degree meridian; half way between two times; west, north, after and before the
    // range; a grid that never arrived leaves its tile unknown at its time and next to it.
    const std::tuple<const GridWind*, double, double, double, bool, double, double> cases[] = { { &wind, 6.5, 2.5, 0.0, true, 350.0, 0.0 },
        { &wind, 7.5, 3.5, 0.0, true, 10.0, 5.0 }, { &wind, 7.0, 2.5, 0.0, true, 0.0, 0.5 }, { &wind, 6.25, 3.0, 0.0, true, 350.0, 2.0 },
        { &wind, 8.0, 3.0, 0.0, true, 0.0, 3.5 }, { &wind, 1.9, 3.9, 0.0, true, 10.0, 7.0 }, { &wind, 0.5, 3.5, 1.5, true, 350.0, 11.0 }, { &wind, 6.5, 2.5, 3.0, true, 350.0, 10.0 },
        { &wind, 5.5, 2.5, 0.0, false, 0, 0 }, { &wind, 6.5, 1.5, 0.0, false, 0, 0 }, { &wind, 6.5, 2.5, 3.5, false, 0, 0 },
        { &wind, 6.5, 2.5, -0.1, false, 0, 0 }, { &gap, 0.5, 2.5, 0.0, true, 350.0, 2.0 }, { &gap, 0.5, 2.5, 1.0, false, 0, 0 }, { &gap, 0.5, 2.5, 3.0, false, 0, 0 },
        { &gap, 6.5, 2.5, 1.0, true, 350.0, 10.0 / 3 } };
    for (auto [grid, column, row, hours, known, dir, speed] : cases) {
        GeoPoint at = atCell(column, row, 2, 2);
        WindSample sample;
        ASSERT_EQ(grid->wind(at.lat, at.lon, hours, sample), known) << column << " " << hours;
        if (!known)
            continue;
        EXPECT_EQ(std::pair(std::round(std::remainder(sample.dir - dir, 360.0) * 1e6), std::round((sample.speed - speed) * 1e6)), std::pair(0.0, 0.0)) << column << " " << hours;
        EXPECT_TRUE(sample.dir >= 0.0 && sample.dir < 360.0) << sample.dir;
    }
    // One zoom-3 tile, four cells a side, land in the second column's two upper cells; grids
    // outside the range or of the wrong size are ignored.
    LandGrid land(TileRange(3, 7, 3, 1, 1), 4);
    std::vector<bool> cells(16, false);
    cells[1] = cells[5] = true;
    land.setGrid(7, 3, cells);
    land.setGrid(6, 3, std::vector<bool>(16, true));
    land.setGrid(7, 3, std::vector<bool>(15, true));
    auto at = [](double column, double row) { return atCell(7 * 4 + column, 3 * 4 + row, 3, 4); };
    // Through the land, south of it, along its west side, a diagonal clipping it, inside it,
    // ending just inside it, outside the range (water), to nowhere.
    const std::tuple<GeoPoint, GeoPoint, bool> legs[] = { { at(0.5, 0.5), at(2.5, 0.5), true }, { at(0.5, 2.5), at(3.5, 2.5), false },
        { at(0.5, 0.5), at(0.9, 3.5), false }, { at(0.9, 0.5), at(2.1, 3.5), true }, { at(1.5, 1.5), at(1.5, 1.6), true },
        { at(1.5, 3.5), at(1.5, 1.99), true }, { at(-0.5, 0.5), at(-3.5, 0.5), false }, { at(0.5, 2.5), { std::nan(""), 0 }, true } };
    for (auto [from, to, crosses] : legs)
        EXPECT_EQ(land.crossesLand(from, to), crosses) << from.lon << " " << to.lon;
    EXPECT_TRUE(LandGrid(TileRange(16, 0, 0, 1, 1), 32).crossesLand({ 0, 0 }, { 5, 0 })) << "a leg of more than ten thousand cells is taken for land";
    land.clearAt(at(1.5, 1.5));
    EXPECT_FALSE(land.crossesLand(at(1.5, 1.5), at(1.5, 2.5)));
    EXPECT_TRUE(land.crossesLand(at(1.5, 2.5), at(1.5, 0.2)));
}

// Two points, a margin in km, the most tiles and the finest zoom, then the zoom, west column,
// north row, columns, rows and the world column of the eastmost tiles covering the points,
// each range holding both points.
TEST(TileRangeTest, CoveringTakesTheFinestZoomWithinTheTileLimitTheShortWayRound)
{
    const std::tuple<const char*, GeoPoint, GeoPoint, double, int, int, std::array<int, 6>> cases[] = { { "a short leg", { 50, -1 }, { 50.2, -0.5 }, 0, 4, 6, { 6, 31, 21, 1, 1, 31 } },
        { "eastward over 180", { -40, 170 }, { -40, -170 }, 0, 4, 6, { 6, 62, 39, 4, 1, 1 } },
        { "westward over 180", { -40, -170 }, { -40, 170 }, 0, 4, 6, { 6, 62, 39, 4, 1, 1 } },
        { "a coarser zoom for fewer tiles", { 10, -10 }, { 10, 10 }, 0, 2, 6, { 5, 15, 15, 2, 1, 16 } },
        { "a margin round one point", { 50, 0 }, { 50, 0 }, 200, 4, 6, { 6, 31, 21, 2, 2, 32 } },
        { "a margin held short of the pole", { 84, 0 }, { 84, 1 }, 500, 4, 6, { 3, 2, 0, 4, 1, 5 } },
        { "no tile allowed", { 50, 0 }, { 51, 1 }, 0, 0, 6, { 0, 0, 0, 1, 1, 0 } } };
    for (const auto& [what, start, target, marginKm, maxTiles, maxZoom, expected] : cases) {
        TileRange range = TileRange::covering(start, target, marginKm, maxTiles, maxZoom);
        std::array<int, 6> found { range.zoom(), range.west(), range.north(), range.columns(), range.rows(), range.tileColumn(range.columns() - 1) };
        EXPECT_EQ(found, expected) << what;
        for (const GeoPoint& p : { start, target }) {
            double column = 0, row = 0;
            EXPECT_TRUE(range.localCell(range.cellPoint(p.lat, p.lon, 8), 8, column, row)) << what;
        }
    }
    // Two columns over the 180-degree meridian and two rows at zoom 3: tiles 7 and 0 of rows
    // 2 and 3 are held, with their cells four a side.
    TileRange range(3, 7, 2, 2, 2);
    const std::tuple<int, int, bool, int, int> tiles[] = { { 7, 2, true, 0, 0 }, { 0, 3, true, 4, 4 },
        { 6, 2, false, 0, 0 }, { 1, 2, false, 0, 0 }, { 7, 1, false, 0, 0 }, { 7, 4, false, 0, 0 } };
    for (auto [x, y, held, column, row] : tiles) {
        int c = 0, r = 0;
        EXPECT_EQ(std::tuple(range.tileOrigin(x, y, 4, c, r), c, r), std::tuple(held, column, row)) << x << ", " << y;
    }
}

}
