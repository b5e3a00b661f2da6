#pragma once

#include "nav/GreatCircle.h"
#include "race/WindTile.h"

#include <cstdint>
#include <functional>
#include <optional>

class Map;
struct BoatRecord;
struct PlannedRoute;

// The forecast wind at a point, when it is at hand.
using WindLookup = std::function<std::optional<Wind>(double lat, double lon)>;

// Where the boat will be, and the heading it will hold there.
struct BoatAhead {
    GeoPoint position;
    double heading = 0.0;
};

// The boat after the hours (negative ones look back). Along the route when one with points
// is given, its hours counted from now, held at its ends. Otherwise the boat holds its
// heading and sail, at the polar's speed in the wind the lookup gives along the way and
// at its present speed where the lookup gives none.
BoatAhead sailAhead(const BoatRecord& boat, double hours, const WindLookup& wind, const PlannedRoute* route = nullptr);

// The wind of the grids the map holds for the forecast time; none while they are for
// another time, not loaded, or off the tiles in view.
WindLookup mapWind(const Map& map, int32_t time);
