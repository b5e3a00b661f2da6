#include "nav/Angles.h"

#include <cmath>

double intoFullCircle(double degrees)
{
    if (degrees < 0)
        degrees += 360;
    if (degrees >= 360)
        degrees -= 360;
    return degrees;
}

double normalizeDegrees(double degrees)
{
    // The remainder lies within one turn of the circle, and it is exact.
    return intoFullCircle(std::fmod(degrees, 360.0));
}

double normalizeLongitude(double lon)
{
    return normalizeDegrees(lon + 180) - 180;
}
