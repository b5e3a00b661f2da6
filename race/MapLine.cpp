#include "race/MapLine.h"

#include "gui/PictureKey.h"
#include "race/GreatCircle.h"
#include "race/Map.h"

MapLine::MapLine(double lat1, double lon1, double lat2, double lon2)
    : points(greatCirclePoints(lat1, lon1, lat2, lon2))
{
}

void MapLine::draw(const Map& map, SDL_Renderer* renderer, int32_t, int32_t, int32_t, double)
{
    SDL_SetRenderDrawColor(renderer, 200, 20, 255, 200);
    for (const auto& [start, end] : segmentsNear(map.zoom, map.centreColumn())) {
        SDL_Point from = map.worldToScreen(start);
        SDL_Point to = map.worldToScreen(end);
        SDL_RenderDrawLine(renderer, from.x, from.y, to.x, to.y);
    }
}

bool MapLine::describe(const Map&, PictureKey& key) const
{
    key.add(int64_t(points.size()));
    for (const Metres& point : points) {
        key.add(point.mx);
        key.add(point.my);
    }
    return true;
}

std::vector<MapLine::Segment> MapLine::segmentsNear(int32_t zoom, int32_t centre) const
{
    int32_t world = worldSize(zoom);
    std::vector<Segment> segments;
    for (size_t i = 1; i < points.size(); ++i) {
        WorldPixel from = metresToWorldPixel(points[i - 1].mx, points[i - 1].my, zoom);
        WorldPixel to = metresToWorldPixel(points[i].mx, points[i].my, zoom);
        from.px = nearestCopy(from.px, centre, world);
        to.px = nearestCopy(to.px, from.px, world);
        segments.emplace_back(from, to);
    }
    return segments;
}
