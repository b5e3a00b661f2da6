#include "server/ChartPainter.h"

#include "server/Coastline.h"
#include "server/GeoMath.h"

#include <algorithm>
#include <cmath>

namespace server {

namespace {

struct Colour {
    double r, g, b;
};

const Colour sea { 0.69, 0.82, 0.91 };
const Colour land { 0.94, 0.91, 0.82 };
const Colour shore { 0.42, 0.50, 0.56 };
const Colour grid { 0.45, 0.60, 0.72 };

void setColour(cairo_t* cr, const Colour& c, double alpha = 1.0)
{
    cairo_set_source_rgba(cr, c.r, c.g, c.b, alpha);
}

CoastDetail detailFor(int zoom)
{
    if (zoom <= 4)
        return CoastDetail::Low;
    if (zoom <= 7)
        return CoastDetail::Intermediate;
    return CoastDetail::High;
}

bool near(double a, double b)
{
    return std::fabs(a - b) < 1e-9;
}

// True for an edge that the cutting into cells made, which is no coastline.
bool onCellBorder(const LonLat& a, const LonLat& b, double west, double south, double size)
{
    return (near(a.lon, west) && near(b.lon, west)) || (near(a.lon, west + size) && near(b.lon, west + size))
        || (near(a.lat, south) && near(b.lat, south)) || (near(a.lat, south + size) && near(b.lat, south + size));
}

}

void ChartPainter::paintSea(cairo_t* cr) const
{
    setColour(cr, sea);
    cairo_paint(cr);
}

void ChartPainter::paint(cairo_t* cr, int zoom, double x0, double y0, int width, int height) const
{
    paintSea(cr);
    paintGraticule(cr, zoom, x0, y0, width, height);
    paintLand(cr, coast.grid(detailFor(zoom)), zoom, x0, y0, width, height);
}

void ChartPainter::paintLand(cairo_t* cr, const CoastGrid& cells, int zoom, double x0, double y0, int width, int height) const
{
    double size = cells.cellSize();
    double west = worldXToLon(x0, zoom);
    double east = worldXToLon(x0 + width, zoom);
    double north = worldYToLat(y0, zoom);
    double south = worldYToLat(y0 + height, zoom);
    int c0 = std::clamp(static_cast<int>(std::floor((west + 180.0) / size)), 0, cells.columns() - 1);
    int c1 = std::clamp(static_cast<int>(std::floor((east + 180.0) / size)), 0, cells.columns() - 1);
    int r0 = std::clamp(static_cast<int>(std::floor((south + 90.0) / size)), 0, cells.rows() - 1);
    int r1 = std::clamp(static_cast<int>(std::floor((north + 90.0) / size)), 0, cells.rows() - 1);
    // Near the poles Mercator stretches; the bottom rows reach down to the pole.
    if (south < -85.0)
        r0 = 0;
    if (north > 85.0)
        r1 = cells.rows() - 1;
    auto px = [&](const LonLat& p) { return lonToWorldX(p.lon, zoom) - x0; };
    auto py = [&](const LonLat& p) { return latToWorldY(p.lat, zoom) - y0; };

    cairo_new_path(cr);
    for (int r = r0; r <= r1; ++r) {
        for (int c = c0; c <= c1; ++c) {
            for (const Ring& ring : cells.cell(c, r)) {
                cairo_move_to(cr, px(ring.front()), py(ring.front()));
                for (size_t i = 1; i < ring.size(); ++i)
                    cairo_line_to(cr, px(ring[i]), py(ring[i]));
                cairo_close_path(cr);
            }
        }
    }
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
    setColour(cr, land);
    cairo_fill(cr);

    cairo_new_path(cr);
    for (int r = r0; r <= r1; ++r) {
        for (int c = c0; c <= c1; ++c) {
            for (const Ring& ring : cells.cell(c, r)) {
                for (size_t i = 0; i < ring.size(); ++i) {
                    const LonLat& a = ring[i];
                    const LonLat& b = ring[(i + 1) % ring.size()];
                    if (onCellBorder(a, b, cells.west(c), cells.south(r), size))
                        continue;
                    cairo_move_to(cr, px(a), py(a));
                    cairo_line_to(cr, px(b), py(b));
                }
            }
        }
    }
    setColour(cr, shore);
    cairo_set_line_width(cr, zoom >= 10 ? 1.5 : 1.0);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_stroke(cr);
}

void ChartPainter::paintGraticule(cairo_t* cr, int zoom, double x0, double y0, int width, int height) const
{
    static const double spacings[] = { 30.0, 10.0, 5.0, 2.0, 1.0, 0.5, 0.25, 1.0 / 6, 1.0 / 12, 1.0 / 30, 1.0 / 60 };
    // About one line every two to four hundred pixels.
    double degreesPerPixel = 360.0 / (256.0 * std::ldexp(1.0, zoom));
    double spacing = spacings[0];
    for (double s : spacings) {
        if (s >= degreesPerPixel * 200.0)
            spacing = s;
    }
    double west = worldXToLon(x0, zoom);
    double east = worldXToLon(x0 + width, zoom);
    double north = worldYToLat(y0, zoom);
    double south = worldYToLat(y0 + height, zoom);
    cairo_new_path(cr);
    for (double lon = std::ceil(west / spacing) * spacing; lon <= east; lon += spacing) {
        double x = std::round(lonToWorldX(lon, zoom) - x0) + 0.5;
        cairo_move_to(cr, x, 0);
        cairo_line_to(cr, x, height);
    }
    for (double lat = std::ceil(south / spacing) * spacing; lat <= north; lat += spacing) {
        double y = std::round(latToWorldY(lat, zoom) - y0) + 0.5;
        cairo_move_to(cr, 0, y);
        cairo_line_to(cr, width, y);
    }
    setColour(cr, grid, 0.5);
    cairo_set_line_width(cr, 1.0);
    cairo_stroke(cr);
}

} // namespace server
