#pragma once

#include <vector>

// Boat speed over true wind angle and wind speed for one sail.
struct Polar {
    // Wind speeds of the columns, ascending.
    std::vector<double> winds;
    // True wind angles of the rows in degrees, ascending, within 0 to 180.
    std::vector<double> angles;
    // values[row][column]: boat speed in knots at angles[row] and winds[column].
    std::vector<std::vector<double>> values;
};

// Bilinear interpolation in the polar, holding the edge values beyond the table. The
// angle is folded into 0 to 180 first. A polar that is empty or whose rows do not match
// its angles and winds gives 0.0.
double polarSpeed(const Polar& polar, double angle, double windSpeed);

// Speed on a heading for a wind from windDir (both in degrees, within one turn of the
// full circle): the polar at the angle between them.
double speedOnHeading(const Polar& polar, double heading, double windDir, double windSpeed);
