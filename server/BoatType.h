#pragma once

#include "nav/Polar.h"

#include <map>
#include <string>

namespace server {

// The one boat type sailed in every race: sail 1 is the jib, sail 2 the spinnaker.
struct BoatType {
    std::string id;
    std::string name;
    std::map<int, Polar> sails;

    // Speed on a heading in the given wind (direction it comes from); 0 for an unknown sail.
    double boatSpeed(int sail, double heading, double windDir, double windSpeed) const;
    bool hasSail(int sail) const { return sails.count(sail) != 0; }
};

enum SailNumber {
    Jib = 1,
    Spinnaker = 2,
};

const BoatType& standardBoat();

} // namespace server
