#include "server/BoatType.h"

#include <cmath>

namespace server {

namespace {

// Speeds of a 40-foot cruiser-racer with its working jib. Columns: true wind speed in
// knots; rows: true wind angle. Nothing sails inside 30 degrees of the wind.
const std::vector<double> polarWinds = { 0, 6, 8, 10, 12, 14, 16, 20, 25, 30, 40, 60 };
const std::vector<double> polarAngles = { 0, 30, 40, 45, 52, 60, 75, 90, 110, 120, 135, 150, 165, 180 };
const std::vector<std::vector<double>> jibSpeeds = {
    { 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0 },
    { 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0 },
    { 0, 4.0, 5.0, 5.8, 6.2, 6.4, 6.5, 6.6, 6.5, 6.2, 5.6, 3.5 },
    { 0, 4.6, 5.6, 6.3, 6.7, 6.9, 7.0, 7.1, 7.0, 6.8, 6.1, 4.0 },
    { 0, 5.0, 6.0, 6.7, 7.1, 7.3, 7.4, 7.5, 7.5, 7.3, 6.6, 4.4 },
    { 0, 5.3, 6.3, 7.0, 7.4, 7.6, 7.7, 7.8, 7.8, 7.6, 7.0, 4.8 },
    { 0, 5.5, 6.6, 7.3, 7.7, 7.9, 8.1, 8.3, 8.4, 8.2, 7.6, 5.2 },
    { 0, 5.5, 6.7, 7.4, 7.8, 8.1, 8.3, 8.6, 8.8, 8.7, 8.1, 5.6 },
    { 0, 5.2, 6.5, 7.3, 7.8, 8.1, 8.4, 8.8, 9.1, 9.0, 8.4, 5.9 },
    { 0, 4.9, 6.2, 7.1, 7.6, 8.0, 8.3, 8.7, 9.0, 9.0, 8.5, 6.0 },
    { 0, 4.2, 5.5, 6.5, 7.1, 7.5, 7.9, 8.4, 8.8, 8.9, 8.5, 6.1 },
    { 0, 3.5, 4.7, 5.7, 6.4, 6.9, 7.3, 7.9, 8.4, 8.6, 8.3, 6.0 },
    { 0, 3.0, 4.1, 5.1, 5.8, 6.4, 6.8, 7.4, 8.0, 8.3, 8.0, 5.8 },
    { 0, 2.8, 3.8, 4.8, 5.5, 6.1, 6.5, 7.1, 7.7, 8.0, 7.8, 5.6 },
};

// The spinnaker against the jib, by the same angle rows: useless close-hauled, a little
// better on a beam reach, far better running.
const std::vector<double> spinnakerFactor = { 0, 0, 0.35, 0.4, 0.5, 0.7, 0.9, 1.02, 1.12, 1.16, 1.22, 1.28, 1.3, 1.3 };

Polar jibPolar()
{
    return Polar { polarWinds, polarAngles, jibSpeeds };
}

Polar spinnakerPolar()
{
    Polar polar = jibPolar();
    for (size_t row = 0; row < polar.values.size(); ++row) {
        for (double& speed : polar.values[row])
            speed = std::round(speed * spinnakerFactor[row] * 100.0) / 100.0;
    }
    return polar;
}

}

double BoatType::boatSpeed(int sail, double heading, double windDir, double windSpeed) const
{
    auto found = sails.find(sail);
    if (found == sails.end())
        return 0.0;
    return speedOnHeading(found->second, heading, windDir, windSpeed);
}

const BoatType& standardBoat()
{
    static const BoatType boat { "1", "Tidewake 40", { { Jib, jibPolar() }, { Spinnaker, spinnakerPolar() } } };
    return boat;
}

} // namespace server
