#include "router/LandGrid.h"

#include <algorithm>
#include <cmath>

LandGrid::LandGrid(const TileRange& range, int cellsPerTile)
    : tiles(range)
    , cells(cellsPerTile)
    , land(size_t(range.columns()) * size_t(range.rows()) * size_t(cellsPerTile) * size_t(cellsPerTile), false)
{
}

void LandGrid::setGrid(int tileX, int tileY, const std::vector<bool>& grid)
{
    int column = 0;
    int row = 0;
    if (grid.size() != size_t(cells) * size_t(cells) || !tiles.tileOrigin(tileX, tileY, cells, column, row))
        return;
    for (int j = 0; j < cells; ++j) {
        for (int i = 0; i < cells; ++i)
            land[tiles.cellIndex(column + i, row + j, cells)] = grid[size_t(j) * size_t(cells) + size_t(i)];
    }
}

void LandGrid::clearAt(const GeoPoint& point)
{
    double column = 0.0;
    double row = 0.0;
    if (tiles.localCell(tiles.cellPoint(point.lat, point.lon, cells), cells, column, row))
        land[tiles.cellIndex(int(column), int(row), cells)] = false;
}

bool LandGrid::landAt(const CellPoint& point) const
{
    double column = 0.0;
    double row = 0.0;
    return tiles.localCell(point, cells, column, row) && land[tiles.cellIndex(int(column), int(row), cells)];
}

bool LandGrid::crossesLand(const GeoPoint& from, const GeoPoint& to) const
{
    CellPoint a = tiles.cellPoint(from.lat, from.lon, cells);
    CellPoint b = tiles.cellPoint(to.lat, to.lon, cells);
    double worldCells = std::ldexp(double(cells), tiles.zoom());
    double dx = b.column - a.column;
    // Across the 180-degree meridian the short way.
    dx -= worldCells * std::round(dx / worldCells);
    double dy = b.row - a.row;
    if (!std::isfinite(dx) || !std::isfinite(dy) || std::fabs(dx) + std::fabs(dy) > 1e4)
        return true;
    int steps = int(std::ceil(std::max(std::fabs(dx), std::fabs(dy)) * 4.0)) + 1;
    for (int k = 0; k <= steps; ++k) {
        double f = double(k) / steps;
        double column = a.column + dx * f;
        column -= worldCells * std::floor(column / worldCells);
        if (landAt({ column, a.row + dy * f }))
            return true;
    }
    return false;
}
