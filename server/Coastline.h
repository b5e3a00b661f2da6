#pragma once

#include "nav/GreatCircle.h"
#include "server/CoastGrid.h"

#include <array>
#include <atomic>
#include <memory>
#include <mutex>
#include <string>

namespace server {

// Tells land from water for the simulation.
class LandMask {
public:
    virtual ~LandMask() = default;
    virtual bool isLand(double lat, double lon) const = 0;
    // True when the straight step between two points touches land, tested every 100 m.
    bool crossesLand(const GeoPoint& from, const GeoPoint& to) const;
    // True when no land lies anywhere near the rectangle of latitudes and longitudes
    // between two points: a quick answer for steps in open water. A mask that cannot
    // tell answers false. Meant for steps up to quickCheckKm long: a longer great circle
    // may bow out of the rectangle by more than its margin.
    virtual bool openWater(const GeoPoint&, const GeoPoint&) const { return false; }
    static constexpr double quickCheckKm = 100.0;
};

enum class CoastDetail {
    Low,
    Intermediate,
    High,
};

// The shorelines at three levels of detail, each built once from GMT's GSHHG data into a
// cache file in the cache folder and loaded on first use. The simulation uses the high
// level, the same data the map tiles from zoom 8 on are drawn from.
class Coastline : public LandMask {
public:
    explicit Coastline(std::string cacheDir);

    const CoastGrid& grid(CoastDetail detail) const;
    bool isLand(double lat, double lon) const override;
    bool openWater(const GeoPoint& a, const GeoPoint& b) const override;

private:
    std::string cacheDir;
    mutable std::mutex lock;
    mutable std::array<std::unique_ptr<CoastGrid>, 3> grids;
    // The grids once loaded, read without the lock by the many threads that sail boats.
    mutable std::array<std::atomic<const CoastGrid*>, 3> ready {};
};

} // namespace server
