#pragma once

#include "nav/GreatCircle.h"
#include "nav/Waypoint.h"
#include "router/LegSailor.h"
#include "router/SailPolars.h"
#include "router/Sectors.h"

#include <vector>

class LandChart;
class WindSampler;

// A point the boat can reach, and the leg from its parent that reaches it.
struct IsochroneNode {
    GeoPoint position;
    double hours = 0.0;
    int parent = -1;
    double heading = 0.0;
    int sail = 0;
};

// The front of points reachable from a start, advanced step by step. Each step tries
// every heading on the wind-angle grid of the sails, and the heading straight for the
// target, from every point of the front, each with the faster sail. It keeps the point
// farthest from the start in each bearing sector seen from the start, the point nearest
// the target, and the point that has sailed straight for the target all along. A leg
// holds its heading and sail.
class Isochrones {
public:
    Isochrones(const GeoPoint& start, const RouteWaypoint& target, const SailPolars& sails, const WindSampler& wind,
        const LandChart* land, double sectorDegrees);

    // Moves the front on by the step; false when no point of it could move.
    bool advance(double stepHours);

    // Every point reached so far; the first is the start.
    const std::vector<IsochroneNode>& nodes() const { return history; }
    // The point where the earliest leg found by the last step that surely passes the
    // target passes it, -1 while there is none.
    int arrival() const { return arrived; }
    // When the route to that point first passes the target, which may be on an earlier
    // leg that passes it only narrowly.
    double passingHours() const { return passing; }
    // The point nearest the target's centre so far, and its distance in kilometres.
    int nearest() const { return closest; }
    double nearestKm() const { return closestKm; }
    // True when some point of the front could not move for want of wind.
    bool windMissing() const { return noWind; }

private:
    struct FrontPoint {
        int node = 0;
        GeoPoint position;
        double hours = 0.0;
        // The angular distance from the start, the bearing of the point seen from the
        // start and the direction straight away from the start at the point.
        double cosR = 1.0;
        double sinR = 0.0;
        double bearing = 0.0;
        double outward = 0.0;
        // The same for the target: the distance and the bearing towards it.
        double targetKm = 0.0;
        double cosT = 1.0;
        double sinT = 0.0;
        double towards = 0.0;
    };
    // A heading against the directions away from the start and towards the target.
    struct Direction {
        double cosAway = 1.0;
        double sinAway = 0.0;
        double cosToward = 1.0;
    };

    void offerHeadings(int index, double stepHours);
    void offer(const FrontCandidate& candidate, const Direction& direction, double stepHours);
    void tryArrival(const FrontPoint& point, const FrontCandidate& candidate, double stepHours);
    // True when the leg passes the target even if sailed a margin to either side.
    bool passesSurely(const GeoPoint& from, const GeoPoint& to, double heading) const;
    // The first passing of the target along the route to the node, given that a later
    // leg passes it at the time.
    double firstPassing(int node, double hours);
    // Sails the candidate's leg into legs; false when the wind along it is unknown.
    bool sailLeg(const FrontPoint& point, const FrontCandidate& candidate, double stepHours);
    bool pickSectors(double stepHours);
    // The index in the next front of the point the candidate reaches, -1 if not there.
    int taken(const std::vector<FrontPoint>& next, const FrontCandidate& candidate) const;
    int record(const IsochroneNode& node);
    FrontPoint frontPoint(int node) const;

    GeoPoint start;
    RouteWaypoint target;
    double margin;
    const SailPolars& sails;
    const WindSampler& wind;
    const LandChart* land;
    LegSailor legs;
    Sectors sectors;

    std::vector<IsochroneNode> history;
    std::vector<FrontPoint> front;
    std::vector<SailPolars::Choice> choices;
    std::vector<double> cosAngles;
    std::vector<double> sinAngles;
    IsochroneNode bestArrival;
    FrontCandidate closestFrontCandidate;
    // The cosine of the closest candidate's angular distance from the target.
    double closestNearness = -2.0;
    // The point of the front that has sailed straight for the target all along, -1 once
    // that course is lost, and the next leg of that course.
    int straightPoint = 0;
    FrontCandidate straightFrontCandidate;
    int arrived = -1;
    double passing = 0.0;
    int closest = 0;
    double closestKm = 0.0;
    bool noWind = false;
};
