#pragma once

#include "race/MapFeature.h"
#include "router/Router.h"

#include <cstdint>
#include <string>
#include <vector>

class Font;
class RoutePlanner;

// "ETA " and the arrival as "%Y-%m-%d %H:%M GMT", from the route's start in calendar
// seconds and its arrival in hours after that.
std::string etaLabel(int32_t start, double etaHours);
// Where the route is every six hours after its start, before its arrival; each leg is
// taken as sailed at an even pace between its points.
std::vector<GeoPoint> routeTicks(const PlannedRoute& route);

// The planner's finished route on the chart: a polyline in orange, a small tick across it
// every six hours and the arrival time at its end, with "Route ignores land" under it when
// the race server gave no land. Draws nothing while there is no route.
class RouteOverlay : public MapFeature {
public:
    explicit RouteOverlay(const RoutePlanner* planner);

    void draw(const Map& map, SDL_Renderer* renderer, int32_t viewX, int32_t viewY, int32_t tilesPerSide,
        double scale) override;
    bool describe(const Map& map, PictureKey& key) const override;

    Font* font;

private:
    void drawLabels(const Map& map, SDL_Renderer* renderer, const PlannedRoute& route) const;

    const RoutePlanner* planner;
};
