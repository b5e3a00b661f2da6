#pragma once

#include "boat/BoatDescription.h"

#include <cstdint>
#include <string>
#include <vector>

class Table;

// One point of a race route; type 2 is a gate of half-width dst kilometres across hdg.
struct Waypoint {
    double lat = 0.0;
    double lon = 0.0;
    double hdg = 0.0;
    double dst = 0.0;
    int32_t type = 0;
};

// One race as the client knows it, with the state of the player's own boat in it.
// The boat description and the route come from requests of their own.
struct RaceRecord {
    int32_t id = 0;
    std::string name;
    std::string descr;
    std::string image;
    int32_t start = 0;
    bool active = false;
    double lat = 0.0;
    double lon = 0.0;
    int32_t position = 0;
    bool grounded = false;
    double heading = 0.0;
    double speed = 0.0;
    int32_t waypoint = 0;
    bool finished = false;
    // 0 until the player has a boat in the race.
    int32_t sail = 0;
    double windSpeed = 0.0;
    double windDir = 0.0;
    BoatDescription boat;
    std::vector<Waypoint> route;
    std::string nick;
};

using RaceList = std::vector<RaceRecord>;

// Reads a race table into the record (all but the boat description and the route);
// false for a null table.
bool parseRaceRecord(const Table* table, RaceRecord& record);
// The races of a race-list answer text (the table text after "OK "), in key order.
// A malformed text is reported on standard output; the races before the fault are kept.
RaceList parseRaceList(const std::string& text);
// Appends the waypoints of a route answer text in numeric key order; false when the
// answer has no "waypoints".
bool parseRoute(const std::string& text, std::vector<Waypoint>& route);
// "%Y-%m-%d %H:%M" in UTC.
std::string formatStartTime(int32_t seconds);
