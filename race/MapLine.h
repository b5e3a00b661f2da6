#pragma once

#include "race/MapFeature.h"
#include "race/Projection.h"

#include <vector>

// A route leg drawn along its great circle, as segments of about 100 km.
class MapLine : public MapFeature {
public:
    MapLine(double lat1, double lon1, double lat2, double lon2);

    void draw(const Map& map, SDL_Renderer* renderer, int32_t viewX, int32_t viewY, int32_t tilesPerSide,
        double scale) override;

    std::vector<Metres> points;
};
