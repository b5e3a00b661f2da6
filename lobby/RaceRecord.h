#pragma once

#include "boat/BoatDescription.h"
#include "boat/BoatRecord.h"

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

// One race as the client knows it, with the player's entry in it: the race number and the
// own boat's state (sail 0 until the player has a boat in the race). The boat description
// and the route come from requests of their own.
struct RaceRecord : RaceEntry {
    std::string name;
    std::string descr;
    std::string image;
    int32_t start = 0;
    bool active = false;
    BoatDescription boat;
    std::vector<Waypoint> route;
};

using RaceList = std::vector<RaceRecord>;

// Reads a race table into the record (all but the boat description and the route);
// false for a null table.
bool parseRaceRecord(const Table* table, RaceRecord& record);
// Reads the "race" table of a join answer text into the record; false, with the parse
// error on standard output, when the text is malformed or has no "race" table.
bool parseJoin(const std::string& text, RaceRecord& record);
// The races of a race-list answer text (the table text after "OK "), in key order.
// A malformed text is reported on standard output; the races before the fault are kept.
RaceList parseRaceList(const std::string& text);
// Replaces the route with the waypoints of a route answer text, in numeric key order;
// false when the answer has no "waypoints". The route is left as it was when the answer
// has no "waypoints" or raises Exception.
bool parseRoute(const std::string& text, std::vector<Waypoint>& route);
// "%Y-%m-%d %H:%M" in UTC.
std::string formatStartTime(int32_t seconds);
