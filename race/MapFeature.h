#pragma once

#include <SDL.h>

#include <cstdint>

class Map;

// A drawable fixed to the chart (a route line or flag), drawn over the tiles and under the
// boat markers.
class MapFeature {
public:
    virtual ~MapFeature() = default;
    virtual void draw(const Map& map, SDL_Renderer* renderer, int32_t viewX, int32_t viewY, int32_t tilesPerSide,
        double scale)
        = 0;
};
