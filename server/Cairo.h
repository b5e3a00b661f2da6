#pragma once

#include "base/UniqueHandle.h"

#include <cairo.h>

#include <string>

namespace server {

// Owners of cairo objects; cairo's own reference counting is not needed here.
using CairoSurface = UniqueHandle<cairo_surface_t, cairo_surface_destroy>;
using CairoContext = UniqueHandle<cairo_t, cairo_destroy>;

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
