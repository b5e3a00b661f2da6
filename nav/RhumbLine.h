#pragma once

#include "nav/GreatCircle.h"

// Rhumb lines on the sphere of the great circles: the courses of constant bearing that a
// boat holding its heading sails. Degrees and kilometres as there.

// The point reached from a start holding the bearing for the distance, with the longitude
// brought into [-180, 180). A course that would reach a pole stops just short of it.
GeoPoint rhumbDestination(const GeoPoint& from, double bearing, double distance);

// The constant bearing that leads from one point to the other the short way round the
// globe, in [0, 360).
double rhumbBearing(const GeoPoint& from, const GeoPoint& to);
