#pragma once

#include "server/ChartPainter.h"
#include "server/Route.h"

#include <string>

namespace server {

// The race pictures of the race list: a chart of the race area with the route, its marks
// and gates and the race's name, rendered once and kept under "images/" in the data folder.
class RaceImages {
public:
    static constexpr int width = 620;
    static constexpr int height = 412;

    RaceImages(const Coastline& coast, std::string cacheDir);

    std::string picture(const Race& race);
    std::string render(const Race& race) const;

private:
    void drawRoute(cairo_t* cr, const Race& race, int zoom, double x0, double y0) const;
    void drawTitle(cairo_t* cr, const std::string& name) const;

    ChartPainter painter;
    std::string cacheDir;
};

} // namespace server
