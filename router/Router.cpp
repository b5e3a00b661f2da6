#include "router/Router.h"

#include "router/Isochrones.h"
#include "router/SailPolars.h"

#include <algorithm>
#include <cmath>

namespace {

double within(double value, double low, double high, double fallback)
{
    return std::isfinite(value) ? std::clamp(value, low, high) : fallback;
}

// Options brought into the ranges the method works in; whatever is not a number takes
// its default.
RouterOptions usable(const RouterOptions& options)
{
    RouterOptions defaults;
    RouterOptions result;
    result.horizonHours = within(options.horizonHours, 0.0, 1000.0, defaults.horizonHours);
    result.headingStep = within(options.headingStep, 1.0, 5.0, defaults.headingStep);
    result.longestStepHours = within(options.longestStepHours, 0.25, 1.0, defaults.longestStepHours);
    result.firstStepHours = within(options.firstStepHours, 1.0 / 60.0, result.longestStepHours,
        std::min(defaults.firstStepHours, result.longestStepHours));
    result.sectorDegrees = within(options.sectorDegrees, 0.5, 10.0, defaults.sectorDegrees);
    return result;
}

double stepAfter(double hours, const RouterOptions& options)
{
    return std::clamp(hours / 6.0, options.firstStepHours, options.longestStepHours);
}

// The chain of points from the start to the node, one point per change of heading or
// sail.
std::vector<RoutePoint> pointsTo(const std::vector<IsochroneNode>& nodes, int last)
{
    std::vector<int> chain;
    for (int node = last; node >= 0; node = nodes[static_cast<size_t>(node)].parent)
        chain.push_back(node);
    std::reverse(chain.begin(), chain.end());
    std::vector<RoutePoint> points;
    for (size_t i = 0; i < chain.size(); ++i) {
        const IsochroneNode& here = nodes[static_cast<size_t>(chain[i])];
        const IsochroneNode& leg = nodes[static_cast<size_t>(chain[std::min(i + 1, chain.size() - 1)])];
        bool sameLeg = !points.empty() && points.back().heading == leg.heading && points.back().sail == leg.sail;
        if (i + 1 < chain.size() && sameLeg)
            continue;
        points.push_back({ here.hours, here.position, leg.heading, leg.sail });
    }
    return points;
}

// Reports the share of the horizon sailed or of the distance closed, whichever is more.
class ProgressReport {
public:
    ProgressReport(const std::function<void(int)>& callback, double horizonHours, double startKm)
        : callback(callback)
        , horizonHours(horizonHours)
        , startKm(startKm)
    {
    }

    void update(double hours, double nearestKm)
    {
        double byTime = horizonHours > 0.0 ? hours / horizonHours : 1.0;
        double byDistance = startKm > 0.0 ? 1.0 - nearestKm / startKm : 1.0;
        int percent = static_cast<int>(std::clamp(std::max(byTime, byDistance), 0.0, 0.99) * 100.0);
        if (callback && percent > reported) {
            reported = percent;
            callback(percent);
        }
    }

private:
    const std::function<void(int)>& callback;
    double horizonHours;
    double startKm;
    int reported = -1;
};

// The isochrones from the start until they reach the target, the horizon or a standstill.
PlannedRoute isochroneRoute(const RouteRequest& request)
{
    RouterOptions options = usable(request.options);
    SailPolars sails(request.sails, options.headingStep);
    Isochrones isochrones(request.start, request.target, sails, *request.wind, request.land, options.sectorDegrees);
    ProgressReport progress(request.progress, options.horizonHours, isochrones.nearestKm());
    PlannedRoute route;
    double hours = 0.0;
    while (hours < options.horizonHours && isochrones.arrival() < 0) {
        if (request.cancel && request.cancel->load()) {
            route.cancelled = true;
            break;
        }
        double step = std::min(stepAfter(hours, options), options.horizonHours - hours);
        bool moved = isochrones.advance(step);
        hours += step;
        progress.update(hours, isochrones.nearestKm());
        if (!moved)
            break;
    }
    route.reached = isochrones.arrival() >= 0;
    route.windMissing = isochrones.windMissing();
    route.points = pointsTo(isochrones.nodes(), route.reached ? isochrones.arrival() : isochrones.nearest());
    route.etaHours = route.reached ? isochrones.passingHours() : route.points.back().hours;
    return route;
}

}

PlannedRoute planRoute(const RouteRequest& request)
{
    PlannedRoute route;
    route.points.push_back({ 0.0, request.start, 0.0, 0 });
    if (passesWaypoint(request.target, request.start, request.start))
        route.reached = true;
    else if (!request.wind)
        route.windMissing = true;
    else
        route = isochroneRoute(request);
    route.landIgnored = request.land == nullptr;
    if (request.progress)
        request.progress(100);
    return route;
}
