#include "race/RouteOverlay.h"

#include "boat/BoatRecord.h"
#include "gui/Font.h"
#include "gui/PictureKey.h"
#include "race/Map.h"
#include "race/RoutePlanner.h"

#include <cmath>
#include <ctime>
#include <utility>

namespace {

constexpr double tickHours = 6.0;
constexpr int tickHalfLength = 5;

void setRouteColour(SDL_Renderer* renderer)
{
    SDL_SetRenderDrawColor(renderer, 255, 140, 0, 255);
}

// The screen points of the route, each at the copy of the world next to the one before,
// so that a route across the 180-degree meridian is not drawn across the world.
std::vector<SDL_Point> screenPoints(const Map& map, const std::vector<GeoPoint>& places)
{
    int32_t world = worldSize(map.zoom);
    std::vector<SDL_Point> points;
    int32_t previous = map.centreColumn();
    for (const GeoPoint& place : places) {
        WorldPixel pixel = latLonToWorldPixel(place.lat, place.lon, map.zoom);
        pixel.px = nearestCopy(pixel.px, previous, world);
        previous = pixel.px;
        points.push_back(map.worldToScreen(pixel));
    }
    return points;
}

// A line two pixels wide, so that it stands out from the one-pixel course lines.
void drawThickLine(SDL_Renderer* renderer, SDL_Point from, SDL_Point to)
{
    SDL_RenderDrawLine(renderer, from.x, from.y, to.x, to.y);
    SDL_RenderDrawLine(renderer, from.x + 1, from.y + 1, to.x + 1, to.y + 1);
}

}

std::string etaLabel(int32_t start, double etaHours)
{
    std::time_t arrival = std::time_t(start) + std::time_t(std::llround(etaHours * 3600.0));
    std::tm calendar {};
    char text[64] = "";
    if (!gmtime_r(&arrival, &calendar) || std::strftime(text, sizeof text, "%Y-%m-%d %H:%M GMT", &calendar) == 0)
        return "ETA ?";
    return std::string("ETA ") + text;
}

std::vector<GeoPoint> routeTicks(const PlannedRoute& route)
{
    std::vector<GeoPoint> ticks;
    double next = tickHours;
    for (size_t i = 1; i < route.points.size(); ++i) {
        const RoutePoint& from = route.points[i - 1];
        const RoutePoint& to = route.points[i];
        for (; next < to.hours && next < route.etaHours; next += tickHours) {
            double f = (next - from.hours) / (to.hours - from.hours);
            double dlon = std::remainder(to.position.lon - from.position.lon, 360.0);
            ticks.push_back({ from.position.lat + f * (to.position.lat - from.position.lat), from.position.lon + f * dlon });
        }
    }
    return ticks;
}

RouteOverlay::RouteOverlay(const RoutePlanner* planner)
    : font(getFont(SmallFont))
    , planner(planner)
{
}

bool RouteOverlay::describe(const Map&, PictureKey& key) const
{
    const PlannedRoute* route = planner->route();
    key.add(int64_t(route ? route->points.size() : 0));
    if (!route)
        return true;
    for (const RoutePoint& point : route->points) {
        key.add(point.position.lat);
        key.add(point.position.lon);
        key.add(point.hours);
    }
    key.add(route->etaHours);
    key.add(int64_t(planner->routeStart()));
    key.add(int64_t(route->landIgnored + 2 * route->reached + 4 * route->windMissing));
    return true;
}

void RouteOverlay::draw(const Map& map, SDL_Renderer* renderer, int32_t, int32_t, int32_t, double)
{
    const PlannedRoute* route = planner->route();
    if (!route || route->points.empty())
        return;
    std::vector<GeoPoint> places;
    for (const RoutePoint& point : route->points)
        places.push_back(point.position);
    std::vector<SDL_Point> line = screenPoints(map, places);
    setRouteColour(renderer);
    for (size_t i = 1; i < line.size(); ++i)
        drawThickLine(renderer, line[i - 1], line[i]);
    for (SDL_Point tick : screenPoints(map, routeTicks(*route))) {
        SDL_RenderDrawLine(renderer, tick.x - tickHalfLength, tick.y, tick.x + tickHalfLength, tick.y);
        SDL_RenderDrawLine(renderer, tick.x, tick.y - tickHalfLength, tick.x, tick.y + tickHalfLength);
    }
    drawLabels(map, renderer, *route);
}

void RouteOverlay::drawLabels(const Map& map, SDL_Renderer* renderer, const PlannedRoute& route) const
{
    if (!font)
        return;
    SDL_Point end = screenPoints(map, { route.points.back().position }).front();
    std::string eta = etaLabel(planner->routeStart(), route.etaHours);
    font->drawText(renderer, end.x + 8, end.y - 8, eta.c_str(), textColour);
    // What the route could not take into account, one line each under the ETA.
    int y = end.y + 8;
    for (auto [applies, note] : { std::pair(route.landIgnored, "Route ignores land"), std::pair(!route.reached, "Route ends short of the mark"),
             std::pair(route.windMissing, "Some forecast wind missing") }) {
        if (applies) {
            font->drawText(renderer, end.x + 8, y, note, textColour);
            y += 16;
        }
    }
}
