#include "nav/Polar.h"

#include "nav/Angles.h"

#include <cmath>

namespace {

bool isUsable(const Polar& polar)
{
    if (polar.winds.empty() || polar.angles.empty() || polar.values.size() != polar.angles.size())
        return false;
    for (const auto& row : polar.values) {
        if (row.size() != polar.winds.size())
            return false;
    }
    return true;
}

// Index of the first grid value at or above the input; the grid size when there is none.
size_t bracket(const std::vector<double>& grid, double input)
{
    size_t index = 0;
    while (index < grid.size() && !(grid[index] >= input))
        ++index;
    return index;
}

double interpolate(double x0, double x1, double y0, double y1, double x)
{
    return y0 + (x - x0) / (x1 - x0) * (y1 - y0);
}

double rowSpeed(const Polar& polar, size_t row, double windSpeed)
{
    const std::vector<double>& speeds = polar.values[row];
    size_t j = bracket(polar.winds, windSpeed);
    if (j == polar.winds.size())
        return speeds.back();
    if (j == 0)
        return speeds.front();
    return interpolate(polar.winds[j - 1], polar.winds[j], speeds[j - 1], speeds[j], windSpeed);
}

} // namespace

double polarSpeed(const Polar& polar, double angle, double windSpeed)
{
    if (!isUsable(polar))
        return 0.0;
    if (angle > 180)
        angle = 360 - angle;
    angle = std::fabs(angle);

    size_t i = bracket(polar.angles, angle);
    if (i == polar.angles.size())
        return rowSpeed(polar, polar.angles.size() - 1, windSpeed);
    if (i == 0)
        return rowSpeed(polar, 0, windSpeed);
    double lower = rowSpeed(polar, i - 1, windSpeed);
    double upper = rowSpeed(polar, i, windSpeed);
    return interpolate(polar.angles[i - 1], polar.angles[i], lower, upper, angle);
}

double speedOnHeading(const Polar& polar, double heading, double windDir, double windSpeed)
{
    return polarSpeed(polar, intoFullCircle(windDir - heading), windSpeed);
}
