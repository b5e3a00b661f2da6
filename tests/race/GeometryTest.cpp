#include "race/GreatCircle.h"
#include "race/Projection.h"

#include <GeographicLib/Geodesic.hpp>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

constexpr double pi = 3.141592653589793;
constexpr double relativeTolerance = 1e-9;

// GeographicLib on a sphere of the same radius is the reference for the great circles.
const GeographicLib::Geodesic& sphere()
{
    static const GeographicLib::Geodesic geodesic(6371000.0, 0.0);
    return geodesic;
}

// The difference of two angles in degrees, taken the short way round.
double angleDifference(double a, double b)
{
    double difference = std::fmod(a - b, 360.0);
    if (difference > 180)
        difference -= 360;
    if (difference <= -180)
        difference += 360;
    return difference;
}

void expectSameAngle(double expected, double actual, const char* what)
{
    double tolerance = relativeTolerance * std::max(1.0, std::fabs(expected));
    EXPECT_LE(std::fabs(angleDifference(actual, expected)), tolerance) << what << ": " << expected << " vs " << actual;
}

void expectInFullCircle(double angle)
{
    EXPECT_GE(angle, 0.0);
    EXPECT_LT(angle, 360.0);
}

TEST(DestinationPoint, MatchesTheSphericalReference)
{
    struct Case {
        double lat, lon, bearing, distance;
    };
    const Case cases[] = {
        {0, 0, 90, 100},         {0, 0, 270, 10},        {45, 5, 30, 500},     {-33.9, 18.4, 200, 3000},
        {51.5, -0.1, 300, 5500}, {-45, 170, 120, 2500},  {10, -60, 45, 12000}, {60, 20, 0, 2000},
        {-10, 100, 180, 1000},   {30, -40, 359, 800},    {0, 179.5, 90, 200},  {20, 350, 60, 300},
        {-70, -120, 250, 4000},  {5, 5, 135, 0.05},      {12, 34, 77, 0},      {40, 10, 90, 19000},
    };
    for (const Case& c : cases) {
        double lat2 = 0, lon2 = 0;
        sphere().Direct(c.lat, c.lon, c.bearing, c.distance * 1000, lat2, lon2);
        GeoPoint point = destinationPoint(c.lat, c.lon, c.bearing, c.distance);
        SCOPED_TRACE(testing::Message() << c.lat << ", " << c.lon << " along " << c.bearing << " for " << c.distance);
        expectInFullCircle(point.lat);
        expectInFullCircle(point.lon);
        expectSameAngle(lat2, point.lat, "latitude");
        expectSameAngle(lon2, point.lon, "longitude");
    }
}

TEST(DestinationPoint, WrapsIntoTheFullCircle)
{
    GeoPoint west = destinationPoint(0, 0, 270, 10);
    EXPECT_GT(west.lon, 359.9);
    EXPECT_LT(west.lon, 360.0);
    expectInFullCircle(west.lat);
    EXPECT_LT(std::fabs(angleDifference(west.lat, 0)), 1e-12);

    GeoPoint pole = destinationPoint(0, 0, 0, 6371 * pi / 2);
    EXPECT_NEAR(90.0, pole.lat, 1e-12);

    GeoPoint south = destinationPoint(0, 0, 180, 1000);
    EXPECT_GT(south.lat, 270.0);
    EXPECT_LT(south.lat, 360.0);
}

struct Leg {
    double lat1, lon1, lat2, lon2;
};

const Leg legs[] = {
    {0, 0, 0, 1},           {51.5, -0.12, 40.71, -74.0}, {-33.86, 151.2, -36.85, 174.76},
    {10, 10, 10.001, 10.001}, {35.68, 139.69, 37.77, -122.42}, {-60, -70, 50, 100},
    {45, 5, 45, 6},         {0, 0, 0, 179},              {80, 0, 80, 180},
    {-5, 350, 5, 10},
};

TEST(GreatCircleLeg, DistanceAndBearingMatchTheSphericalReference)
{
    for (const Leg& leg : legs) {
        double metres = 0, azimuth1 = 0, azimuth2 = 0;
        sphere().Inverse(leg.lat1, leg.lon1, leg.lat2, leg.lon2, metres, azimuth1, azimuth2);
        SCOPED_TRACE(testing::Message() << leg.lat1 << ", " << leg.lon1 << " to " << leg.lat2 << ", " << leg.lon2);

        double distance = greatCircleDistance(leg.lat1, leg.lon1, leg.lat2, leg.lon2);
        EXPECT_NEAR(metres / 1000, distance, relativeTolerance * metres / 1000);

        double bearing = initialBearing(leg.lat1, leg.lon1, leg.lat2, leg.lon2);
        expectInFullCircle(bearing);
        expectSameAngle(azimuth1, bearing, "bearing");
    }
}

// Inverse of the projection, so that the route points can be measured on the sphere.
GeoPoint metresToLatLon(const Metres& metres)
{
    double lon = metres.mx / mercatorHalfCircumference * 180;
    double lat = (2 * std::atan(std::exp(metres.my / mercatorHalfCircumference * pi)) - pi / 2) * 180 / pi;
    return {lat, lon};
}

double referenceDistance(const GeoPoint& a, const GeoPoint& b)
{
    double metres = 0;
    sphere().Inverse(a.lat, a.lon, b.lat, b.lon, metres);
    return metres / 1000;
}

TEST(GreatCircleLeg, RoutePointsFollowTheGreatCircleInEqualSteps)
{
    for (const Leg& leg : legs) {
        SCOPED_TRACE(testing::Message() << leg.lat1 << ", " << leg.lon1 << " to " << leg.lat2 << ", " << leg.lon2);
        std::vector<Metres> points = greatCirclePoints(leg.lat1, leg.lon1, leg.lat2, leg.lon2);
        ASSERT_GE(points.size(), 2u);

        Metres start = latLonToMetres(leg.lat1, leg.lon1);
        Metres end = latLonToMetres(leg.lat2, leg.lon2);
        EXPECT_EQ(start.mx, points.front().mx);
        EXPECT_EQ(start.my, points.front().my);
        EXPECT_EQ(end.mx, points.back().mx);
        EXPECT_EQ(end.my, points.back().my);

        GeoPoint from{leg.lat1, leg.lon1};
        GeoPoint to{leg.lat2, leg.lon2};
        double total = referenceDistance(from, to);
        size_t segments = points.size() - 1;
        EXPECT_EQ(total < 200 ? 1u : size_t(total / 100), segments);
        // Near a pole the arcsine and the projection's round trip keep only about a
        // centimetre; a misplaced point is off by kilometres.
        for (size_t i = 1; i < segments; ++i) {
            GeoPoint point = metresToLatLon(points[i]);
            EXPECT_NEAR(total * i / segments, referenceDistance(from, point), 1e-3) << "point " << i;
            EXPECT_NEAR(total, referenceDistance(from, point) + referenceDistance(point, to), 1e-3) << "point " << i;
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
