#include "router/Isochrones.h"

#include "nav/Angles.h"
#include "nav/RhumbLine.h"
#include "router/LandChart.h"
#include "router/WindSampler.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double pi = 3.141592653589793;
constexpr double toRad = pi / 180.0;
constexpr double toDeg = 180.0 / pi;
// Without land every sector keeps its farthest point; with land a few runners-up stand
// by in case the farthest legs run aground.
constexpr int keptWithoutLand = 1;
constexpr int keptWithLand = 6;
// A leg counts as reaching the target when it would pass it even this far (at most a
// quarter of the waypoint's distance) to either side, so that a boat that strays a
// little from the planned legs still passes.
constexpr double arrivalMarginKm = 0.02;

}

Isochrones::Isochrones(const GeoPoint& start, const RouteWaypoint& target, const SailPolars& sails,
    const WindSampler& wind, const LandChart* land, double sectorDegrees)
    : start(start)
    , target(target)
    , margin(std::min(target.dst / 4.0, arrivalMarginKm))
    , sails(sails)
    , wind(wind)
    , land(land)
    , legs(wind, sails)
    , sectors(sectorDegrees, land ? keptWithLand : keptWithoutLand)
{
    for (double angle : sails.gridAngles()) {
        cosAngles.push_back(std::cos(angle * toRad));
        sinAngles.push_back(std::sin(angle * toRad));
    }
    closestKm = greatCircleDistance(start.lat, start.lon, target.lat, target.lon);
    IsochroneNode origin;
    origin.position = start;
    front.push_back(frontPoint(record(origin)));
}

bool Isochrones::advance(double stepHours)
{
    sectors.clear();
    arrived = -1;
    bestArrival.parent = -1;
    closestNearness = -2.0;
    straightFrontCandidate.point = -1;
    for (size_t i = 0; i < front.size(); ++i)
        offerHeadings(static_cast<int>(i), stepHours);
    if (bestArrival.parent >= 0) {
        arrived = record(bestArrival);
        passing = firstPassing(bestArrival.parent, bestArrival.hours);
        return true;
    }
    return pickSectors(stepHours);
}

void Isochrones::offerHeadings(int index, double stepHours)
{
    const FrontPoint& point = front[static_cast<size_t>(index)];
    WindSample here;
    if (!wind.usableWind(point.position.lat, point.position.lon, point.hours, here)) {
        noWind = true;
        return;
    }
    double dir = here.dir;
    sails.bestOnGrid(here.speed, choices);
    bool near = point.targetKm <= sails.topSpeed() * stepHours * kmPerNauticalMile + target.dst;
    // Headings on the wind-angle grid either side of the wind, turned into the frames of
    // the directions away from the start and towards the target.
    double away = (dir - point.outward) * toRad;
    double toward = (dir - point.towards) * toRad;
    double ca = std::cos(away);
    double sa = std::sin(away);
    double ct = std::cos(toward);
    double st = std::sin(toward);
    const std::vector<double>& angles = sails.gridAngles();
    for (size_t k = 0; k < angles.size(); ++k) {
        if (choices[k].speed <= 0.0)
            continue;
        for (double side : { 1.0, -1.0 }) {
            if (side < 0.0 && (angles[k] == 0.0 || angles[k] == 180.0))
                continue;
            double c = cosAngles[k];
            double s = side * sinAngles[k];
            FrontCandidate candidate { 0.0, index, normalizeDegrees(dir + side * angles[k]), choices[k].speed, choices[k].sail };
            offer(candidate, { ca * c - sa * s, sa * c + ca * s, ct * c - st * s }, stepHours);
            if (near)
                tryArrival(point, candidate, stepHours);
        }
    }
    // Far off, the great circle's bearing; within a leg of the target, the rhumb line that
    // a held heading follows onto its centre.
    double straight = near ? rhumbBearing(point.position, target.centre()) : point.towards;
    SailPolars::Choice direct = sails.best(normalizeDegrees(straight - dir), here.speed);
    if (direct.speed <= 0.0)
        return;
    FrontCandidate candidate { 0.0, index, straight, direct.speed, direct.sail };
    if (index == straightPoint)
        straightFrontCandidate = candidate;
    double phi = (straight - point.outward) * toRad;
    offer(candidate, { std::cos(phi), std::sin(phi), std::cos((straight - point.towards) * toRad) }, stepHours);
    if (near)
        tryArrival(point, candidate, stepHours);
}

void Isochrones::offer(const FrontCandidate& candidate, const Direction& direction, double stepHours)
{
    const FrontPoint& point = front[static_cast<size_t>(candidate.point)];
    double delta = candidate.speed * stepHours * kmPerNauticalMile / earthRadiusKm;
    double sd = std::sin(delta);
    double cd = std::cos(delta);
    // The spherical triangles of start, point and candidate and of target, point and
    // candidate give the candidate's distances from both and its bearing from the start.
    FrontCandidate scored = candidate;
    scored.score = point.cosR * cd - point.sinR * sd * direction.cosAway;
    double nearness = point.cosT * cd + point.sinT * sd * direction.cosToward;
    if (nearness > closestNearness) {
        closestNearness = nearness;
        closestFrontCandidate = candidate;
    }
    double turn = std::atan2(sd * direction.sinAway, point.sinR * cd + point.cosR * sd * direction.cosAway) * toDeg;
    sectors.offer(point.bearing + turn, scored);
}

bool Isochrones::sailLeg(const FrontPoint& point, const FrontCandidate& candidate, double stepHours)
{
    bool known = legs.sail(point.position, point.hours, stepHours, candidate.heading, candidate.sail, candidate.speed);
    noWind = noWind || !known;
    return known;
}

void Isochrones::tryArrival(const FrontPoint& point, const FrontCandidate& candidate, double stepHours)
{
    if (!sailLeg(point, candidate, stepHours) || !passesSurely(point.position, legs.end(), candidate.heading))
        return;
    double km = passingFraction(target, point.position, legs.end()) * legs.km();
    double hours = point.hours + legs.timeAt(km);
    if (bestArrival.parent >= 0 && hours >= bestArrival.hours)
        return;
    GeoPoint where = legs.pointAt(km);
    if (!land || !land->crossesLand(point.position, where))
        bestArrival = { where, hours, point.node, candidate.heading, candidate.sail };
}

bool Isochrones::passesSurely(const GeoPoint& from, const GeoPoint& to, double heading) const
{
    for (double side : { 90.0, -90.0 }) {
        if (!passesWaypoint(target, destination(from, heading + side, margin), destination(to, heading + side, margin)))
            return false;
    }
    return passesWaypoint(target, from, to);
}

double Isochrones::firstPassing(int node, double hours)
{
    for (; history[static_cast<size_t>(node)].parent >= 0; node = history[static_cast<size_t>(node)].parent) {
        const IsochroneNode& to = history[static_cast<size_t>(node)];
        const IsochroneNode& from = history[static_cast<size_t>(to.parent)];
        WindSample here;
        if (!passesWaypoint(target, from.position, to.position)
            || !wind.usableWind(from.position.lat, from.position.lon, from.hours, here))
            break;
        double speed = sails.speed(to.sail, normalizeDegrees(to.heading - here.dir), here.speed);
        if (!legs.sail(from.position, from.hours, to.hours - from.hours, to.heading, to.sail, speed))
            break;
        hours = from.hours + legs.timeAt(passingFraction(target, from.position, to.position) * legs.km());
    }
    return hours;
}

bool Isochrones::pickSectors(double stepHours)
{
    std::vector<FrontPoint> next;
    auto take = [&](const FrontCandidate& candidate) {
        const FrontPoint& point = front[static_cast<size_t>(candidate.point)];
        if (!sailLeg(point, candidate, stepHours) || (land && land->crossesLand(point.position, legs.end())))
            return -1;
        next.push_back(frontPoint(record({ legs.end(), point.hours + stepHours, point.node, candidate.heading, candidate.sail })));
        return static_cast<int>(next.size()) - 1;
    };
    auto keep = [&](const FrontCandidate& candidate) {
        int found = taken(next, candidate);
        return found >= 0 ? found : take(candidate);
    };
    for (int sector = 0; sector < sectors.count(); ++sector) {
        for (const FrontCandidate* c = sectors.begin(sector); c != sectors.end(sector); ++c) {
            if (take(*c) >= 0)
                break;
        }
    }
    // The candidate nearest the target stays, so that the front cannot pass the target
    // between two sectors' points, and so does the straight course, which the route
    // must never do worse than.
    if (closestNearness > -2.0)
        keep(closestFrontCandidate);
    straightPoint = straightFrontCandidate.point >= 0 ? keep(straightFrontCandidate) : -1;
    front.swap(next);
    return !front.empty();
}

int Isochrones::taken(const std::vector<FrontPoint>& next, const FrontCandidate& candidate) const
{
    int parent = front[static_cast<size_t>(candidate.point)].node;
    for (size_t i = 0; i < next.size(); ++i) {
        const IsochroneNode& node = history[static_cast<size_t>(next[i].node)];
        if (node.parent == parent && node.heading == candidate.heading && node.sail == candidate.sail)
            return static_cast<int>(i);
    }
    return -1;
}

int Isochrones::record(const IsochroneNode& node)
{
    history.push_back(node);
    int index = static_cast<int>(history.size()) - 1;
    double km = greatCircleDistance(node.position.lat, node.position.lon, target.lat, target.lon);
    if (km < closestKm) {
        closestKm = km;
        closest = index;
    }
    return index;
}

Isochrones::FrontPoint Isochrones::frontPoint(int node) const
{
    FrontPoint point;
    point.node = node;
    point.position = history[static_cast<size_t>(node)].position;
    point.hours = history[static_cast<size_t>(node)].hours;
    double r = greatCircleDistance(start.lat, start.lon, point.position.lat, point.position.lon) / earthRadiusKm;
    point.cosR = std::cos(r);
    point.sinR = std::sin(r);
    if (r > 1e-12) {
        point.bearing = initialBearing(start.lat, start.lon, point.position.lat, point.position.lon);
        point.outward = initialBearing(point.position.lat, point.position.lon, start.lat, start.lon) + 180.0;
    }
    point.targetKm = greatCircleDistance(point.position.lat, point.position.lon, target.lat, target.lon);
    point.cosT = std::cos(point.targetKm / earthRadiusKm);
    point.sinT = std::sin(point.targetKm / earthRadiusKm);
    point.towards = initialBearing(point.position.lat, point.position.lon, target.lat, target.lon);
    return point;
}
