#pragma once

#include "nav/GreatCircle.h"

#include <cstddef>

// Fractional cell coordinates over the whole world on the grids of the 256-pixel Mercator
// map tiles at one zoom, each tile cut into the same number of cells a side: the column
// counts east from the 180-degree meridian, the row south from the northern edge.
struct CellPoint {
    double column = 0.0;
    double row = 0.0;
};

// A rectangle of map tiles at one zoom, its west column wrapping round the world, whose
// cell grids are stored side by side in one array, row by row from the north-west.
class TileRange {
public:
    TileRange() = default;
    TileRange(int zoom, int west, int north, int columns, int rows);

    // The fewest tiles at the finest zoom up to maxZoom that cover both points and a margin
    // around them, with at most maxTiles tiles; the shorter way round in longitude.
    static TileRange covering(const GeoPoint& start, const GeoPoint& target, double marginKm, int maxTiles, int maxZoom);

    int zoom() const { return level; }
    int west() const { return firstColumn; }
    int north() const { return firstRow; }
    int columns() const { return columnCount; }
    int rows() const { return rowCount; }
    // The world's tile column of the range's i-th column.
    int tileColumn(int i) const;

    CellPoint cellPoint(double lat, double lon, int cellsPerTile) const;
    // The point's cell coordinates within the range, when it lies inside.
    bool localCell(const CellPoint& world, int cellsPerTile, double& column, double& row) const;
    // The array index of the cell at a local column and row.
    size_t cellIndex(int column, int row, int cellsPerTile) const;
    // Where the cells of a tile start in the array, when the range holds the tile.
    bool tileOrigin(int tileX, int tileY, int cellsPerTile, int& column, int& row) const;

private:
    int level = 0;
    int firstColumn = 0;
    int firstRow = 0;
    int columnCount = 0;
    int rowCount = 0;
};
