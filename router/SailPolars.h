#pragma once

#include "nav/Polar.h"

#include <map>
#include <vector>

// A boat's sails by number, asked which one is faster. Wind angles are in degrees,
// speeds in knots.
class SailPolars {
public:
    struct Choice {
        double speed = 0.0;
        int sail = 0;
    };

    // The angle grid runs from 0 to 180 degrees in steps of angleStep. The sails are
    // read where they are, not copied.
    SailPolars(const std::map<int, Polar>& sails, double angleStep);

    // The faster sail at the wind angle; sail 0 and no speed when none moves the boat.
    Choice best(double angle, double windSpeed) const;
    // The faster sail at every angle of the grid, in the grid's order.
    void bestOnGrid(double windSpeed, std::vector<Choice>& choices) const;
    double speed(int sail, double angle, double windSpeed) const;

    const std::vector<double>& gridAngles() const { return angles; }
    // No sail is faster than this in any wind.
    double topSpeed() const { return fastest; }

private:
    const std::map<int, Polar>& sails;
    std::vector<double> angles;
    double fastest = 0.0;
};
