#pragma once

#include <SDL.h>

#include <cstdint>

class Map;
class PictureKey;

// A drawable fixed to the chart (a route line or flag), drawn over the tiles and under the
// boat markers.
class MapFeature {
public:
    virtual ~MapFeature() = default;
    virtual void draw(const Map& map, SDL_Renderer* renderer, int32_t viewX, int32_t viewY, int32_t tilesPerSide,
        double scale)
        = 0;
    // Adds to the key what the feature's picture depends on besides the map's view and
    // zoom, so that a picture of the chart is reused while the key stays equal. False when
    // the feature cannot tell: the chart is then drawn afresh each frame.
    virtual bool describe(const Map&, PictureKey&) const { return false; }
};
