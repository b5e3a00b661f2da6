#pragma once

#include "boat/CommandState.h"

#include <SDL.h>

#include <cstdint>
#include <string>

class Table;
struct BoatDescription;

// The state of one boat: the player's own as the server reports it in the race list and the
// position answers or as the boat control panel edits it, or one of the others as the boats
// answer reports them. A copyable value.
struct BoatRecord {
    double lat = 0.0;
    double lon = 0.0;
    // The owner's user number; -1 for the own boat on the race screen.
    int32_t user = 0;
    double heading = 0.0;
    // As the server reports it, or as predicted from the polar while a change is pending.
    double speed = 0.0;
    // 0 in a race record until the player has a boat in the race.
    int32_t sail = 0;
    // The own boat's heading or sail was changed and not yet submitted.
    bool pending = false;
    // The race screen's own boat refers to the race's description; null everywhere else.
    const BoatDescription* boat = nullptr;
    double windDir = 0.0;
    double windSpeed = 0.0;
    std::string nick;
    // Place in the race; 0 means none.
    int32_t position = 0;
    bool grounded = false;
    int32_t waypoint = 0;
    bool finished = false;
};

// The player's entry in a race: the race number that every request about it carries, and
// the own boat as the server last reported it. The boat panels steer against it and
// follow the last heading command.
struct RaceEntry {
    int32_t id = 0;
    BoatRecord own;
    CommandState command;
};

// The colour of every text on the race screen. Text drawing ignores the alpha byte, so
// the texts come out opaque black.
extern const SDL_Color textColour;

// Reads the keys that the race list, the boats answer and the position answer share:
// "position", "lat", "lon", "grounded", "heading", "speed", "waypoint", "finished", in that
// order. A key of the wrong kind raises the conversion Exception with the keys before it
// already stored.
void readBoatState(const Table& table, BoatRecord& boat);

// Copies what the player steers: heading, sail and the speed that goes with them.
void copySteering(const BoatRecord& from, BoatRecord& to);

// The speed the polar of the boat's sail gives at its heading and wind; 0.0 without a
// boat description.
double predictedSpeed(const BoatRecord& boat);
