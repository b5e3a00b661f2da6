#pragma once

#include "nav/GreatCircle.h"

#include <string>
#include <vector>

namespace server {

enum WaypointType {
    MarkWaypoint = 1,
    GateWaypoint = 2,
};

// One point of a route. A mark is passed by coming within dst kilometres of it; a gate is
// the line between the two points dst kilometres from the centre along hdg and hdg - 180,
// and is passed by crossing it.
struct Waypoint {
    double lat = 0.0;
    double lon = 0.0;
    double hdg = 0.0;
    double dst = 1.0;
    int type = MarkWaypoint;

    GeoPoint centre() const { return { lat, lon }; }
    GeoPoint gateEnd(bool first) const;
};

struct Race {
    int id = 0;
    std::string name;
    std::string descr;
    // The picture's path on this server, for example "/images/race-1.png".
    std::string imagePath;
    int64_t start = 0;
    // Waypoint 0 is the start line; the last waypoint is the finish.
    std::vector<Waypoint> route;
};

// True when the step from `from` to `to` passes the waypoint.
bool passesWaypoint(const Waypoint& waypoint, const GeoPoint& from, const GeoPoint& to);

} // namespace server
