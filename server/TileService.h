#pragma once

#include "server/ChartPainter.h"
#include "server/TileCache.h"

#include <future>
#include <map>
#include <mutex>
#include <string>
#include <tuple>

namespace server {

// Map tiles: 256-pixel PNG charts by zoom, column and row, rendered once and kept in a
// bounded disk cache under "tiles/" in the data folder. Requests for a tile being rendered
// wait for that rendering instead of starting another.
class TileService {
public:
    static constexpr int minZoom = 2;
    static constexpr int maxZoom = 15;

    TileService(const Coastline& coast, const std::string& cacheDir, uint64_t cacheBytes);

    // The PNG bytes of a tile; the caller has checked the address.
    std::string tile(int z, int x, int y);
    // Renders without the disk cache.
    std::string render(int z, int x, int y) const;
    const TileCache& cache() const { return disk; }
    // How many tiles were rendered for requests.
    int renders() const;

private:
    using Key = std::tuple<int, int, int>;

    std::string renderOnce(int z, int x, int y);
    std::string seaTile() const;

    ChartPainter painter;
    TileCache disk;
    mutable std::mutex flightLock;
    std::map<Key, std::shared_future<std::string>> inFlight;
    int rendered = 0;
};

// Reads a whole file; false when it cannot be read.
bool readFile(const std::string& path, std::string& bytes);
// Writes a file whole, through a temporary name, so readers never see a part of it.
void writeFileAtomically(const std::string& path, const std::string& bytes);

} // namespace server
