#include "server/RouterCharts.h"

#include "nav/Angles.h"
#include "server/Coastline.h"

#include <algorithm>
#include <cmath>

namespace server {

namespace {

constexpr double cellDegrees = 0.2;
constexpr double radians = 3.141592653589793 / 180.0;

}

ForecastSampler::Flow ForecastSampler::latticePoint(int64_t row, int64_t column, int64_t hour) const
{
    // Twenty bits each hold every row, column and hour a routing reaches.
    uint64_t key = (static_cast<uint64_t>(row & 0xfffff) << 40) | (static_cast<uint64_t>(column & 0xfffff) << 20)
        | static_cast<uint64_t>(hour & 0xfffff);
    auto found = lattice.find(key);
    if (found != lattice.end())
        return found->second;
    Wind w = source.at(row * cellDegrees, normalizeLongitude(column * cellDegrees), start + static_cast<int64_t>(std::llround(hour * 3600.0 * rate)));
    // The wind blows from its direction, so the air moves the opposite way.
    Flow flow { -w.speed * std::sin(w.dir * radians), -w.speed * std::cos(w.dir * radians) };
    lattice.emplace(key, flow);
    return flow;
}

bool ForecastSampler::wind(double lat, double lon, double hours, WindSample& sample) const
{
    if (!std::isfinite(lat) || !std::isfinite(lon) || !std::isfinite(hours) || std::fabs(hours) > 10000.0)
        return false;
    double y = lat / cellDegrees;
    double x = lon / cellDegrees;
    double t = std::max(hours, 0.0);
    int64_t row = static_cast<int64_t>(std::floor(y));
    int64_t column = static_cast<int64_t>(std::floor(x));
    int64_t hour = static_cast<int64_t>(std::floor(t));
    double fy = y - row;
    double fx = x - column;
    double ft = t - hour;
    Flow sum;
    for (int corner = 0; corner < 8; ++corner) {
        int dy = corner & 1;
        int dx = (corner >> 1) & 1;
        int dt = corner >> 2;
        double weight = (dy ? fy : 1.0 - fy) * (dx ? fx : 1.0 - fx) * (dt ? ft : 1.0 - ft);
        if (weight == 0.0)
            continue;
        Flow flow = latticePoint(row + dy, column + dx, hour + dt);
        sum.east += weight * flow.east;
        sum.north += weight * flow.north;
    }
    sample = { normalizeDegrees(std::atan2(-sum.east, -sum.north) / radians), std::hypot(sum.east, sum.north) };
    return true;
}

bool CoastChart::crossesLand(const GeoPoint& from, const GeoPoint& to) const
{
    double length = greatCircleDistance(from.lat, from.lon, to.lat, to.lon);
    if (length <= LandMask::quickCheckKm && land.openWater(from, to))
        return false;
    int steps = std::clamp(static_cast<int>(std::ceil(length)), 1, 500);
    double bearing = initialBearing(from.lat, from.lon, to.lat, to.lon);
    for (int i = 1; i <= steps; ++i) {
        GeoPoint p = i == steps ? to : destination(from, bearing, length * i / steps);
        if (land.isLand(p.lat, p.lon))
            return true;
    }
    return false;
}

} // namespace server
