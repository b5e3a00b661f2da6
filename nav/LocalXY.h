#pragma once

#include "nav/GreatCircle.h"

// Local flat coordinates (km east, km north) of a point relative to an origin; good for
// the short distances of one simulation step.
struct LocalXY {
    double x = 0.0;
    double y = 0.0;
};

LocalXY toLocal(const GeoPoint& origin, const GeoPoint& p);
