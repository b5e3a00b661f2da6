#include "server/Skipper.h"

#include "nav/Angles.h"
#include "nav/GreatCircle.h"
#include "server/Coastline.h"
#include "server/RouterCharts.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

namespace server {

namespace {

constexpr double hour = 3600.0;
// How far ahead a skipper plans, and how often, before its own share of the spread.
constexpr double horizonHours = 8.0;
constexpr double replanHours = 6.0;
// Routes are shared within patches of a fifth of a degree, as fine as the router reads
// the wind; nearer the waypoint than closeKm within patches ten times smaller, since a
// route from a few kilometres away would miss the mark.
constexpr double patchDegrees = 0.2;
constexpr double closePatchDegrees = 0.02;
constexpr double closeKm = 50.0;

// A number in [0, 1) of the boat's own, different for each trait asked.
double trait(int64_t boatId, int which)
{
    double golden = 0.6180339887498949;
    double seed = static_cast<double>(boatId) * golden + which * 0.3819660112501051;
    return seed - std::floor(seed);
}

// Keep the present course unless another is clearly better, so boats do not tack on
// every step. How much better differs from skipper to skipper.
double keepCourseRatio(int64_t boatId)
{
    return 0.88 + 0.11 * trait(boatId, 0);
}

// Up to four degrees either side of the planned heading.
double headingBias(int64_t boatId)
{
    return (trait(boatId, 1) * 2.0 - 1.0) * 4.0;
}

// Up to half an hour late on the planned changes of heading.
double lagHours(int64_t boatId)
{
    return 0.5 * trait(boatId, 2);
}

}

Skipper::Skipper(const BoatType& boat, const LandMask* land)
    : boat(boat)
    , land(land)
{
}

double Skipper::velocityMadeGood(const Course& course, double bearing, const Wind& wind) const
{
    double speed = boat.boatSpeed(course.sail, course.heading, wind.dir, wind.speed);
    return speed * std::cos((course.heading - bearing) * 3.141592653589793 / 180.0);
}

Course Skipper::steer(const Boat& current, SkipperPlan& plan, const Waypoint& target, int64_t time, const WindSampler& forecast,
    const Wind& w, double sailSeconds, const AskRoute* ask) const
{
    if (plan.waypoint < 0) {
        // Skippers first plan at times of their own, not all on the first step.
        plan.waypoint = current.waypoint;
        plan.renew = replanHours * trait(current.id, 3);
    }
    if (!plan.legs && !plan.pending && !current.grounded && shareable(current)) {
        // Until its first routing a skipper takes the route of the boats nearby, which
        // costs nothing; it keeps its own time to plan again.
        plan.legs = shared.planned({ current.lat, current.lon }, patchFor(current, target), current.waypoint, time);
        if (plan.legs) {
            plan.renew -= plan.sailed;
            plan.sailed = 0.0;
        }
    }
    bool routeSailed = plan.legs && plan.legs->size() > 1 && plan.sailed - lagHours(current.id) > plan.legs->back().hours;
    // A boat that sailed a route to its end short of the waypoint plans its own next.
    plan.own = plan.own || (routeSailed && plan.waypoint == current.waypoint);
    if (!plan.pending && (current.grounded || plan.waypoint != current.waypoint || plan.sailed >= plan.renew || routeSailed))
        replan(current, plan, target, time, forecast, ask);
    Course course;
    if (!planned(current, plan, course))
        course = choose(current, target, w, sailSeconds);
    plan.sailed += sailSeconds / hour;
    course.clear = !blocked(current, course, w, sailSeconds);
    if (course.clear)
        return course;
    // The route runs too close to the shore here; plan afresh a little later, clear of it.
    plan.renew = std::min(plan.renew, plan.sailed + 0.5);
    plan.own = true;
    return clearOfLand(current, initialBearing(current.lat, current.lon, target.lat, target.lon), w, sailSeconds);
}

void Skipper::replan(const Boat& current, SkipperPlan& plan, const Waypoint& target, int64_t time, const WindSampler& forecast,
    const AskRoute* ask) const
{
    bool own = current.grounded || plan.own || !shareable(current);
    if (ask)
        plan.legs = own ? nullptr : shared.planned({ current.lat, current.lon }, patchFor(current, target), current.waypoint, time);
    else
        plan.legs = route(current, target, time, forecast, own);
    plan.pending = ask && !plan.legs;
    if (plan.pending)
        (*ask)(own);
    plan.sailed = 0.0;
    plan.waypoint = current.waypoint;
    plan.own = false;
    // Skippers plan at times of their own, so the work spreads over the steps.
    plan.renew = replanHours * (0.75 + 0.5 * trait(current.id, 3));
}

SharedLegs Skipper::route(const Boat& current, const Waypoint& target, int64_t time, const WindSampler& forecast, bool own) const
{
    if (own)
        return planFrom(current, target, forecast);
    return shared.route({ current.lat, current.lon }, patchFor(current, target), current.waypoint, time,
        [&] { return planFrom(current, target, forecast); });
}

SharedLegs Skipper::planFrom(const Boat& current, const Waypoint& target, const WindSampler& forecast) const
{
    std::optional<CoastChart> chart;
    if (land)
        chart.emplace(*land);
    RouteRequest request;
    request.start = { current.lat, current.lon };
    request.target = target;
    request.sails = boat.sails;
    request.wind = &forecast;
    request.land = land ? &*chart : nullptr;
    request.options.horizonHours = horizonHours;
    request.options.firstStepHours = 1.0;
    request.options.sectorDegrees = 10.0;
    return std::make_shared<const std::vector<RoutePoint>>(planRoute(request).points);
}

bool Skipper::shareable(const Boat& current) const
{
    // Among shores a route from a few kilometres away may lead round the wrong side of
    // an island or into a bay; there each skipper plans its own.
    GeoPoint here { current.lat, current.lon };
    return !land || land->openWater(here, here);
}

double Skipper::patchFor(const Boat& current, const Waypoint& target)
{
    return greatCircleDistance(current.lat, current.lon, target.lat, target.lon) < closeKm ? closePatchDegrees : patchDegrees;
}

bool Skipper::planned(const Boat& current, const SkipperPlan& plan, Course& course) const
{
    double hours = plan.sailed - lagHours(current.id);
    // The start point carries no leg when the route found nothing to sail, and past its
    // end the route knows no better than the boat.
    if (!plan.legs || plan.legs->size() < 2 || hours > plan.legs->back().hours)
        return false;
    const std::vector<RoutePoint>& legs = *plan.legs;
    auto leg = std::upper_bound(legs.begin(), legs.end(), hours, [](double h, const RoutePoint& point) { return h < point.hours; });
    if (leg != legs.begin())
        --leg;
    if (leg->sail == 0 || !boat.hasSail(leg->sail))
        return false;
    course = { normalizeDegrees(leg->heading + headingBias(current.id)), leg->sail };
    return boat.boatSpeed(course.sail, course.heading, current.windDir, current.windSpeed) > 0.0;
}

Course Skipper::choose(const Boat& current, const Waypoint& target, const Wind& wind, double sailSeconds) const
{
    double bearing = initialBearing(current.lat, current.lon, target.lat, target.lon);
    if (current.grounded)
        return clearOfLand(current, bearing, wind, sailSeconds);
    Course present { current.heading, current.sail };
    Candidates candidates = candidateCourses(bearing, wind);
    const auto& best = *std::max_element(candidates.begin(), candidates.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    double presentGain = velocityMadeGood(present, bearing, wind);
    return presentGain > 0.0 && presentGain >= keepCourseRatio(current.id) * best.first ? present : best.second;
}

Skipper::Candidates Skipper::candidateCourses(double bearing, const Wind& wind) const
{
    Candidates candidates;
    for (size_t step = 0; step < headingSteps; ++step) {
        double heading = step * headingStep;
        // The same for both sails, and costly enough to count.
        double along = std::cos((heading - bearing) * 3.141592653589793 / 180.0);
        for (int sail : { Jib, Spinnaker })
            candidates[2 * step + sail - Jib] = { boat.boatSpeed(sail, heading, wind.dir, wind.speed) * along, Course { heading, sail } };
    }
    return candidates;
}

bool Skipper::blocked(const Boat& current, const Course& course, const Wind& wind, double sailSeconds) const
{
    if (!land)
        return false;
    double knots = boat.boatSpeed(course.sail, course.heading, wind.dir, wind.speed);
    double stepKm = std::max(knots * kmPerNauticalMile * sailSeconds / hour, 0.2);
    GeoPoint here { current.lat, current.lon };
    return land->crossesLand(here, destination(here, course.heading, stepKm));
}

// The first course in order of gain whose next step stays off the land.
Course Skipper::clearOfLand(const Boat& current, double bearing, const Wind& wind, double sailSeconds) const
{
    Candidates candidates = candidateCourses(bearing, wind);
    std::sort(candidates.begin(), candidates.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    for (const auto& candidate : candidates) {
        if (!blocked(current, candidate.second, wind, sailSeconds))
            return { candidate.second.heading, candidate.second.sail, true };
    }
    return { current.heading, current.sail };
}

} // namespace server
