#pragma once

#include "race/Projection.h"

#include <vector>

// A route leg as projected-metre points along the great circle: the start, one point about
// every 100 km when the leg is at least 200 km long, and the end.
std::vector<Metres> greatCirclePoints(double lat1, double lon1, double lat2, double lon2);
