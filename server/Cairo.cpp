#include "server/Cairo.h"

#include <fontconfig/fontconfig.h>

#include <stdexcept>

namespace server {

namespace {

cairo_status_t appendBytes(void* closure, const unsigned char* data, unsigned int length)
{
    static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
    return CAIRO_STATUS_SUCCESS;
}

}

Canvas::Canvas(int width, int height)
    : surface(cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height))
    , context(cairo_create(surface.get()))
{
    if (cairo_status(context.get()) != CAIRO_STATUS_SUCCESS)
        throw std::runtime_error("cairo could not make a canvas");
}

std::string Canvas::png()
{
    cairo_surface_flush(surface.get());
    std::string bytes;
    if (cairo_surface_write_to_png_stream(surface.get(), appendBytes, &bytes) != CAIRO_STATUS_SUCCESS)
        throw std::runtime_error("cairo could not write a PNG");
    return bytes;
}

void releaseFontCaches()
{
    cairo_debug_reset_static_data();
    FcFini();
}

} // namespace server
