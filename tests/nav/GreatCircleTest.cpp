#include "nav/GreatCircle.h"

#include "nav/Angles.h"
#include "nav/RhumbLine.h"

#include <GeographicLib/Geodesic.hpp>
#include <GeographicLib/Rhumb.hpp>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

constexpr double pi = 3.141592653589793;
constexpr double relativeTolerance = 1e-9;

// GeographicLib on a sphere of the same radius is the reference for the great circles and
// rhumb lines.
const GeographicLib::Geodesic sphere(6371000.0, 0.0);
const GeographicLib::Rhumb rhumb(6371000.0, 0.0);

// Two angles in degrees compared the short way round.
void expectSameAngle(double expected, double actual, const char* what)
{
    double tolerance = relativeTolerance * std::max(1.0, std::fabs(expected));
    EXPECT_LE(std::fabs(std::remainder(actual - expected, 360.0)), tolerance) << what << ": " << expected << " vs " << actual;
}

void expectInFullCircle(double angle) { EXPECT_TRUE(angle >= 0.0 && angle < 360.0) << angle; }

TEST(Angles, ComeIntoTheirRanges)
{
    // The angle, then intoFullCircle (one turn at most), normalizeDegrees and normalizeLongitude of it.
    const double cases[][4] = { { -10, 350, 350, -10 }, { 180, 180, 180, -180 }, { -725, -365, 355, -5 }, { 720, 360, 0, 0 }, { -1e-14, 0, 0, 0 } };
    for (const auto& [angle, full, normalized, longitude] : cases)
        EXPECT_EQ(std::tuple(full, normalized, longitude), std::tuple(intoFullCircle(angle), normalizeDegrees(angle), normalizeLongitude(angle))) << angle;
}

TEST(Destination, MatchesTheSphericalReference)
{
    // A start, a bearing and a distance in kilometres. Southern and western results come out
    // above 270 and just below 360 for the chart.
    const double cases[][4] = { { 0, 0, 90, 100 }, { 0, 0, 270, 10 }, { 45, 5, 30, 500 }, { -33.9, 18.4, 200, 3000 }, { 51.5, -0.1, 300, 5500 },
        { -45, 170, 120, 2500 }, { 10, -60, 45, 12000 }, { 60, 20, 0, 2000 }, { -10, 100, 180, 1000 }, { 30, -40, 359, 800 },
        { 0, 179.5, 90, 200 }, { 20, 350, 60, 300 }, { -70, -120, 250, 4000 }, { 5, 5, 135, 0.05 }, { 12, 34, 77, 0 },
        { 40, 10, 90, 19000 }, { 0, 0, 0, 6371 * pi / 2 } };
    for (const auto& [lat, lon, bearing, km] : cases) {
        double lat2 = 0, lon2 = 0;
        sphere.Direct(lat, lon, bearing, km * 1000, lat2, lon2);
        SCOPED_TRACE(testing::Message() << lat << ", " << lon << " along " << bearing << " for " << km);
        GeoPoint point = destinationPoint(lat, lon, bearing, km);
        expectInFullCircle(point.lat);
        expectInFullCircle(point.lon);
        expectSameAngle(lat2, point.lat, "latitude");
        expectSameAngle(lon2, point.lon, "longitude");
        GeoPoint signedPoint = destination({ lat, lon }, bearing, km);
        EXPECT_NEAR(lat2, signedPoint.lat, relativeTolerance * 90);
        EXPECT_NEAR(lon2, signedPoint.lon, relativeTolerance * 180);
    }
}

TEST(GreatCircleLeg, DistanceAndBearingOfGreatCirclesAndRhumbLinesMatchTheSphericalReference)
{
    const double legs[][4] = { { 0, 0, 0, 1 }, { 51.5, -0.12, 40.71, -74.0 }, { -33.86, 151.2, -36.85, 174.76 }, { 0, 0, 0, 179 },
        { 35.68, 139.69, 37.77, -122.42 }, { 10, 10, 10.001, 10.001 }, { 80, 0, 80, 180 }, { -60, -70, 50, 100 }, { -5, 350, 5, 10 } };
    for (const auto& [lat1, lon1, lat2, lon2] : legs) {
        double metres = 0, azimuth1 = 0, azimuth2 = 0;
        sphere.Inverse(lat1, lon1, lat2, lon2, metres, azimuth1, azimuth2);
        SCOPED_TRACE(testing::Message() << lat1 << ", " << lon1 << " to " << lat2 << ", " << lon2);
        EXPECT_NEAR(metres / 1000, greatCircleDistance(lat1, lon1, lat2, lon2), relativeTolerance * metres / 1000);
        double bearing = initialBearing(lat1, lon1, lat2, lon2);
        expectInFullCircle(bearing);
        expectSameAngle(azimuth1, bearing, "bearing");
    }
    const double courses[][4] = { { 0, 0, 90, 1000 }, { 45, -35, 30, 500 }, { 60, 20, 90, 800 }, { -33.9, 18.4, 250, 5000 }, { 50, 170, 80, 2000 },
        { 10, -60, 0, 3000 }, { -40, -179.5, 270, 300 }, { 5, 5, 135, 0.05 } };
    for (const auto& [lat, lon, course, km] : courses) {
        SCOPED_TRACE(testing::Message() << lat << ", " << lon << " along " << course << " for " << km);
        double lat2 = 0, lon2 = 0;
        rhumb.Direct(lat, lon, course, km * 1000, lat2, lon2);
        GeoPoint point = rhumbDestination({ lat, lon }, course, km);
        EXPECT_NEAR(lat2, point.lat, 1e-9 * 90);
        expectSameAngle(lon2, point.lon, "longitude");
        double metres = 0, azimuth = 0;
        rhumb.Inverse(lat, lon, lat2, lon2, metres, azimuth);
        double bearing = rhumbBearing({ lat, lon }, point);
        expectInFullCircle(bearing);
        expectSameAngle(azimuth, bearing, "bearing");
    }
    // A course over the pole stops just short of it.
    GeoPoint polar = rhumbDestination({ 89.99, 30 }, 10, 500);
    EXPECT_TRUE(std::fabs(polar.lat - 89.999) < 1e-9 && std::isfinite(polar.lon)) << polar.lat << ", " << polar.lon;
}

} // namespace
