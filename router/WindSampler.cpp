#include "router/WindSampler.h"

#include <cmath>

bool WindSampler::usableWind(double lat, double lon, double hours, WindSample& sample) const
{
    return wind(lat, lon, hours, sample) && std::isfinite(sample.dir) && std::isfinite(sample.speed) && sample.speed >= 0.0;
}
