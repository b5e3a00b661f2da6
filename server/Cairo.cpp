#include "server/Cairo.h"

#include <fontconfig/fontconfig.h>

#include <new>
#include <stdexcept>

namespace server {

namespace {

// cairo's write callback; an exception must not cross cairo's C frames.
cairo_status_t appendBytes(void* closure, const unsigned char* data, unsigned int length)
{
    try {
        static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
    } catch (const std::bad_alloc&) {
        return CAIRO_STATUS_NO_MEMORY;
    }
    return CAIRO_STATUS_SUCCESS;
}

}

// A surface that could not be made is an error object whose context inherits the error.
Canvas::Canvas(int width, int height)
    : surface(cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height))
    , context(cairo_create(surface.get()))
{
    if (cairo_status(context.get()) != CAIRO_STATUS_SUCCESS)
        throw std::runtime_error("cairo could not make a canvas");
}

// Drawing errors stay on the context, so they are looked for before the image is written.
std::string Canvas::png()
{
    cairo_status_t drawn = cairo_status(context.get());
    if (drawn != CAIRO_STATUS_SUCCESS)
        throw std::runtime_error(std::string("cairo could not draw: ") + cairo_status_to_string(drawn));
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
