#pragma once

#include "nav/GreatCircle.h"

// Where the router learns which way is blocked by land.
class LandChart {
public:
    virtual ~LandChart() = default;
    // True when the leg between the two points, sailed holding one heading (a rhumb line,
    // some tens of kilometres at most), touches land.
    virtual bool crossesLand(const GeoPoint& from, const GeoPoint& to) const = 0;
};
