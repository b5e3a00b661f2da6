#pragma once

#include "router/LandChart.h"
#include "router/TileRange.h"

#include <vector>

// Land as the race server's coarse land grids over a range of tiles tell it: a cell is land
// or water as a whole, and cells without a grid count as water. The cells that hold the
// start and the target count as water too, since a coarse grid may well cover a harbour
// or a mark close to the shore with land.
class LandGrid : public LandChart {
public:
    LandGrid(const TileRange& range, int cellsPerTile);

    // Stores the grid of one tile: cellsPerTile squared flags, row by row from the
    // north-west. A grid of another size or outside the range is ignored.
    void setGrid(int tileX, int tileY, const std::vector<bool>& land);
    // Makes the cell that holds the point water.
    void clearAt(const GeoPoint& point);
    // Follows the leg as the straight line it is on the Mercator grid, in steps of a
    // quarter of a cell.
    bool crossesLand(const GeoPoint& from, const GeoPoint& to) const override;

    const TileRange& range() const { return tiles; }

private:
    bool landAt(const CellPoint& point) const;

    TileRange tiles;
    int cells;
    std::vector<bool> land;
};
