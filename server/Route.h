#pragma once

#include "nav/Waypoint.h"

#include <string>
#include <vector>

namespace server {

using Waypoint = RouteWaypoint;

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

} // namespace server
