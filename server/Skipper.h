#pragma once

#include "router/Router.h"
#include "server/Boat.h"
#include "server/BoatType.h"
#include "server/Route.h"
#include "server/WindField.h"

#include <cstdint>
#include <vector>

namespace server {

class LandMask;

struct Course {
    double heading = 0.0;
    int sail = Jib;
};

// A computer boat's route to its next waypoint: the legs it follows, the hours sailed
// since it planned them and the hours after which it plans again.
struct SkipperPlan {
    std::vector<RoutePoint> legs;
    double sailed = 0.0;
    double renew = 0.0;
    int waypoint = -1;
};

// Steers a computer boat. Every few hours it plans the fastest route a short way ahead
// towards the next waypoint, clear of land, and follows that route's legs between times;
// each skipper keeps its own small lag and heading offset, so that a fleet spreads out.
// Without a route it takes the best velocity made good; a course that would run onto land
// gives way to the best course that stays off it.
class Skipper {
public:
    Skipper(const BoatType& boat, const WindSource& wind, const LandMask* land);

    // The course for a step of the given seconds of sailing, at a time when the wind
    // moves on by `windRate` seconds per second sailed.
    Course steer(const Boat& current, SkipperPlan& plan, const Waypoint& target, int64_t time, double windRate,
        const Wind& wind, double sailSeconds) const;
    // The best velocity made good, or when aground the best course that frees the boat.
    Course choose(const Boat& current, const Waypoint& target, const Wind& wind, double sailSeconds) const;

private:
    void replan(const Boat& current, SkipperPlan& plan, const Waypoint& target, int64_t time, double windRate) const;
    bool planned(const Boat& current, const SkipperPlan& plan, Course& course) const;
    Course clearOfLand(const Boat& current, double bearing, const Wind& wind, double sailSeconds) const;
    bool blocked(const Boat& current, const Course& course, const Wind& wind, double sailSeconds) const;
    double velocityMadeGood(const Course& course, double bearing, const Wind& wind) const;

    const BoatType& boat;
    const WindSource& wind;
    const LandMask* land;
};

} // namespace server
