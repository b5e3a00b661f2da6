#pragma once

// The wind at a place and time: the direction it comes from (degrees, clockwise from
// north) and its speed in knots.
struct WindSample {
    double dir = 0.0;
    double speed = 0.0;
};

// Where the router reads the wind. Time counts in hours from the routing's start.
class WindSampler {
public:
    virtual ~WindSampler() = default;
    // False where and when no wind is known; the router does not sail there.
    virtual bool wind(double lat, double lon, double hours, WindSample& sample) const = 0;

    // The wind when it is known and makes sense: finite, and no negative speed.
    bool usableWind(double lat, double lon, double hours, WindSample& sample) const;
};
