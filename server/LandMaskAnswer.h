#pragma once

#include <string>

namespace server {

class LandMask;

// Cells per side of a land-mask answer's grid.
constexpr int landMaskCells = 32;

// The land-mask answer's table for one 256-pixel map tile: "numCells" and "land", the
// cells row by row from the tile's north-west corner, 1 where the cell's centre is land.
std::string landMaskTable(const LandMask& land, int z, int x, int y);

} // namespace server
