#include "nav/GreatCircle.h"
#include "race/GreatCircle.h"
#include "race/Projection.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr double pi = 3.141592653589793, degree = 6371 * pi / 180; // a degree in kilometres along a great circle

// A route point back on the sphere: the distances from both ends of its leg.
std::pair<double, double> distances(const Metres& metres, const GeoPoint& from, const GeoPoint& to)
{
    double lon = metres.mx / mercatorHalfCircumference * 180, lat = (2 * std::atan(std::exp(metres.my / mercatorHalfCircumference * pi)) - pi / 2) * 180 / pi;
    return { greatCircleDistance(from.lat, from.lon, lat, lon), greatCircleDistance(lat, lon, to.lat, to.lon) };
}

// Near a pole the projection's round trip keeps about a centimetre; a misplaced point is off
// by kilometres.
TEST(GreatCircleLeg, PointsLieOnTheGreatCircleInEqualStepsOfAboutAHundredKilometres)
{
    for (auto [from, to, segments] : std::initializer_list<std::tuple<GeoPoint, GeoPoint, size_t>> {
             { { 51.5, -0.12 }, { 40.71, -74.0 }, 55 }, { { 80, 0 }, { 80, 180 }, 22 }, { { -5, 350 }, { 5, 10 }, 24 },
             { { 0, 0 }, { 0, 0 }, 1 }, { { 0, 0 }, { 0, 199.9 / degree }, 1 }, { { 0, 0 }, { 0, 200.1 / degree }, 2 } }) {
        std::vector<Metres> points = greatCirclePoints(from.lat, from.lon, to.lat, to.lon);
        double total = greatCircleDistance(from.lat, from.lon, to.lat, to.lon);
        ASSERT_EQ(points.size(), segments + 1) << from.lat << ", " << from.lon << " to " << to.lat << ", " << to.lon;
        for (size_t i = 0; i <= segments; ++i) {
            auto [fromStart, toEnd] = distances(points[i], from, to);
            EXPECT_NEAR(fromStart, total * i / segments, 1e-3) << "point " << i << " to " << to.lat << ", " << to.lon;
            EXPECT_NEAR(toEnd, total - fromStart, 1e-3) << "point " << i << " to " << to.lat << ", " << to.lon;
        }
    }
}

// Pixels from the published web-Mercator tile formulas, east-west wrapping and the poles.
TEST(Projection, WorldPixelsFollowTheTileFormulasWrapEastWestAndStopAtThePoles)
{
    for (auto [lat, lon, zoom, px, py] : std::initializer_list<std::tuple<double, double, int32_t, int32_t, int32_t>> {
             { 51.5, -0.12, 10, 130984, 87178 }, { -33.86, 151.2, 12, 964689, 629211 }, { 40.71, -74.0, 15, 2469979, 3154041 },
             { 85.0, 179.9, 3, 2047, 3 }, { -85.0, -179.9, 2, 0, 1022 }, { -70.3, -8.7, 11, 249473, 408239 },
             { 0, 180, 6, 0, 8192 }, { 0, -180, 6, 0, 8192 }, { 0, 270, 6, 4096, 8192 }, { 0, 450.1, 2, 768, 512 },
             { 85.06, 10, 6, 8647, 0 }, { 90, 0, 4, 2048, 0 }, { -85.06, 10, 6, 8647, 16384 }, { -90, 0, 4, 2048, 4096 },
             // The south pole reached as latitude 270 after a great-circle step; west of -180
             // the column is truncated towards zero before it wraps.
             { 270, 0, 4, 2048, 4096 }, { 0, -190.1, 6, 15925, 8192 } }) {
        WorldPixel pixel = latLonToWorldPixel(lat, lon, zoom);
        EXPECT_EQ(std::pair(pixel.px, pixel.py), std::pair(px, py)) << lat << ", " << lon << " at " << zoom;
    }
}

}
