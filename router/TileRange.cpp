#include "router/TileRange.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double pi = 3.141592653589793;
// Mercator stops short of the poles.
constexpr double latitudeLimit = 85.0;

double worldX(double lon, int zoom)
{
    return (lon + 180.0) / 360.0 * std::ldexp(1.0, zoom);
}

double worldY(double lat, int zoom)
{
    double phi = std::clamp(lat, -latitudeLimit, latitudeLimit) * pi / 180.0;
    return (1.0 - std::log(std::tan(phi) + 1.0 / std::cos(phi)) / pi) / 2.0 * std::ldexp(1.0, zoom);
}

double wrapLongitude(double lon)
{
    return lon - 360.0 * std::floor((lon + 180.0) / 360.0);
}

}

TileRange::TileRange(int zoom, int west, int north, int columns, int rows)
    : level(zoom)
    , firstColumn(west)
    , firstRow(north)
    , columnCount(columns)
    , rowCount(rows)
{
}

TileRange TileRange::covering(const GeoPoint& start, const GeoPoint& target, double marginKm, int maxTiles, int maxZoom)
{
    double east = start.lon + wrapLongitude(target.lon - start.lon);
    double north = std::min(std::max(start.lat, target.lat) + marginKm / 111.2, latitudeLimit);
    double south = std::max(std::min(start.lat, target.lat) - marginKm / 111.2, -latitudeLimit);
    double widest = std::max(std::fabs(north), std::fabs(south));
    double lonMargin = std::min(marginKm / (111.2 * std::max(std::cos(widest * pi / 180.0), 0.05)), 90.0);
    double westLon = std::min(start.lon, east) - lonMargin;
    double eastLon = std::max(start.lon, east) + lonMargin;
    for (int zoom = maxZoom; zoom > 0; --zoom) {
        int tiles = 1 << zoom;
        int first = int(std::floor(worldX(westLon, zoom)));
        int columns = std::min(int(std::floor(worldX(eastLon, zoom))) - first + 1, tiles);
        int top = std::clamp(int(std::floor(worldY(north, zoom))), 0, tiles - 1);
        int rows = std::clamp(int(std::floor(worldY(south, zoom))), 0, tiles - 1) - top + 1;
        if (columns * rows <= maxTiles)
            return TileRange(zoom, ((first % tiles) + tiles) % tiles, top, columns, rows);
    }
    return TileRange(0, 0, 0, 1, 1);
}

int TileRange::tileColumn(int i) const
{
    return (firstColumn + i) % (1 << level);
}

CellPoint TileRange::cellPoint(double lat, double lon, int cellsPerTile) const
{
    return { worldX(wrapLongitude(lon), level) * cellsPerTile, worldY(lat, level) * cellsPerTile };
}

bool TileRange::localCell(const CellPoint& world, int cellsPerTile, double& column, double& row) const
{
    double worldCells = std::ldexp(double(cellsPerTile), level);
    column = world.column - double(firstColumn) * cellsPerTile;
    if (column < 0.0)
        column += worldCells;
    row = world.row - double(firstRow) * cellsPerTile;
    return column < double(columnCount) * cellsPerTile && row >= 0.0 && row < double(rowCount) * cellsPerTile;
}

size_t TileRange::cellIndex(int column, int row, int cellsPerTile) const
{
    return size_t(row) * size_t(columnCount) * size_t(cellsPerTile) + size_t(column);
}

bool TileRange::tileOrigin(int tileX, int tileY, int cellsPerTile, int& column, int& row) const
{
    int tiles = 1 << level;
    int i = ((tileX - firstColumn) % tiles + tiles) % tiles;
    int j = tileY - firstRow;
    if (i >= columnCount || j < 0 || j >= rowCount)
        return false;
    column = i * cellsPerTile;
    row = j * cellsPerTile;
    return true;
}
