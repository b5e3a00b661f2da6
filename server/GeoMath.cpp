#include "server/GeoMath.h"

#include <algorithm>
#include <cmath>

namespace server {

namespace {

constexpr double pi = 3.141592653589793;
constexpr double toRad = pi / 180.0;
constexpr double toDeg = 180.0 / pi;
// Mercator stops short of the poles; this is the latitude of the square world's edge.
constexpr double mercatorLimit = 85.05112878;

}

double lonToWorldX(double lon, int zoom)
{
    return (lon + 180.0) / 360.0 * 256.0 * std::ldexp(1.0, zoom);
}

double latToWorldY(double lat, int zoom)
{
    double phi = std::clamp(lat, -mercatorLimit, mercatorLimit) * toRad;
    double y = std::log(std::tan(pi / 4.0 + phi / 2.0));
    return (1.0 - y / pi) / 2.0 * 256.0 * std::ldexp(1.0, zoom);
}

double worldXToLon(double x, int zoom)
{
    return x / (256.0 * std::ldexp(1.0, zoom)) * 360.0 - 180.0;
}

double worldYToLat(double y, int zoom)
{
    double n = pi * (1.0 - 2.0 * y / (256.0 * std::ldexp(1.0, zoom)));
    return std::atan(std::sinh(n)) * toDeg;
}

} // namespace server
