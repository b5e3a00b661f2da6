#include "nav/GreatCircle.h"
#include "race/GreatCircle.h"
#include "race/Projection.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

constexpr double pi = 3.141592653589793;

// Inverse of the projection, so that the route points can be measured on the sphere.
GeoPoint metresToLatLon(const Metres& metres)
{
    double lon = metres.mx / mercatorHalfCircumference * 180;
    double lat = (2 * std::atan(std::exp(metres.my / mercatorHalfCircumference * pi)) - pi / 2) * 180 / pi;
    return {lat, lon};
}

double distance(const GeoPoint& a, const GeoPoint& b)
{
    return greatCircleDistance(a.lat, a.lon, b.lat, b.lon);
}

TEST(GreatCircleLeg, RoutePointsFollowTheGreatCircleInEqualSteps)
{
    const GeoPoint legs[][2] = {
        {{51.5, -0.12}, {40.71, -74.0}}, {{-60, -70}, {50, 100}}, {{80, 0}, {80, 180}}, {{-5, 350}, {5, 10}},
    };
    for (const auto& leg : legs) {
        const GeoPoint& from = leg[0];
        const GeoPoint& to = leg[1];
        SCOPED_TRACE(testing::Message() << from.lat << ", " << from.lon << " to " << to.lat << ", " << to.lon);
        std::vector<Metres> points = greatCirclePoints(from.lat, from.lon, to.lat, to.lon);
        ASSERT_GE(points.size(), 2u);

        Metres start = latLonToMetres(from.lat, from.lon);
        Metres end = latLonToMetres(to.lat, to.lon);
        EXPECT_EQ(start.mx, points.front().mx);
        EXPECT_EQ(start.my, points.front().my);
        EXPECT_EQ(end.mx, points.back().mx);
        EXPECT_EQ(end.my, points.back().my);

        double total = distance(from, to);
        size_t segments = points.size() - 1;
        // Near a pole the arcsine and the projection's round trip keep only about a
        // centimetre; a misplaced point is off by kilometres.
        for (size_t i = 1; i < segments; ++i) {
            GeoPoint point = metresToLatLon(points[i]);
            EXPECT_NEAR(total * i / segments, distance(from, point), 1e-3) << "point " << i;
            EXPECT_NEAR(total, distance(from, point) + distance(point, to), 1e-3) << "point " << i;
        }
    }
}

TEST(GreatCircleLeg, SegmentCountFollowsTheLength)
{
    struct Case {
        double kilometres;
        size_t segments;
    };
    const Case cases[] = {{0, 1}, {99, 1}, {150, 1}, {199.9, 1}, {200.1, 2}, {1000.5, 10}, {1099, 10}, {5050, 50}};
    for (const Case& c : cases) {
        double lon2 = c.kilometres / 6371 * 180 / pi;
        std::vector<Metres> points = greatCirclePoints(0, 0, 0, lon2);
        EXPECT_EQ(c.segments + 1, points.size()) << c.kilometres << " km";
    }
}

struct PixelCase {
    double lat, lon;
    int32_t zoom;
};

// The published web-Mercator tile formulas, as fractional world pixels.
double referenceColumn(double lon, int32_t zoom)
{
    return (lon + 180) / 360 * worldSize(zoom);
}

double referenceRow(double lat, int32_t zoom)
{
    return (1 - std::asinh(std::tan(lat * pi / 180)) / pi) / 2 * worldSize(zoom);
}

bool nearWholeNumber(double value)
{
    return std::fabs(value - std::round(value)) < 1e-6;
}

TEST(Projection, WorldPixelsMatchTheTileFormulas)
{
    const PixelCase cases[] = {
        {51.5, -0.12, 10}, {-33.86, 151.2, 12}, {40.71, -74.0, 15}, {85.0, 179.9, 3},  {-85.0, -179.9, 2},
        {60.17, 24.94, 7}, {0.001, 0.001, 15},  {-0.5, 0.5, 0},     {-70.3, -8.7, 11}, {23.4, 101.1, 6},
    };
    for (const PixelCase& c : cases) {
        double column = referenceColumn(c.lon, c.zoom);
        double row = referenceRow(c.lat, c.zoom);
        // A reference on a pixel boundary could round either way.
        ASSERT_FALSE(nearWholeNumber(column) || nearWholeNumber(row)) << c.lat << ", " << c.lon;
        WorldPixel pixel = latLonToWorldPixel(c.lat, c.lon, c.zoom);
        EXPECT_EQ(int32_t(std::floor(column)), pixel.px) << c.lat << ", " << c.lon << " at " << c.zoom;
        EXPECT_EQ(int32_t(std::floor(row)), pixel.py) << c.lat << ", " << c.lon << " at " << c.zoom;
    }
}

TEST(Projection, WrapsColumnsAndClampsRows)
{
    struct Case {
        double lat, lon;
        int32_t zoom;
        int32_t px, py;
    };
    const Case cases[] = {
        {0, 0, 6, 8192, 8192},        {0, 180, 6, 0, 8192},    {0, -180, 6, 0, 8192},
        {0, -90, 6, 4096, 8192},      {0, 270, 6, 4096, 8192}, {0, 360, 6, 8192, 8192},
        {0, 450.1, 2, 768, 512},      {0, 0, 0, 128, 128},     {0, 0, 15, 4194304, 4194304},
        {85.06, 10, 6, 8647, 0},      {89.9, 10, 6, 8647, 0},  {90, 0, 4, 2048, 0},
        {-85.06, 10, 6, 8647, 16384}, {-90, 0, 4, 2048, 4096}, {270, 0, 4, 2048, 4096},
        {350, 0, 6, 8192, latLonToWorldPixel(-10, 0, 6).py},
        // West of -180 the column is truncated towards zero before it wraps.
        {0, -190.1, 6, 15925, 8192},
    };
    for (const Case& c : cases) {
        WorldPixel pixel = latLonToWorldPixel(c.lat, c.lon, c.zoom);
        EXPECT_EQ(c.px, pixel.px) << c.lat << ", " << c.lon << " at " << c.zoom;
        EXPECT_EQ(c.py, pixel.py) << c.lat << ", " << c.lon << " at " << c.zoom;
    }
    EXPECT_GT(latLonToWorldPixel(85.04, 0, 6).py, 0);
    EXPECT_LT(latLonToWorldPixel(-85.04, 0, 6).py, 16384);
}

} // namespace
