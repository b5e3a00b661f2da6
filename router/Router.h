#pragma once

#include "nav/GreatCircle.h"
#include "nav/Polar.h"
#include "nav/Waypoint.h"

#include <atomic>
#include <functional>
#include <map>
#include <vector>

class LandChart;
class WindSampler;

struct RouterOptions {
    // How far ahead the forecast reaches.
    double horizonHours = 72.0;
    // Between the wind angles tried; at most 5 degrees.
    double headingStep = 5.0;
    // The time step grows with the time sailed (a sixth of it) from the first step up to
    // the longest, which is at most an hour.
    double firstStepHours = 1.0 / 6.0;
    double longestStepHours = 1.0;
    // Width of the bearing sectors, seen from the start, that keep one point each.
    double sectorDegrees = 1.0;
};

struct RouteRequest {
    GeoPoint start;
    RouteWaypoint target;
    // Polars by sail number: 1 the jib, 2 the spinnaker.
    std::map<int, Polar> sails;
    // Times passed to the wind count in hours from the start.
    const WindSampler* wind = nullptr;
    // Without a chart the route may cross land.
    const LandChart* land = nullptr;
    RouterOptions options;
    // Set from another thread to stop the routing early.
    const std::atomic<bool>* cancel = nullptr;
    // Called with the percentage done whenever it grows.
    std::function<void(int)> progress;
};

// A point of the route and the leg that starts there: the boat holds the heading and
// the sail until the next point. The last point keeps the leg that reached it.
struct RoutePoint {
    double hours = 0.0;
    GeoPoint position;
    double heading = 0.0;
    int sail = 0;
};

struct PlannedRoute {
    std::vector<RoutePoint> points;
    // When the route passes the target, in hours from the start; else when it reaches
    // its last point.
    double etaHours = 0.0;
    // False when the route ends at the point nearest the target instead.
    bool reached = false;
    bool landIgnored = false;
    // Some place and time the route could have gone had no wind.
    bool windMissing = false;
    bool cancelled = false;
};

// The fastest route from the start to the target waypoint by the isochrone method,
// within the forecast's horizon.
PlannedRoute planRoute(const RouteRequest& request);
