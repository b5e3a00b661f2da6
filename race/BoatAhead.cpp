#include "race/BoatAhead.h"

#include "boat/BoatDescription.h"
#include "boat/BoatRecord.h"
#include "nav/RhumbLine.h"
#include "race/Map.h"
#include "race/Projection.h"
#include "router/Router.h"

#include <algorithm>
#include <cmath>

namespace {

// The course is sailed in steps of ten minutes, short enough for the wind of one cell.
constexpr double stepHours = 1.0 / 6.0;
constexpr int32_t tilePixels = 256;

BoatAhead alongRoute(const PlannedRoute& route, double hours)
{
    const std::vector<RoutePoint>& points = route.points;
    auto next = std::upper_bound(points.begin(), points.end(), hours,
        [](double value, const RoutePoint& point) { return value < point.hours; });
    if (next == points.begin())
        return { points.front().position, points.front().heading };
    const RoutePoint& from = *(next - 1);
    if (next == points.end() || next->hours <= from.hours)
        return { from.position, from.heading };
    const GeoPoint& a = from.position;
    const GeoPoint& b = next->position;
    double fraction = (hours - from.hours) / (next->hours - from.hours);
    double distance = greatCircleDistance(a.lat, a.lon, b.lat, b.lon);
    if (distance <= 0.0)
        return { a, from.heading };
    return { destination(a, initialBearing(a.lat, a.lon, b.lat, b.lon), fraction * distance), from.heading };
}

double speedAt(const BoatRecord& boat, const GeoPoint& at, const WindLookup& wind)
{
    std::optional<Wind> here = wind ? wind(at.lat, at.lon) : std::nullopt;
    if (!here || !boat.boat)
        return boat.speed;
    return boatSpeed(*boat.boat, boat.sail, boat.heading, here->first, here->second);
}

BoatAhead onCourse(const BoatRecord& boat, double hours, const WindLookup& wind)
{
    // A negative time sails the same rhumb line backwards, a negative distance.
    GeoPoint at { boat.lat, boat.lon };
    double remaining = std::fabs(hours);
    while (remaining > 0.0) {
        double step = std::min(stepHours, remaining);
        at = rhumbDestination(at, boat.heading, std::copysign(speedAt(boat, at, wind) * kmPerNauticalMile * step, hours));
        remaining -= step;
    }
    return { at, boat.heading };
}

}

BoatAhead sailAhead(const BoatRecord& boat, double hours, const WindLookup& wind, const PlannedRoute* route)
{
    if (route && !route->points.empty())
        return alongRoute(*route, hours);
    return onCourse(boat, hours, wind);
}

WindLookup mapWind(const Map& map, int32_t time)
{
    return [&map, time](double lat, double lon) -> std::optional<Wind> {
        if (map.windTime != time)
            return std::nullopt;
        WorldPixel pixel = latLonToWorldPixel(lat, lon, map.zoom);
        int32_t tiles = worldSize(map.zoom) / tilePixels;
        int32_t column = pixel.px / tilePixels;
        int32_t row = std::min(pixel.py / tilePixels, tiles - 1);
        auto found = map.tiles.find(Map::TileKey { map.zoom, column, row });
        if (found == map.tiles.end() || !found->second.wind)
            return std::nullopt;
        const WindTile& grid = *found->second.wind;
        int32_t cells = grid.gridSize();
        if (cells <= 0 || grid.getTime() != time)
            return std::nullopt;
        int32_t cellColumn = (pixel.px % tilePixels) * cells / tilePixels;
        int32_t cellRow = std::min((pixel.py - row * tilePixels) * cells / tilePixels, cells - 1);
        const Wind& cell = grid.windAt(cellColumn, cellRow);
        if (!std::isfinite(cell.first) || !std::isfinite(cell.second))
            return std::nullopt;
        return cell;
    };
}
