#pragma once

#include <cstdint>

// The spherical Mercator projection of the map tiles, on a sphere of radius 6378137 m.

// Half the circumference in metres (pi * 6378137).
constexpr double mercatorHalfCircumference = 20037508.342789244;
constexpr double mercatorCircumference = 40075016.68557849;

// Projected metres, x east and y north of the intersection of equator and meridian 0.
struct Metres {
    double mx;
    double my;
};

// Pixels of the whole world at one zoom level, origin at the top-left corner.
struct WorldPixel {
    int32_t px;
    int32_t py;
};

// Side of the world square in pixels at a zoom level: 256 * 2^zoom, for zoom 0 to 22.
int32_t worldSize(int32_t zoom);

Metres latLonToMetres(double lat, double lon);

// The column wraps into [0, worldSize), since the world repeats east and west; the row is
// clamped to [0, worldSize], so latitudes beyond about 85.05 degrees stay on the edge.
WorldPixel metresToWorldPixel(double mx, double my, int32_t zoom);

WorldPixel latLonToWorldPixel(double lat, double lon, int32_t zoom);

// The column of px's copy (px moved by whole world widths) nearest to column centre. The
// world repeats east and west, so a point is drawn at its copy nearest the view.
int32_t nearestCopy(int32_t px, int32_t centre, int32_t world);
