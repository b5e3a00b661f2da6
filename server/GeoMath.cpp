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

double normalizeDegrees(double angle)
{
    double a = std::fmod(angle, 360.0);
    if (a < 0.0)
        a += 360.0;
    return a >= 360.0 ? 0.0 : a;
}

double normalizeLongitude(double lon)
{
    return normalizeDegrees(lon + 180.0) - 180.0;
}

GeoPoint destination(const GeoPoint& from, double bearing, double distance)
{
    double phi1 = from.lat * toRad;
    double lambda1 = from.lon * toRad;
    double theta = bearing * toRad;
    double delta = distance / earthRadiusKm;
    double phi2 = std::asin(std::clamp(std::sin(phi1) * std::cos(delta) + std::cos(phi1) * std::sin(delta) * std::cos(theta), -1.0, 1.0));
    double lambda2 = lambda1 + std::atan2(std::sin(theta) * std::sin(delta) * std::cos(phi1), std::cos(delta) - std::sin(phi1) * std::sin(phi2));
    return { phi2 * toDeg, normalizeLongitude(lambda2 * toDeg) };
}

double distanceKm(const GeoPoint& a, const GeoPoint& b)
{
    double dPhi = (b.lat - a.lat) * toRad;
    double dLambda = (b.lon - a.lon) * toRad;
    double h = std::sin(dPhi / 2) * std::sin(dPhi / 2)
        + std::cos(a.lat * toRad) * std::cos(b.lat * toRad) * std::sin(dLambda / 2) * std::sin(dLambda / 2);
    return 2.0 * earthRadiusKm * std::asin(std::min(1.0, std::sqrt(h)));
}

double initialBearing(const GeoPoint& from, const GeoPoint& to)
{
    double phi1 = from.lat * toRad;
    double phi2 = to.lat * toRad;
    double dLambda = (to.lon - from.lon) * toRad;
    double y = std::sin(dLambda) * std::cos(phi2);
    double x = std::cos(phi1) * std::sin(phi2) - std::sin(phi1) * std::cos(phi2) * std::cos(dLambda);
    return normalizeDegrees(std::atan2(y, x) * toDeg);
}

LocalXY toLocal(const GeoPoint& origin, const GeoPoint& p)
{
    double kmPerDegree = earthRadiusKm * toRad;
    double dLon = normalizeLongitude(p.lon - origin.lon);
    return { dLon * kmPerDegree * std::cos(origin.lat * toRad), (p.lat - origin.lat) * kmPerDegree };
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
