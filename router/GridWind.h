#pragma once

#include "router/TileRange.h"
#include "router/WindSampler.h"

#include <vector>

// The wind of the race server's grids over a range of tiles at forecast times a fixed
// number of hours apart, the first at hour 0. Each cell's wind stands at the cell's
// centre; between centres it is interpolated bilinearly, between forecast times linearly,
// the direction along the shorter arc. Outside the range, beyond the last forecast time
// or next to a grid that never arrived, no wind is known.
class GridWind : public WindSampler {
public:
    GridWind(const TileRange& range, int cellsPerTile, int times, double hoursApart);

    // Stores the grid of one tile at one forecast time: cellsPerTile squared cells, row by
    // row from the north-west. A grid of another size or outside the range is ignored.
    void setGrid(int time, int tileX, int tileY, const std::vector<WindSample>& cells);
    bool wind(double lat, double lon, double hours, WindSample& sample) const override;

    const TileRange& range() const { return tiles; }

private:
    // Sums of the weighted direction vectors and speeds of the interpolation.
    struct Blend {
        double north = 0.0;
        double east = 0.0;
        double speed = 0.0;
    };

    bool addTime(int time, double column, double row, double weight, Blend& blend) const;

    TileRange tiles;
    int cells;
    double hoursApart;
    int width;
    int height;
    // One array of cells per forecast time; NaN where no grid arrived.
    std::vector<std::vector<WindSample>> grids;
};
