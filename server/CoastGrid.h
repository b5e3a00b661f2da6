#pragma once

#include <string>
#include <vector>

namespace server {

struct LonLat {
    double lon = 0.0;
    double lat = 0.0;
};

using Ring = std::vector<LonLat>;

// Land polygons cut into the cells of a regular longitude-latitude grid. Each cell holds
// closed rings clipped to its own rectangle, so the even-odd rule over one cell's rings
// tells land (inside an odd number of rings) from water, and a map tile needs only the
// cells it overlaps. Lakes and islands in lakes are rings of their own, so even-odd gives
// them the right colour too.
class CoastGrid {
public:
    CoastGrid() = default;
    explicit CoastGrid(double cellSize);

    double cellSize() const { return size; }
    int columns() const { return cols; }
    int rows() const { return rowCount; }

    bool isLand(double lat, double lon) const;
    // Rings of the cell at column c and row r (row 0 is the southernmost).
    const std::vector<Ring>& cell(int c, int r) const { return cells[static_cast<size_t>(r) * cols + c]; }
    void addRing(int c, int r, Ring ring) { cells[static_cast<size_t>(r) * cols + c].push_back(std::move(ring)); }

    // The rectangle of a cell: west, south, east, north.
    double west(int c) const { return -180.0 + c * size; }
    double south(int r) const { return -90.0 + r * size; }

    // Binary cache; load returns false when the file is missing or not a cache file.
    void save(const std::string& path) const;
    bool load(const std::string& path);

private:
    double size = 1.0;
    int cols = 0;
    int rowCount = 0;
    std::vector<std::vector<Ring>> cells;
};

} // namespace server
