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

}

bool LandMask::crossesLand(const GeoPoint& from, const GeoPoint& to) const
{
    double length = greatCircleDistance(from.lat, from.lon, to.lat, to.lon);
    int steps = std::clamp(static_cast<int>(std::ceil(length / 0.1)), 1, 2000);
    double bearing = initialBearing(from.lat, from.lon, to.lat, to.lon);
    for (int i = 1; i <= steps; ++i) {
        GeoPoint p = i == steps ? to : destination(from, bearing, length * i / steps);
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
    }
    return *slot;
}

bool Coastline::isLand(double lat, double lon) const
{
    return grid(CoastDetail::High).isLand(lat, lon);
}

} // namespace server
