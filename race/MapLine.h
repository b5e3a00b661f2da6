#pragma once

#include "race/MapFeature.h"
#include "race/Projection.h"

#include <utility>
#include <vector>

// A route leg drawn along its great circle, as segments of about 100 km.
class MapLine : public MapFeature {
public:
    MapLine(double lat1, double lon1, double lat2, double lon2);

    void draw(const Map& map, SDL_Renderer* renderer, int32_t viewX, int32_t viewY, int32_t tilesPerSide,
        double scale) override;
    bool describe(const Map& map, PictureKey& key) const override;

    using Segment = std::pair<WorldPixel, WorldPixel>;
    // The segments between consecutive points, in world pixels at a zoom level. Each starts
    // at its copy of the world nearest column centre and ends the short way from there, so
    // a leg across the 180-degree meridian is not drawn right across the world.
    std::vector<Segment> segmentsNear(int32_t zoom, int32_t centre) const;

    std::vector<Metres> points;
};
