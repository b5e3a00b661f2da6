#include "nav/Waypoint.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr double kmPerDegree = 6371.0 * 3.141592653589793 / 180.0;
const GeoPoint centre { 40.0, -35.0 };

// A point some kilometres east and north of the centre.
GeoPoint at(double east, double north) { return { centre.lat + north / kmPerDegree, centre.lon + east / (kmPerDegree * std::cos(centre.lat * 3.141592653589793 / 180.0)) }; }

TEST(Waypoint, GatesAreCrossedEitherWayAndMarksReachedWithinTheirDistance)
{
    const RouteWaypoint northSouthGate { centre.lat, centre.lon, 0.0, 2.0, GateWaypoint }, eastWestGate { centre.lat, centre.lon, 90.0, 2.0, GateWaypoint };
    const RouteWaypoint mark { centre.lat, centre.lon, 0.0, 1.0, MarkWaypoint }, untyped { centre.lat, centre.lon, 0.0, 2.0, 0 };
    // What, the waypoint, a leg from (x1, y1) to (x2, y2) km from its centre, whether the leg
    // passes it and at which fraction of its length.
    const std::tuple<const char*, const RouteWaypoint&, double, double, double, double, bool, double> cases[] = {
        { "gate, through the middle", northSouthGate, -1, 0, 1, 0, true, 0.5 }, { "gate, the other way", northSouthGate, 1, 0, -1, 0, true, 0.5 },
        { "gate, near its north end", northSouthGate, -1, 1.9, 3, 1.9, true, 0.25 }, { "gate, beyond its north end", northSouthGate, -1, 2.1, 1, 2.1, false, 0 },
        { "gate, beyond its south end", northSouthGate, -1, -2.1, 1, -2.1, false, 0 }, { "gate, short of the line", northSouthGate, -3, 0, -1, 0, false, 0 },
        { "gate, alongside the line", northSouthGate, 0.5, -3, 0.5, 3, false, 0 }, { "gate, along the line", northSouthGate, 0, -3, 0, 3, false, 0 },
        { "gate, standing still on it", northSouthGate, 0, 0, 0, 0, false, 0 }, { "gate along 90, crossed northward", eastWestGate, 0.3, -1, 0.3, 3, true, 0.25 },
        { "gate along 90, passed to the east", eastWestGate, 2.2, -1, 2.2, 1, false, 0 }, { "mark, passed within reach", mark, -3, 0.5, 3, 0.5, true, (3 - std::sqrt(0.75)) / 6 },
        { "mark, passed out of reach", mark, -3, 1.5, 3, 1.5, false, 0 }, { "mark, passed diagonally", mark, -4, -3, 2, 3, true, 0.5 }, { "mark, short of it", mark, -3, 0, -2, 0, false, 0 },
        { "mark, ending within reach", mark, -2, 0, -0.5, 0, true, 1 / 1.5 }, { "mark, leaving from within reach", mark, 0.2, 0.2, 5, 5, true, 0 },
        { "mark, standing still within reach", mark, 0.5, 0, 0.5, 0, true, 0 }, { "any other type is a mark", untyped, -3, 1, 3, 1, true, (3 - std::sqrt(3.0)) / 6 }
    };
    for (const auto& [what, waypoint, x1, y1, x2, y2, passes, fraction] : cases) {
        GeoPoint from = at(x1, y1), to = at(x2, y2);
        EXPECT_EQ(passes, passesWaypoint(waypoint, from, to)) << what;
        EXPECT_NEAR(fraction, passes ? passingFraction(waypoint, from, to) : 0.0, 1e-4) << what;
    }
}

} // namespace
