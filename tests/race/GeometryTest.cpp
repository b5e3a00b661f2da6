#include "nav/GreatCircle.h"
#include "race/GreatCircle.h"
#include "race/Projection.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

constexpr double pi = 3.141592653589793;

GeoPoint metresToLatLon(const Metres& metres)
{
    double lon = metres.mx / mercatorHalfCircumference * 180;
    double lat = (2 * std::atan(std::exp(metres.my / mercatorHalfCircumference * pi)) - pi / 2) * 180 / pi;
    return { lat, lon };
}

double distance(const GeoPoint& a, const GeoPoint& b)
{
    return greatCircleDistance(a.lat, a.lon, b.lat, b.lon);
}

TEST(GreatCircleLeg, PointsLieOnTheGreatCircleInEqualStepsOfAboutAHundredKilometres)
{
    const struct {
        GeoPoint from, to;
        size_t segments = 0; // 0: as many as the length gives
    } legs[] {
        { { 51.5, -0.12 }, { 40.71, -74.0 } }, { { -60, -70 }, { 50, 100 } }, { { 80, 0 }, { 80, 180 } },
        { { -5, 350 }, { 5, 10 } }, { { 0, 0 }, { 0, 0 }, 1 }, { { 0, 0 }, { 0, 199.9 / 6371 * 180 / pi }, 1 },
        { { 0, 0 }, { 0, 200.1 / 6371 * 180 / pi }, 2 }, { { 0, 0 }, { 0, 1099.0 / 6371 * 180 / pi }, 10 },
    };
    for (const auto& leg : legs) {
        SCOPED_TRACE(testing::Message() << leg.from.lat << ", " << leg.from.lon << " to " << leg.to.lat << ", " << leg.to.lon);
        std::vector<Metres> points = greatCirclePoints(leg.from.lat, leg.from.lon, leg.to.lat, leg.to.lon);
        double total = distance(leg.from, leg.to);
        size_t segments = points.size() - 1;
        EXPECT_EQ(segments, leg.segments ? leg.segments : size_t(total / 100));
        EXPECT_NEAR(distance(metresToLatLon(points.front()), leg.from), 0, 1e-3);
        EXPECT_NEAR(distance(metresToLatLon(points.back()), leg.to), 0, 1e-3);
        // Near a pole the projection's round trip keeps about a centimetre; a misplaced point
        // is off by kilometres.
        for (size_t i = 1; i < segments; ++i) {
            GeoPoint point = metresToLatLon(points[i]);
            EXPECT_NEAR(total * i / segments, distance(leg.from, point), 1e-3) << "point " << i;
            EXPECT_NEAR(total, distance(leg.from, point) + distance(point, leg.to), 1e-3) << "point " << i;
        }
    }
}

// The published web-Mercator tile formulas, as fractional world pixels.
TEST(Projection, WorldPixelsFollowTheTileFormulasWrapEastWestAndStopAtThePoles)
{
    const struct {
        double lat, lon;
        int32_t zoom;
        int32_t px, py; // -1: the tile formula's value
    } cases[] {
        { 51.5, -0.12, 10, -1, -1 }, { -33.86, 151.2, 12, -1, -1 }, { 40.71, -74.0, 15, -1, -1 }, { 85.0, 179.9, 3, -1, -1 },
        { -85.0, -179.9, 2, -1, -1 }, { 0.001, 0.001, 15, -1, -1 }, { -0.5, 0.5, 0, -1, -1 }, { -70.3, -8.7, 11, -1, -1 },
        { 0, 180, 6, 0, 8192 }, { 0, -180, 6, 0, 8192 }, { 0, 270, 6, 4096, 8192 }, { 0, 450.1, 2, 768, 512 },
        { 85.06, 10, 6, 8647, 0 }, { 90, 0, 4, 2048, 0 }, { -85.06, 10, 6, 8647, 16384 }, { -90, 0, 4, 2048, 4096 },
        // The south pole reached as latitude 270 after a great-circle step.
        { 270, 0, 4, 2048, 4096 },
        // West of -180 the column is truncated towards zero before it wraps.
        { 0, -190.1, 6, 15925, 8192 },
    };
    for (const auto& c : cases) {
        double size = 256.0 * std::pow(2, c.zoom);
        double column = (c.lon + 180) / 360 * size;
        double row = (1 - std::asinh(std::tan(c.lat * pi / 180)) / pi) / 2 * size;
        WorldPixel pixel = latLonToWorldPixel(c.lat, c.lon, c.zoom);
        EXPECT_EQ(pixel.px, c.px < 0 ? int32_t(std::floor(column)) : c.px) << c.lat << ", " << c.lon << " at " << c.zoom;
        EXPECT_EQ(pixel.py, c.py < 0 ? int32_t(std::floor(row)) : c.py) << c.lat << ", " << c.lon << " at " << c.zoom;
    }
}

} // namespace
