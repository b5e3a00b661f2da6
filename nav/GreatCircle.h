#pragma once

// Great circles on a sphere of radius 6371 km. Angles are in degrees, bearings clockwise
// from north, distances in kilometres.

struct GeoPoint {
    double lat = 0.0;
    double lon = 0.0;
};

constexpr double earthRadiusKm = 6371.0;
constexpr double kmPerNauticalMile = 1.852;

// The point reached from a start along the bearing after the distance, with the latitude
// within [-90, 90] and the longitude brought into [-180, 180).
GeoPoint destination(const GeoPoint& from, double bearing, double distance);

// The same point with both results brought into [0, 360) by one turn at most (a southern
// latitude comes out above 270), which the chart projection places where the signed value
// would be.
GeoPoint destinationPoint(double lat, double lon, double bearing, double distance);

// Haversine distance between two points.
double greatCircleDistance(double lat1, double lon1, double lat2, double lon2);

// Bearing at the first point of the great circle towards the second, in [0, 360).
double initialBearing(double lat1, double lon1, double lat2, double lon2);
