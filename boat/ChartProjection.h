#pragma once

#include <SDL.h>

// Where a latitude and longitude lie on the screen. The boat control panel floats over the
// race screen's chart, which implements this; the panel needs nothing else of it.
class ChartProjection {
public:
    virtual ~ChartProjection() = default;
    virtual SDL_Point latLonToScreen(double lat, double lon) const = 0;
};
