#pragma once

#include <cairo.h>

#include <memory>
#include <string>

namespace server {

// Owners of cairo objects; cairo's own reference counting is not needed here.
struct CairoSurfaceFree {
    void operator()(cairo_surface_t* surface) const { cairo_surface_destroy(surface); }
};
struct CairoContextFree {
    void operator()(cairo_t* context) const { cairo_destroy(context); }
};
using CairoSurface = std::unique_ptr<cairo_surface_t, CairoSurfaceFree>;
using CairoContext = std::unique_ptr<cairo_t, CairoContextFree>;

// A fresh image surface and a context drawing on it.
struct Canvas {
    Canvas(int width, int height);
    // The surface as PNG file bytes.
    std::string png();

    CairoSurface surface;
    CairoContext context;
};

// Cairo and fontconfig keep font caches for the whole process once text has been drawn;
// this gives them back. Only the end of the process may call it, when no cairo object is
// left; drawing afterwards would fill the caches again.
void releaseFontCaches();

} // namespace server
