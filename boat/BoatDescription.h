#pragma once

#include "nav/Polar.h"

#include <cstdint>
#include <map>
#include <string>

// The boat type of a race: its name and one polar per sail, ordered by sail number
// (1 is the jib, 2 the spinnaker).
struct BoatDescription {
    std::string id;
    std::string name;
    std::map<int32_t, Polar> sails;
};

// Parses the boat description answer. Raises Exception when the text is malformed or a
// field has the wrong kind. A sail without a polar gets an empty one.
BoatDescription parseBoatDescription(const std::string& text);

// Predicted speed on a heading for a wind from windDir (both in degrees); 0.0 when the
// description has no polar for the sail.
double boatSpeed(const BoatDescription& description, int32_t sail, double heading, double windDir,
    double windSpeed);
