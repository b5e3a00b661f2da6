#pragma once

#include "nav/GreatCircle.h"
#include "router/Router.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <tuple>
#include <vector>

namespace server {

// The legs of a computer boat's route, shared by every boat that follows it.
using SharedLegs = std::shared_ptr<const std::vector<RoutePoint>>;

// Routes shared by the computer skippers of one race. Skippers that set out from the same
// patch of sea (a square of the given degrees) for the same waypoint within an hour of
// wind take the route the first of them planned; each then sails it with its own lag and heading offset, so a large fleet
// costs a routing per patch and hour instead of one per boat. Routes age one by one, so
// their renewals spread over the steps. Safe for the threads of one step.
class PlanCache {
public:
    // The route from the start's patch to the waypoint at the wind time, made by `plan`
    // when no skipper has planned it within the hour before.
    SharedLegs route(const GeoPoint& start, double patch, int waypoint, int64_t windTime, const std::function<SharedLegs()>& plan);
    // The route already planned from the start's patch, or none.
    SharedLegs planned(const GeoPoint& start, double patch, int waypoint, int64_t windTime);
    size_t size() const;

private:
    using Key = std::tuple<int64_t, int64_t, int, double>;
    struct Entry {
        SharedLegs legs;
        int64_t windTime = 0;
    };

    static Key keyOf(const GeoPoint& start, double patch, int waypoint);
    static bool fresh(const Entry& entry, int64_t windTime);
    // Under the lock: forgets the routes that have aged, once an hour of wind.
    void sweep(int64_t windTime);

    mutable std::mutex lock;
    int64_t lastSweep = 0;
    std::map<Key, Entry> routes;
};

} // namespace server
