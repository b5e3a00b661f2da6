#include "server/PlanCache.h"

#include <cmath>

namespace server {

namespace {

constexpr int64_t freshSeconds = 3600;

// A place and patch size that number a patch; others share nothing.
bool usable(const GeoPoint& start, double patch)
{
    return std::isfinite(start.lat) && std::isfinite(start.lon) && patch >= 0.001 && patch <= 90.0;
}

}

PlanCache::Key PlanCache::keyOf(const GeoPoint& start, double patch, int waypoint)
{
    return { static_cast<int64_t>(std::floor(start.lat / patch)), static_cast<int64_t>(std::floor(start.lon / patch)), waypoint, patch };
}

bool PlanCache::fresh(const Entry& entry, int64_t windTime)
{
    return windTime >= entry.windTime && windTime - entry.windTime < freshSeconds;
}

void PlanCache::sweep(int64_t windTime)
{
    if (windTime >= lastSweep && windTime - lastSweep < freshSeconds)
        return;
    lastSweep = windTime;
    for (auto entry = routes.begin(); entry != routes.end();)
        entry = fresh(entry->second, windTime) ? std::next(entry) : routes.erase(entry);
}

SharedLegs PlanCache::route(const GeoPoint& start, double patch, int waypoint, int64_t windTime, const std::function<SharedLegs()>& plan)
{
    if (SharedLegs found = planned(start, patch, waypoint, windTime))
        return found;
    // Planned outside the lock, so that the other threads sail on meanwhile. Two threads
    // that miss the same patch at once both plan it, and the first route stays.
    SharedLegs made = plan();
    if (!usable(start, patch))
        return made;
    std::lock_guard<std::mutex> guard(lock);
    Entry& entry = routes[keyOf(start, patch, waypoint)];
    if (!entry.legs || !fresh(entry, windTime))
        entry = { made, windTime };
    return made;
}

SharedLegs PlanCache::planned(const GeoPoint& start, double patch, int waypoint, int64_t windTime)
{
    if (!usable(start, patch))
        return nullptr;
    std::lock_guard<std::mutex> guard(lock);
    sweep(windTime);
    auto found = routes.find(keyOf(start, patch, waypoint));
    return found != routes.end() && fresh(found->second, windTime) ? found->second.legs : nullptr;
}

size_t PlanCache::size() const
{
    std::lock_guard<std::mutex> guard(lock);
    return routes.size();
}

} // namespace server
