#include "nav/RhumbLine.h"

#include "nav/Angles.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double pi = 3.141592653589793;
constexpr double toRad = pi / 180.0;
constexpr double toDeg = 180.0 / pi;
// Near a pole the Mercator latitude grows without bound; courses stop this far short.
constexpr double latitudeLimit = 89.999 * toRad;

// The Mercator (isometric) latitude of a latitude in radians.
double isometric(double phi)
{
    return std::asinh(std::tan(phi));
}

}

GeoPoint rhumbDestination(const GeoPoint& from, double bearing, double distance)
{
    double phi1 = std::clamp(from.lat * toRad, -latitudeLimit, latitudeLimit);
    double theta = bearing * toRad;
    double delta = distance / earthRadiusKm;
    double phi2 = std::clamp(phi1 + delta * std::cos(theta), -latitudeLimit, latitudeLimit);
    double dPsi = isometric(phi2) - isometric(phi1);
    // Along a parallel the ratio of the changes tends to the parallel's scale.
    double q = std::fabs(dPsi) > 1e-12 ? (phi2 - phi1) / dPsi : std::cos(phi1);
    double dLambda = delta * std::sin(theta) / q;
    return { phi2 * toDeg, normalizeLongitude(from.lon + dLambda * toDeg) };
}

double rhumbBearing(const GeoPoint& from, const GeoPoint& to)
{
    double phi1 = std::clamp(from.lat * toRad, -latitudeLimit, latitudeLimit);
    double phi2 = std::clamp(to.lat * toRad, -latitudeLimit, latitudeLimit);
    double dLambda = normalizeLongitude(to.lon - from.lon) * toRad;
    double dPsi = isometric(phi2) - isometric(phi1);
    return intoFullCircle(std::atan2(dLambda, dPsi) * toDeg);
}
