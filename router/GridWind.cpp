#include "router/GridWind.h"

#include "nav/Angles.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr double radiansPerDegree = 3.141592653589793 / 180.0;

}

GridWind::GridWind(const TileRange& range, int cellsPerTile, int times, double hoursApart)
    : tiles(range)
    , cells(cellsPerTile)
    , hoursApart(hoursApart)
    , width(range.columns() * cellsPerTile)
    , height(range.rows() * cellsPerTile)
{
    double none = std::numeric_limits<double>::quiet_NaN();
    grids.assign(size_t(std::max(times, 0)), std::vector<WindSample>(size_t(width) * size_t(height), { none, none }));
}

void GridWind::setGrid(int time, int tileX, int tileY, const std::vector<WindSample>& grid)
{
    int column = 0;
    int row = 0;
    if (time < 0 || time >= int(grids.size()) || grid.size() != size_t(cells) * size_t(cells)
        || !tiles.tileOrigin(tileX, tileY, cells, column, row))
        return;
    for (int j = 0; j < cells; ++j) {
        for (int i = 0; i < cells; ++i)
            grids[size_t(time)][tiles.cellIndex(column + i, row + j, cells)] = grid[size_t(j) * size_t(cells) + size_t(i)];
    }
}

// The weights of the four centres around the point, each stored wind a unit vector for the
// direction, so that 350 and 10 degrees meet at 0, not at 180.
bool GridWind::addTime(int time, double column, double row, double weight, Blend& blend) const
{
    double x = std::clamp(column - 0.5, 0.0, double(width - 1));
    double y = std::clamp(row - 0.5, 0.0, double(height - 1));
    int left = std::min(int(x), std::max(width - 2, 0));
    int top = std::min(int(y), std::max(height - 2, 0));
    double fx = x - left;
    double fy = y - top;
    for (int corner = 0; corner < 4; ++corner) {
        int dx = corner % 2;
        int dy = corner / 2;
        double w = weight * (dx ? fx : 1.0 - fx) * (dy ? fy : 1.0 - fy);
        if (w == 0.0)
            continue;
        const WindSample& cell = grids[size_t(time)][tiles.cellIndex(left + dx, top + dy, cells)];
        if (!std::isfinite(cell.dir) || !std::isfinite(cell.speed))
            return false;
        blend.north += w * std::cos(cell.dir * radiansPerDegree);
        blend.east += w * std::sin(cell.dir * radiansPerDegree);
        blend.speed += w * cell.speed;
    }
    return true;
}

bool GridWind::wind(double lat, double lon, double hours, WindSample& sample) const
{
    double column = 0.0;
    double row = 0.0;
    double slot = hours / hoursApart;
    if (grids.empty() || !(slot >= 0.0) || slot > double(grids.size() - 1)
        || !tiles.localCell(tiles.cellPoint(lat, lon, cells), cells, column, row))
        return false;
    int before = int(slot);
    double later = slot - before;
    Blend blend;
    if (!addTime(before, column, row, 1.0 - later, blend))
        return false;
    if (later > 0.0 && !addTime(before + 1, column, row, later, blend))
        return false;
    double dir = std::atan2(blend.east, blend.north) / radiansPerDegree;
    sample = { intoFullCircle(dir), blend.speed };
    return true;
}
