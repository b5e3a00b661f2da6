#pragma once

#include "nav/GreatCircle.h"

enum WaypointType {
    MarkWaypoint = 1,
    GateWaypoint = 2,
};

// One point of a race route. A gate is the line between the two points dst kilometres
// from the centre along hdg and hdg - 180, and is passed by crossing it either way; any
// other type is a mark, passed by coming within dst kilometres of it.
struct RouteWaypoint {
    double lat = 0.0;
    double lon = 0.0;
    double hdg = 0.0;
    double dst = 1.0;
    int type = MarkWaypoint;

    GeoPoint centre() const { return { lat, lon }; }
    GeoPoint gateEnd(bool first) const;
};

// True when the straight step from `from` to `to` passes the waypoint. The step is taken
// flat around the waypoint, which suits steps of up to some tens of kilometres.
bool passesWaypoint(const RouteWaypoint& waypoint, const GeoPoint& from, const GeoPoint& to);

// How far along a step that passes the waypoint it is passed, from 0 at `from` to 1 at
// `to`: where the step crosses the gate or first comes within reach of the mark.
double passingFraction(const RouteWaypoint& waypoint, const GeoPoint& from, const GeoPoint& to);
