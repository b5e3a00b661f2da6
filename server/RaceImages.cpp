#include "server/RaceImages.h"

#include "server/Cairo.h"
#include "server/GeoMath.h"
#include "server/TileService.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <sstream>

namespace server {

namespace {

struct View {
    int zoom;
    double x0;
    double y0;
};

// The largest zoom at which the route with a margin fits the picture, centred.
View fitRoute(const Race& race, int width, int height)
{
    double west = 180.0, east = -180.0, south = 90.0, north = -90.0;
    for (const Waypoint& w : race.route) {
        west = std::min(west, w.lon);
        east = std::max(east, w.lon);
        south = std::min(south, w.lat);
        north = std::max(north, w.lat);
    }
    int zoom = 12;
    while (zoom > 1) {
        double spanX = lonToWorldX(east, zoom) - lonToWorldX(west, zoom);
        double spanY = latToWorldY(south, zoom) - latToWorldY(north, zoom);
        if (spanX * 1.3 + 40 <= width && spanY * 1.3 + 90 <= height)
            break;
        --zoom;
    }
    double cx = (lonToWorldX(east, zoom) + lonToWorldX(west, zoom)) / 2.0;
    double cy = (latToWorldY(south, zoom) + latToWorldY(north, zoom)) / 2.0;
    // Leave room at the bottom for the title band.
    return { zoom, cx - width / 2.0, cy - (height - 50) / 2.0 };
}

}

RaceImages::RaceImages(const Coastline& coast, std::string cacheDir)
    : painter(coast)
    , cacheDir(std::move(cacheDir))
{
}

std::string RaceImages::picture(const Race& race)
{
    // The name carries a digest of what is drawn, so an edited race gets a new picture.
    std::ostringstream what;
    what << race.name;
    for (const Waypoint& w : race.route)
        what << ' ' << w.lat << ' ' << w.lon << ' ' << w.hdg << ' ' << w.dst << ' ' << w.type;
    std::string path = cacheDir + "/images/race-" + std::to_string(race.id) + "-" + std::to_string(std::hash<std::string> {}(what.str())) + ".png";
    std::string bytes;
    if (readFile(path, bytes))
        return bytes;
    bytes = render(race);
    writeFileAtomically(path, bytes);
    return bytes;
}

std::string RaceImages::render(const Race& race) const
{
    Canvas canvas(width, height);
    cairo_t* cr = canvas.context.get();
    if (race.route.empty()) {
        painter.paint(cr, 2, 0, 0, width, height);
    } else {
        View view = fitRoute(race, width, height);
        painter.paint(cr, view.zoom, view.x0, view.y0, width, height);
        drawRoute(cr, race, view.zoom, view.x0, view.y0);
    }
    drawTitle(cr, race.name);
    return canvas.png();
}

void RaceImages::drawRoute(cairo_t* cr, const Race& race, int zoom, double x0, double y0) const
{
    auto px = [&](const GeoPoint& p) { return lonToWorldX(p.lon, zoom) - x0; };
    auto py = [&](const GeoPoint& p) { return latToWorldY(p.lat, zoom) - y0; };
    cairo_new_path(cr);
    for (const Waypoint& w : race.route)
        cairo_line_to(cr, px(w.centre()), py(w.centre()));
    cairo_set_source_rgba(cr, 0.75, 0.1, 0.1, 0.85);
    cairo_set_line_width(cr, 2.5);
    double dashes[] = { 8.0, 5.0 };
    cairo_set_dash(cr, dashes, 2, 0.0);
    cairo_stroke(cr);
    cairo_set_dash(cr, nullptr, 0, 0.0);
    for (const Waypoint& w : race.route) {
        if (w.type == GateWaypoint) {
            GeoPoint a = w.gateEnd(true);
            GeoPoint b = w.gateEnd(false);
            // A gate is drawn at least a few pixels wide, however small it is at this zoom.
            double ax = px(a), ay = py(a), bx = px(b), by = py(b);
            double length = std::hypot(bx - ax, by - ay);
            if (length < 12.0 && length > 0.0) {
                double cx = (ax + bx) / 2, cy = (ay + by) / 2, k = 6.0 / length;
                ax = cx + (ax - cx) * 2 * k;
                ay = cy + (ay - cy) * 2 * k;
                bx = cx + (bx - cx) * 2 * k;
                by = cy + (by - cy) * 2 * k;
            }
            cairo_move_to(cr, ax, ay);
            cairo_line_to(cr, bx, by);
            cairo_set_source_rgb(cr, 0.1, 0.1, 0.1);
            cairo_set_line_width(cr, 3.0);
            cairo_stroke(cr);
        } else {
            cairo_arc(cr, px(w.centre()), py(w.centre()), 5.0, 0, 2 * 3.141592653589793);
            cairo_set_source_rgb(cr, 0.95, 0.55, 0.1);
            cairo_fill_preserve(cr);
            cairo_set_source_rgb(cr, 0.2, 0.2, 0.2);
            cairo_set_line_width(cr, 1.5);
            cairo_stroke(cr);
        }
    }
}

void RaceImages::drawTitle(cairo_t* cr, const std::string& name) const
{
    cairo_rectangle(cr, 0, height - 50, width, 50);
    cairo_set_source_rgba(cr, 0.05, 0.15, 0.3, 0.8);
    cairo_fill(cr);
    cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
    cairo_set_font_size(cr, 26.0);
    cairo_text_extents_t extents;
    cairo_text_extents(cr, name.c_str(), &extents);
    cairo_move_to(cr, (width - extents.width) / 2.0 - extents.x_bearing, height - 25 - extents.height / 2.0 - extents.y_bearing);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_show_text(cr, name.c_str());
}

} // namespace server
