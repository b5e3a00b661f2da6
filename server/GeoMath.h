#pragma once

namespace server {

// Web-Mercator tile geometry: a world square of 256 * 2^z pixels.
double lonToWorldX(double lon, int zoom);
double latToWorldY(double lat, int zoom);
double worldXToLon(double x, int zoom);
double worldYToLat(double y, int zoom);

} // namespace server
