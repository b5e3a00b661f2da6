#include "race/GreatCircle.h"

#include <cmath>

namespace {

constexpr double pi = 3.141592653589793;
constexpr double earthRadius = 6371;

double toRadians(double degrees)
{
    return degrees * pi / 180;
}

double toDegrees(double radians)
{
    return radians * 180 / pi;
}

} // namespace

double intoFullCircle(double degrees)
{
    if (degrees < 0)
        degrees += 360;
    if (degrees >= 360)
        degrees -= 360;
    return degrees;
}

GeoPoint destinationPoint(double lat, double lon, double bearing, double distance)
{
    double phi1 = toRadians(lat);
    double lambda1 = toRadians(lon);
    double theta = toRadians(bearing);
    double delta = distance / earthRadius;

    double phi2 = std::asin(std::sin(phi1) * std::cos(delta) + std::cos(phi1) * std::sin(delta) * std::cos(theta));
    double lambda2 = lambda1 + std::atan2(std::sin(theta) * std::sin(delta) * std::cos(phi1),
                                          std::cos(delta) - std::sin(phi1) * std::sin(phi2));
    return {intoFullCircle(toDegrees(phi2)), intoFullCircle(toDegrees(lambda2))};
}

double greatCircleDistance(double lat1, double lon1, double lat2, double lon2)
{
    double phi1 = toRadians(lat1);
    double phi2 = toRadians(lat2);
    double halfDeltaPhi = std::sin((phi2 - phi1) / 2);
    double halfDeltaLambda = std::sin((toRadians(lon2) - toRadians(lon1)) / 2);
    double a = halfDeltaPhi * halfDeltaPhi + std::cos(phi1) * std::cos(phi2) * halfDeltaLambda * halfDeltaLambda;
    return 2 * std::atan2(std::sqrt(a), std::sqrt(1 - a)) * earthRadius;
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

std::vector<Metres> greatCirclePoints(double lat1, double lon1, double lat2, double lon2)
{
    double distance = greatCircleDistance(lat1, lon1, lat2, lon2);
    double bearing = initialBearing(lat1, lon1, lat2, lon2);

    std::vector<Metres> points{latLonToMetres(lat1, lon1)};
    // Segments of about 100 km follow the curve closely enough at every zoom level.
    double segments = std::trunc(distance / 100);
    if (segments > 1) {
        for (int i = 1; i < int(segments); ++i) {
            GeoPoint point = destinationPoint(lat1, lon1, bearing, i * distance / segments);
            points.push_back(latLonToMetres(point.lat, point.lon));
        }
    }
    points.push_back(latLonToMetres(lat2, lon2));
    return points;
}
