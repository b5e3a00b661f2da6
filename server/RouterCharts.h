#pragma once

#include "router/LandChart.h"
#include "router/WindSampler.h"
#include "server/WindField.h"

#include <cstdint>
#include <unordered_map>

namespace server {

class LandMask;

// The simulation's wind as the router reads it: hours count the sailing from a given
// moment, during which the wind moves on by `rate` seconds per second sailed. It is
// read on a lattice of a fifth of a degree and an hour, interpolated between, and each
// lattice point is asked of the source once: a routing reads the wind near the same
// places tens of thousands of times, and the forecast varies over hundreds of kilometres.
class ForecastSampler : public WindSampler {
public:
    ForecastSampler(const WindSource& source, int64_t start, double rate)
        : source(source)
        , start(start)
        , rate(rate)
    {
    }

    bool wind(double lat, double lon, double hours, WindSample& sample) const override;

private:
    // The wind as the air moves: east and north, in knots.
    struct Flow {
        double east = 0.0;
        double north = 0.0;
    };

    Flow latticePoint(int64_t row, int64_t column, int64_t hour) const;

    const WindSource& source;
    int64_t start;
    double rate;
    mutable std::unordered_map<uint64_t, Flow> lattice;
};

// The simulation's land as the router reads it, sampled every kilometre: fine enough to
// keep routes off islands and capes, while a boat's own steps are checked more finely.
class CoastChart : public LandChart {
public:
    explicit CoastChart(const LandMask& land)
        : land(land)
    {
    }

    bool crossesLand(const GeoPoint& from, const GeoPoint& to) const override;

private:
    const LandMask& land;
};

} // namespace server
