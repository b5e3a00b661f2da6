#pragma once

#include "router/Router.h"
#include "server/Boat.h"
#include "server/BoatType.h"
#include "server/PlanCache.h"
#include "server/Route.h"
#include "server/WindField.h"

#include <array>
#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

namespace server {

class LandMask;

struct Course {
    double heading = 0.0;
    int sail = Jib;
    // Set when a step on this course in the wind steered by was found clear of the land.
    bool clear = false;
};

// A computer boat's route to its next waypoint: the legs it follows, the hours sailed
// since it took them and the hours after which it plans again.
struct SkipperPlan {
    SharedLegs legs;
    double sailed = 0.0;
    double renew = 0.0;
    int waypoint = -1;
    // Set when the route led too close to the shore or ended short of the waypoint: the
    // next route is the boat's own, planned from where it is, not one shared nearby.
    bool own = false;
    // Set while the route asked for is planned apart from the step.
    bool pending = false;
};

// Steers a computer boat. Every few hours it plans the fastest route a short way ahead
// towards the next waypoint, clear of land, and follows that route's legs between times;
// boats near each other share routes (see PlanCache), and each skipper keeps its own
// small lag and heading offset, so that a fleet spreads out.
// Without a route it takes the best velocity made good; a course that would run onto land
// gives way to the best course that stays off it.
class Skipper {
public:
    Skipper(const BoatType& boat, const LandMask* land);
    // The routes shared so far; for tests and measurements.
    const PlanCache& sharedRoutes() const { return shared; }

    // Asks for a route to be planned apart from the step; true when the boat's own.
    using AskRoute = std::function<void(bool own)>;

    // The course for a step of the given seconds of sailing at the time; `forecast` is the
    // wind from then on as the router reads it, in hours sailed. With `ask`, a route that
    // none nearby has planned is asked for instead of planned, and the plan stays pending
    // until the caller hands in the answer.
    Course steer(const Boat& current, SkipperPlan& plan, const Waypoint& target, int64_t time, const WindSampler& forecast,
        const Wind& wind, double sailSeconds, const AskRoute* ask = nullptr) const;
    // A route towards the target: the boat's own, or else the one shared from its patch.
    SharedLegs route(const Boat& current, const Waypoint& target, int64_t time, const WindSampler& forecast, bool own) const;
    // The best velocity made good, or when aground the best course that frees the boat.
    Course choose(const Boat& current, const Waypoint& target, const Wind& wind, double sailSeconds) const;

private:
    static constexpr double headingStep = 5.0;
    static constexpr size_t headingSteps = 72;
    // Every heading in steps of headingStep with each sail, and its velocity made good.
    using Candidates = std::array<std::pair<double, Course>, 2 * headingSteps>;

    Candidates candidateCourses(double bearing, const Wind& wind) const;
    void replan(const Boat& current, SkipperPlan& plan, const Waypoint& target, int64_t time, const WindSampler& forecast,
        const AskRoute* ask) const;
    SharedLegs planFrom(const Boat& current, const Waypoint& target, const WindSampler& forecast) const;
    bool shareable(const Boat& current) const;
    static double patchFor(const Boat& current, const Waypoint& target);
    bool planned(const Boat& current, const SkipperPlan& plan, Course& course) const;
    Course clearOfLand(const Boat& current, double bearing, const Wind& wind, double sailSeconds) const;
    bool blocked(const Boat& current, const Course& course, const Wind& wind, double sailSeconds) const;
    double velocityMadeGood(const Course& course, double bearing, const Wind& wind) const;

    const BoatType& boat;
    const LandMask* land;
    mutable PlanCache shared;
};

} // namespace server
