#include "race/GreatCircle.h"

#include "nav/GreatCircle.h"

#include <cmath>

std::vector<Metres> greatCirclePoints(double lat1, double lon1, double lat2, double lon2)
{
    double distance = greatCircleDistance(lat1, lon1, lat2, lon2);
    double bearing = initialBearing(lat1, lon1, lat2, lon2);

    std::vector<Metres> points { latLonToMetres(lat1, lon1) };
    // Segments of about 100 km follow the curve closely enough at every zoom level.
    double segments = std::trunc(distance / 100);
    for (int i = 1; i < int(segments); ++i) {
        GeoPoint point = destinationPoint(lat1, lon1, bearing, i * distance / segments);
        points.push_back(latLonToMetres(point.lat, point.lon));
    }
    points.push_back(latLonToMetres(lat2, lon2));
    return points;
}
