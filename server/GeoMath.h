#pragma once

namespace server {

// Great-circle and projection helpers on a sphere of radius 6371 km. Angles in degrees,
// bearings clockwise from north, distances in kilometres.
struct GeoPoint {
    double lat = 0.0;
    double lon = 0.0;
};

constexpr double earthRadiusKm = 6371.0;
constexpr double kmPerNauticalMile = 1.852;

GeoPoint destination(const GeoPoint& from, double bearing, double distanceKm);
double distanceKm(const GeoPoint& a, const GeoPoint& b);
double initialBearing(const GeoPoint& from, const GeoPoint& to);
// Brings an angle into [0, 360).
double normalizeDegrees(double angle);
// Brings a longitude into [-180, 180).
double normalizeLongitude(double lon);

// Local flat coordinates (km east, km north) of a point relative to an origin; good for
// the short distances of one simulation step.
struct LocalXY {
    double x = 0.0;
    double y = 0.0;
};
LocalXY toLocal(const GeoPoint& origin, const GeoPoint& p);

// Web-Mercator tile geometry: a world square of 256 * 2^z pixels.
double lonToWorldX(double lon, int zoom);
double latToWorldY(double lat, int zoom);
double worldXToLon(double x, int zoom);
double worldYToLat(double y, int zoom);

} // namespace server
