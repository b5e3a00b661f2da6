#pragma once

#include "race/Projection.h"

#include <vector>

// Great circles on a sphere of radius 6371 km. Angles are in degrees, bearings clockwise
// from north, distances in kilometres.

struct GeoPoint {
    double lat;
    double lon;
};

// An angle a little outside [0, 360) brought into it, by one turn at most each way.
double intoFullCircle(double degrees);

// The point reached from (lat, lon) along the bearing after the distance. Both results are
// brought into [0, 360) (a southern latitude comes out above 270), which the projection
// places where the signed value would be.
GeoPoint destinationPoint(double lat, double lon, double bearing, double distance);

// Haversine distance between two points.
double greatCircleDistance(double lat1, double lon1, double lat2, double lon2);

// Bearing at the first point of the great circle towards the second, in [0, 360).
double initialBearing(double lat1, double lon1, double lat2, double lon2);

// A route leg as projected-metre points along the great circle: the start, one point about
// every 100 km when the leg is at least 200 km long, and the end.
std::vector<Metres> greatCirclePoints(double lat1, double lon1, double lat2, double lon2);
