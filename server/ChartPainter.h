#pragma once

#include <cairo.h>

namespace server {

class Coastline;
class CoastGrid;

// Paints a chart of a rectangle of the Web-Mercator world: sea, land, coastline and a
// graticule. Map tiles and race pictures are both made with it.
class ChartPainter {
public:
    explicit ChartPainter(const Coastline& coast)
        : coast(coast)
    {
    }

    // Paints the world pixels [x0, x0 + width) x [y0, y0 + height) at `zoom` onto the
    // context's origin.
    void paint(cairo_t* cr, int zoom, double x0, double y0, int width, int height) const;
    // Paints open sea only: what a chart shows where it has neither land nor lines.
    void paintSea(cairo_t* cr) const;

private:
    void paintLand(cairo_t* cr, const CoastGrid& grid, int zoom, double x0, double y0, int width, int height) const;
    void paintGraticule(cairo_t* cr, int zoom, double x0, double y0, int width, int height) const;

    const Coastline& coast;
};

} // namespace server
