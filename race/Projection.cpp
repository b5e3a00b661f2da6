#include "race/Projection.h"

#include <cassert>
#include <cmath>

namespace {

constexpr double pi = 3.141592653589793;

// Infinite or undefined columns (bad data) become 0 so that the conversion to an integer
// stays defined.
double finiteOrZero(double value)
{
    return std::isfinite(value) ? value : 0.0;
}

} // namespace

int32_t worldSize(int32_t zoom)
{
    assert(zoom >= 0 && zoom <= 22);
    return 256 * (int32_t(1) << zoom);
}

Metres latLonToMetres(double lat, double lon)
{
    double mx = lon * mercatorHalfCircumference / 180;
    double my = std::log(std::tan((lat + 90) * pi / 360)) / (pi / 180) * mercatorHalfCircumference / 180;
    return { mx, my };
}

WorldPixel metresToWorldPixel(double mx, double my, int32_t zoom)
{
    double size = worldSize(zoom);

    double column = finiteOrZero(std::trunc(mx / mercatorCircumference * size + size * 0.5));
    column = std::fmod(column, size);
    if (column < 0)
        column += size;

    double row = std::trunc((mercatorHalfCircumference - my) / mercatorCircumference * size);
    // Only the south pole, reached as latitude 270 after a great-circle step, makes the
    // logarithm's argument negative.
    if (std::isnan(row))
        row = size;
    if (row < 0)
        row = 0.0;
    if (row > size)
        row = size;

    return { int32_t(column), int32_t(row) };
}

WorldPixel latLonToWorldPixel(double lat, double lon, int32_t zoom)
{
    Metres metres = latLonToMetres(lat, lon);
    return metresToWorldPixel(metres.mx, metres.my, zoom);
}

int32_t nearestCopy(int32_t px, int32_t centre, int32_t world)
{
    int64_t distance = int64_t(centre) - px + world / 2;
    int64_t copies = distance / world - (distance % world < 0 ? 1 : 0);
    return int32_t(px + copies * world);
}
