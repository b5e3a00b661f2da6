#include "nav/GreatCircle.h"

#include "nav/Angles.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double pi = 3.141592653589793;

double toRadians(double degrees)
{
    return degrees * pi / 180;
}

double toDegrees(double radians)
{
    return radians * 180 / pi;
}

// The destination in degrees with the longitude left as the start's plus the change, so
// that each caller brings it into the range it needs. Rounding can push the sine of the
// latitude a hair beyond 1 near a pole; it is held there rather than becoming NaN.
GeoPoint travel(double lat, double lon, double bearing, double distance)
{
    double phi1 = toRadians(lat);
    double lambda1 = toRadians(lon);
    double theta = toRadians(bearing);
    double delta = distance / earthRadiusKm;

    double sinPhi2 = std::sin(phi1) * std::cos(delta) + std::cos(phi1) * std::sin(delta) * std::cos(theta);
    double phi2 = std::asin(std::clamp(sinPhi2, -1.0, 1.0));
    double lambda2 = lambda1 + std::atan2(std::sin(theta) * std::sin(delta) * std::cos(phi1), std::cos(delta) - std::sin(phi1) * std::sin(phi2));
    return { toDegrees(phi2), toDegrees(lambda2) };
}

} // namespace

GeoPoint destination(const GeoPoint& from, double bearing, double distance)
{
    GeoPoint point = travel(from.lat, from.lon, bearing, distance);
    return { point.lat, normalizeLongitude(point.lon) };
}

GeoPoint destinationPoint(double lat, double lon, double bearing, double distance)
{
    GeoPoint point = travel(lat, lon, bearing, distance);
    return { intoFullCircle(point.lat), intoFullCircle(point.lon) };
}

double greatCircleDistance(double lat1, double lon1, double lat2, double lon2)
{
    double phi1 = toRadians(lat1);
    double phi2 = toRadians(lat2);
    double halfDeltaPhi = std::sin((phi2 - phi1) / 2);
    double halfDeltaLambda = std::sin((toRadians(lon2) - toRadians(lon1)) / 2);
    double a = halfDeltaPhi * halfDeltaPhi + std::cos(phi1) * std::cos(phi2) * halfDeltaLambda * halfDeltaLambda;
    // Between antipodes rounding can take a a hair above 1.
    return 2 * std::atan2(std::sqrt(a), std::sqrt(std::max(0.0, 1 - a))) * earthRadiusKm;
}

double initialBearing(double lat1, double lon1, double lat2, double lon2)
{
    double phi1 = toRadians(lat1);
    double phi2 = toRadians(lat2);
    double deltaLambda = toRadians(lon2) - toRadians(lon1);
    double theta = std::atan2(std::sin(deltaLambda) * std::cos(phi2),
        std::cos(phi1) * std::sin(phi2) - std::sin(phi1) * std::cos(phi2) * std::cos(deltaLambda));
    return intoFullCircle(toDegrees(theta));
}
