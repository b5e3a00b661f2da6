#include "server/CoastGrid.h"

#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <stdexcept>
#include <string>
#include <thread>

namespace server {

namespace {

const char magic[8] = { 'T', 'W', 'C', 'O', 'A', 'S', 'T', '1' };

template <typename T>
void put(std::ofstream& out, T value)
{
    out.write(reinterpret_cast<const char*>(&value), sizeof value);
}

template <typename T>
bool get(std::ifstream& in, T& value)
{
    return static_cast<bool>(in.read(reinterpret_cast<char*>(&value), sizeof value));
}

bool insideRing(const Ring& ring, double lon, double lat)
{
    bool inside = false;
    size_t n = ring.size();
    for (size_t i = 0, j = n - 1; i < n; j = i++) {
        const LonLat& a = ring[i];
        const LonLat& b = ring[j];
        if ((a.lat > lat) != (b.lat > lat)) {
            double x = a.lon + (lat - a.lat) / (b.lat - a.lat) * (b.lon - a.lon);
            if (lon < x)
                inside = !inside;
        }
    }
    return inside;
}

}

CoastGrid::CoastGrid(double cellSize)
    : size(cellSize)
    , cols(static_cast<int>(std::lround(360.0 / cellSize)))
    , rowCount(static_cast<int>(std::lround(180.0 / cellSize)))
    , cells(static_cast<size_t>(cols) * rowCount)
{
}

bool CoastGrid::isLand(double lat, double lon) const
{
    if (cells.empty() || !std::isfinite(lat) || !std::isfinite(lon))
        return false;
    int c = static_cast<int>(std::floor((lon + 180.0) / size));
    int r = static_cast<int>(std::floor((lat + 90.0) / size));
    if (c < 0 || c >= cols || r < 0 || r >= rowCount)
        return false;
    bool land = false;
    for (const Ring& ring : cell(c, r)) {
        if (insideRing(ring, lon, lat))
            land = !land;
    }
    return land;
}

void CoastGrid::save(const std::string& path) const
{
    // A name of this writer's own, so that servers building the same cache at once do not
    // write into one file.
    std::string temporary = path + "." + std::to_string(getpid()) + "-" + std::to_string(std::hash<std::thread::id>()(std::this_thread::get_id())) + ".part";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out)
            throw std::runtime_error("Can't write " + temporary);
        out.write(magic, sizeof magic);
        put(out, size);
        for (int32_t index = 0; index < static_cast<int32_t>(cells.size()); ++index) {
            if (cells[index].empty())
                continue;
            put(out, index);
            put(out, static_cast<int32_t>(cells[index].size()));
            for (const Ring& ring : cells[index]) {
                put(out, static_cast<int32_t>(ring.size()));
                out.write(reinterpret_cast<const char*>(ring.data()), static_cast<std::streamsize>(ring.size() * sizeof(LonLat)));
            }
        }
        put(out, static_cast<int32_t>(-1));
        if (!out)
            throw std::runtime_error("Can't write " + temporary);
    }
    // Readers see either no cache or a whole one, also while several servers start at once.
    if (std::rename(temporary.c_str(), path.c_str()) != 0)
        throw std::runtime_error("Can't rename " + temporary);
}

bool CoastGrid::load(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    char header[sizeof magic];
    double cellSize = 0.0;
    if (!in.read(header, sizeof header) || !std::equal(header, header + sizeof header, magic) || !get(in, cellSize) || !(cellSize > 0.0))
        return false;
    CoastGrid grid(cellSize);
    int32_t index = 0;
    while (get(in, index) && index >= 0) {
        int32_t count = 0;
        if (index >= static_cast<int32_t>(grid.cells.size()) || !get(in, count) || count < 0)
            return false;
        for (int32_t k = 0; k < count; ++k) {
            int32_t points = 0;
            if (!get(in, points) || points < 0 || points > 50000000)
                return false;
            Ring ring(static_cast<size_t>(points));
            if (!in.read(reinterpret_cast<char*>(ring.data()), static_cast<std::streamsize>(ring.size() * sizeof(LonLat))))
                return false;
            grid.cells[index].push_back(std::move(ring));
        }
    }
    if (index != -1)
        return false;
    *this = std::move(grid);
    return true;
}

} // namespace server
