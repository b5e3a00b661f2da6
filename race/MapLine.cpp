#include "race/MapLine.h"

#include "race/GreatCircle.h"
#include "race/Map.h"

MapLine::MapLine(double lat1, double lon1, double lat2, double lon2)
    : points(greatCirclePoints(lat1, lon1, lat2, lon2))
{
}

void MapLine::draw(const Map& map, SDL_Renderer* renderer, int32_t, int32_t, int32_t, double)
{
    SDL_SetRenderDrawColor(renderer, 200, 20, 255, 200);
    for (size_t i = 1; i < points.size(); ++i) {
        SDL_Point from = map.metresToScreen(points[i - 1].mx, points[i - 1].my);
        SDL_Point to = map.metresToScreen(points[i].mx, points[i].my);
        SDL_RenderDrawLine(renderer, from.x, from.y, to.x, to.y);
    }
}
