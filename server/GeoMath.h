#pragma once

#include "nav/GreatCircle.h"

namespace server {

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
