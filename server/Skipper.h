#pragma once

#include "server/Boat.h"
#include "server/BoatType.h"
#include "server/Route.h"
#include "server/WindField.h"

namespace server {

class LandMask;

struct Course {
    double heading = 0.0;
    int sail = Jib;
};

// Steers a computer boat: the heading and sail with the best velocity made good towards
// the next waypoint. A boat that ran aground takes the best course that frees it.
class Skipper {
public:
    Skipper(const BoatType& boat, const LandMask* land)
        : boat(boat)
        , land(land)
    {
    }

    Course choose(const Boat& current, const Waypoint& target, const Wind& wind, double stepKm) const;

private:
    double velocityMadeGood(const Course& course, double bearing, const Wind& wind) const;

    const BoatType& boat;
    const LandMask* land;
};

} // namespace server
