#pragma once

#include <cstdint>

namespace server {

// Wind at a place and time: the direction it comes from (degrees, clockwise from north)
// and its speed in knots.
struct Wind {
    double dir = 0.0;
    double speed = 0.0;
};

class WindSource {
public:
    virtual ~WindSource() = default;
    virtual Wind at(double lat, double lon, int64_t time) const = 0;
};

// The same wind everywhere and always; for tests and calm demonstrations.
class ConstantWind : public WindSource {
public:
    explicit ConstantWind(Wind wind)
        : wind(wind)
    {
    }
    Wind at(double, double, int64_t) const override { return wind; }

private:
    Wind wind;
};

// A deterministic forecast: the planetary belts (trade winds, doldrums, horse latitudes,
// westerlies, polar easterlies) with slow undulations, plus lows and highs that are born,
// drift with the belts and die. The same place and time always give the same wind, for
// any time in the past or the future, and every term changes smoothly.
class ForecastWind : public WindSource {
public:
    Wind at(double lat, double lon, int64_t time) const override;

private:
    struct Vector {
        double u = 0.0;
        double v = 0.0;
    };
    Vector belts(double lat, double lon, double time) const;
    Vector pressureSystems(double lat, double lon, double time) const;
    Vector system(int64_t index, double lat, double lon, double time) const;
};

} // namespace server
