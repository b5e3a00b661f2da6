#pragma once

#include <map>
#include <string>
#include <vector>

namespace server {

// A boat speed table over true wind angle (rows) and wind speed (columns), in knots.
struct Polar {
    std::vector<double> winds;
    std::vector<double> angles;
    std::vector<std::vector<double>> values;

    // Bilinear interpolation, clamped at every edge; the angle folds into [0, 180].
    double speed(double angle, double windSpeed) const;

private:
    double rowSpeed(size_t row, double windSpeed) const;
};

// The one boat type sailed in every race: sail 1 is the jib, sail 2 the spinnaker.
struct BoatType {
    std::string id;
    std::string name;
    std::map<int, Polar> sails;

    // Speed on a heading in the given wind (direction it comes from); 0 for an unknown sail.
    double boatSpeed(int sail, double heading, double windDir, double windSpeed) const;
    bool hasSail(int sail) const { return sails.count(sail) != 0; }
};

enum SailNumber {
    Jib = 1,
    Spinnaker = 2,
};

const BoatType& standardBoat();

} // namespace server
