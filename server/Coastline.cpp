#include "server/Coastline.h"

#include "nav/GreatCircle.h"
#include "server/CoastBuilder.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>

namespace server {

namespace {

struct Level {
    char letter;
    double cellSize;
};

const Level levels[] = { { 'l', 10.0 }, { 'i', 2.0 }, { 'h', 0.5 } };

// Kept round the rectangle of a step, wider than a great circle of quickCheckKm bows.
constexpr double marginDegrees = 0.02;
// Steps up to this long are tested along the straight line between their ends' latitudes
// and longitudes.
constexpr double straightKm = 10.0;
// Rectangles over more cells than this are tested point by point.
constexpr int quickCheckCells = 16;

}

bool LandMask::crossesLand(const GeoPoint& from, const GeoPoint& to) const
{
    double length = greatCircleDistance(from.lat, from.lon, to.lat, to.lon);
    if (length <= quickCheckKm && openWater(from, to))
        return false;
    int steps = std::clamp(static_cast<int>(std::ceil(length / 0.1)), 1, 2000);
    // Over a short step the great circle strays from the straight line between the
    // latitudes and longitudes by a few metres at most, far less than the spacing of the
    // tests, and the points along that line cost no trigonometry.
    bool straight = length <= straightKm && std::fabs(to.lon - from.lon) < 180.0;
    double bearing = straight ? 0.0 : initialBearing(from.lat, from.lon, to.lat, to.lon);
    for (int i = 1; i <= steps; ++i) {
        double f = static_cast<double>(i) / steps;
        GeoPoint p = i == steps ? to
            : straight          ? GeoPoint { from.lat + f * (to.lat - from.lat), from.lon + f * (to.lon - from.lon) }
                                : destination(from, bearing, length * f);
        if (isLand(p.lat, p.lon))
            return true;
    }
    return false;
}

Coastline::Coastline(std::string cacheDir)
    : cacheDir(std::move(cacheDir))
{
}

const CoastGrid& Coastline::grid(CoastDetail detail) const
{
    const CoastGrid* loaded = ready[static_cast<size_t>(detail)].load(std::memory_order_acquire);
    if (loaded)
        return *loaded;
    std::lock_guard<std::mutex> guard(lock);
    auto& slot = grids[static_cast<size_t>(detail)];
    if (!slot) {
        const Level& level = levels[static_cast<size_t>(detail)];
        std::filesystem::create_directories(cacheDir);
        std::string path = cacheDir + "/coast-" + level.letter + ".bin";
        auto loaded = std::make_unique<CoastGrid>();
        if (!loaded->load(path)) {
            std::printf("Building the %c coastline cache in %s\n", level.letter, cacheDir.c_str());
            *loaded = CoastBuilder::fromGmt(level.letter, level.cellSize, cacheDir);
            loaded->save(path);
        }
        slot = std::move(loaded);
        ready[static_cast<size_t>(detail)].store(slot.get(), std::memory_order_release);
    }
    return *slot;
}

bool Coastline::isLand(double lat, double lon) const
{
    return grid(CoastDetail::High).isLand(lat, lon);
}

bool Coastline::openWater(const GeoPoint& a, const GeoPoint& b) const
{
    // A cell without rings holds no shore, and land covering a whole cell is a ring round
    // it, so a rectangle whose cells are all empty is water. Across the date line the
    // rectangle is not worth the trouble.
    if (!std::isfinite(a.lat) || !std::isfinite(a.lon) || !std::isfinite(b.lat) || !std::isfinite(b.lon)
        || std::fabs(a.lon - b.lon) > 180.0)
        return false;
    const CoastGrid& coast = grid(CoastDetail::High);
    double size = coast.cellSize();
    int west = static_cast<int>(std::floor((std::min(a.lon, b.lon) - marginDegrees + 180.0) / size));
    int east = static_cast<int>(std::floor((std::max(a.lon, b.lon) + marginDegrees + 180.0) / size));
    int south = static_cast<int>(std::floor((std::min(a.lat, b.lat) - marginDegrees + 90.0) / size));
    int north = static_cast<int>(std::floor((std::max(a.lat, b.lat) + marginDegrees + 90.0) / size));
    if (west < 0 || east >= coast.columns() || south < 0 || north >= coast.rows()
        || (east - west + 1) * (north - south + 1) > quickCheckCells)
        return false;
    for (int r = south; r <= north; ++r) {
        for (int c = west; c <= east; ++c) {
            if (!coast.cell(c, r).empty())
                return false;
        }
    }
    return true;
}

} // namespace server
