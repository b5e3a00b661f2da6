#pragma once

#include "gui/Texture.h"
#include "race/MapFeature.h"

#include <memory>

// An image whose bottom-left corner stands on a point of the chart (a route flag). It is
// not scaled by the zoom animation.
class MapImage : public MapFeature {
public:
    MapImage(double lat, double lon, const char* name);

    void draw(const Map& map, SDL_Renderer* renderer, int32_t viewX, int32_t viewY, int32_t tilesPerSide,
        double scale) override;
    bool describe(const Map& map, PictureKey& key) const override;

    double mx;
    double my;
    std::unique_ptr<Texture> image;
};
