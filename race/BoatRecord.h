#pragma once

#include <SDL.h>

#include <cstdint>
#include <string>

struct BoatDescription;

// The state of one boat on the race screen: the own boat, or one of the others as
// downloaded. A copyable value.
struct BoatRecord {
    double lat = 0.0;
    double lon = 0.0;
    // The owner's user number; -1 for the own boat.
    int32_t user = 0;
    double heading = 0.0;
    // As the server reports it, or as predicted from the polar while a change is pending.
    double speed = 0.0;
    int32_t sail = 0;
    // The own boat's heading or sail was changed and not yet submitted.
    bool pending = false;
    // The own boat's description, owned by the race record; null in downloaded records.
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

// The colour of every text on the race screen. Text drawing ignores the alpha byte, so
// the texts come out opaque black.
extern const SDL_Color textColour;

// The speed the polar of the boat's sail gives at its heading and wind; 0.0 without a
// boat description.
double predictedSpeed(const BoatRecord& boat);
