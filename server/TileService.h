#pragma once

#include "server/ChartPainter.h"

#include <string>

namespace server {

// Map tiles: 256-pixel PNG charts by zoom, column and row, rendered once and kept on
// disk under "tiles/" in the data folder.
class TileService {
public:
    static constexpr int minZoom = 2;
    static constexpr int maxZoom = 15;

    TileService(const Coastline& coast, std::string cacheDir);

    // The PNG bytes of a tile; the caller has checked the address.
    std::string tile(int z, int x, int y);
    // Renders without the disk cache.
    std::string render(int z, int x, int y) const;

private:
    ChartPainter painter;
    std::string cacheDir;
};

// Reads a whole file; false when it cannot be read.
bool readFile(const std::string& path, std::string& bytes);
// Writes a file whole, through a temporary name, so readers never see a part of it.
void writeFileAtomically(const std::string& path, const std::string& bytes);

} // namespace server
