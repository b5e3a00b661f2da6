#include "nav/LocalXY.h"

#include "nav/Angles.h"

#include <cmath>

LocalXY toLocal(const GeoPoint& origin, const GeoPoint& p)
{
    constexpr double toRad = 3.141592653589793 / 180.0;
    double kmPerDegree = earthRadiusKm * toRad;
    double dLon = normalizeLongitude(p.lon - origin.lon);
    return { dLon * kmPerDegree * std::cos(origin.lat * toRad), (p.lat - origin.lat) * kmPerDegree };
}
