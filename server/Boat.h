#pragma once

#include <cstdint>
#include <string>

namespace server {

// The state of one boat in one race. Computer-steered boats have user 0.
struct Boat {
    int64_t id = 0;
    int race = 0;
    int user = 0;
    std::string nick;
    double lat = 0.0;
    double lon = 0.0;
    double heading = 0.0;
    double speed = 0.0;
    int sail = 1;
    // Index of the next waypoint of the route to pass; 1 right after the start.
    int waypoint = 1;
    bool finished = false;
    int64_t finishTime = 0;
    bool grounded = false;
    // Place by progress along the route, from 1; 0 until the first ranking.
    int position = 0;
    double windDir = 0.0;
    double windSpeed = 0.0;

    bool robot() const { return user == 0; }
};

} // namespace server
