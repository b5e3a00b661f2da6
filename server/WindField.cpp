#include "server/WindField.h"

#include "nav/Angles.h"
#include "nav/LocalXY.h"

#include <cmath>

namespace server {

namespace {

constexpr double pi = 3.141592653589793;
constexpr double hour = 3600.0;
// A new pressure system is born every spawnPeriod seconds and lives for lifetime seconds.
constexpr double spawnPeriod = 4.0 * hour;
constexpr double lifetime = 6.0 * 24.0 * hour;

double bump(double x, double centre, double width)
{
    double d = (x - centre) / width;
    return std::exp(-d * d);
}

uint64_t mix(uint64_t x)
{
    x += 0x9e3779b97f4a7c15ULL;
    x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9ULL;
    x = (x ^ (x >> 27)) * 0x94d049bb133111ebULL;
    return x ^ (x >> 31);
}

// A uniform number in [0, 1) drawn for a system and one of its properties.
double draw(int64_t index, int property)
{
    uint64_t bits = mix(mix(static_cast<uint64_t>(index)) + static_cast<uint64_t>(property));
    return static_cast<double>(bits >> 11) / 9007199254740992.0;
}

// Where the steady trade off north-west Africa blows, from 0 to 1 at its heart.
double canaryTrade(double lat, double lon)
{
    return bump(lat, 26.0, 6.0) * bump(lon, -17.0, 8.0);
}

}

ForecastWind::Vector ForecastWind::belts(double lat, double lon, double time) const
{
    double a = std::fabs(lat);
    double south = lat < 0.0 ? 1.2 : 1.0;
    double toEquator = lat < 0.0 ? 1.0 : -1.0;
    Vector w;
    // Positive u blows towards the east, positive v towards the north.
    w.u = -14.0 * bump(a, 14.0, 11.0) + 15.0 * south * bump(a, 48.0, 11.0) - 8.0 * bump(a, 72.0, 7.0);
    w.v = 6.0 * toEquator * bump(a, 14.0, 11.0) - 4.0 * toEquator * bump(a, 48.0, 11.0);
    // Slow undulations so that no two places and hours are quite alike.
    double days = time / (24.0 * hour);
    w.u += 3.0 * std::sin(lon * pi / 40.0 + days * 0.9) * std::cos(lat * pi / 25.0 - days * 0.4);
    w.v += 3.0 * std::cos(lon * pi / 30.0 - days * 0.7) * std::sin(lat * pi / 35.0 + days * 0.5);
    // The eastern flank of the subtropical high drives a steady north-north-easterly down
    // the coast of north-west Africa, through the Canaries.
    double canary = 20.0 * canaryTrade(lat, lon);
    w.u -= 0.45 * canary;
    w.v -= 0.89 * canary;
    // The doldrums near 5 north take most of the wind away.
    double calm = 1.0 - 0.8 * bump(lat, 5.0, 3.0);
    w.u *= calm;
    w.v *= calm;
    return w;
}

ForecastWind::Vector ForecastWind::system(int64_t index, double lat, double lon, double time) const
{
    double birth = static_cast<double>(index) * spawnPeriod;
    double age = time - birth;
    if (age < 0.0 || age >= lifetime)
        return {};
    bool low = draw(index, 1) < 0.65;
    bool north = draw(index, 2) < 0.5;
    double days = age / (24.0 * hour);
    // Lows travel east along the westerlies and drift poleward; highs sit in the horse
    // latitudes and creep east.
    double startLat = low ? 40.0 + 20.0 * draw(index, 3) : 26.0 + 10.0 * draw(index, 3);
    double centreLat = startLat + (low ? 1.5 * days : 0.3 * days);
    double centreLon = -180.0 + 360.0 * draw(index, 4) + (low ? 11.0 : 4.0) * days;
    if (!north)
        centreLat = -centreLat;
    GeoPoint centre { centreLat, normalizeLongitude(centreLon) };
    double radius = low ? 500.0 + 500.0 * draw(index, 5) : 900.0 + 600.0 * draw(index, 5);
    LocalXY d = toLocal(centre, { lat, lon });
    double r = std::hypot(d.x, d.y);
    if (r > 4.0 * radius || r < 1e-6)
        return {};
    double strength = low ? 10.0 + 16.0 * draw(index, 6) : 5.0 + 7.0 * draw(index, 6);
    double envelope = std::pow(std::sin(pi * age / lifetime), 2.0);
    double q = r / radius;
    double speed = strength * envelope * q * std::exp(0.5 * (1.0 - q * q));
    // Lows turn anticlockwise in the north and clockwise in the south, highs the other
    // way; friction turns the wind a little into a low and out of a high.
    double turn = (low == north) ? 1.0 : -1.0;
    double inflow = low ? -0.35 : 0.25;
    Vector w;
    w.u = speed * (turn * -d.y / r + inflow * d.x / r);
    w.v = speed * (turn * d.x / r + inflow * d.y / r);
    return w;
}

ForecastWind::Vector ForecastWind::pressureSystems(double lat, double lon, double time) const
{
    Vector sum;
    int64_t last = static_cast<int64_t>(std::floor(time / spawnPeriod));
    int64_t first = static_cast<int64_t>(std::floor((time - lifetime) / spawnPeriod));
    for (int64_t index = first; index <= last; ++index) {
        Vector w = system(index, lat, lon, time);
        sum.u += w.u;
        sum.v += w.v;
    }
    return sum;
}

Wind ForecastWind::at(double lat, double lon, int64_t time) const
{
    double t = static_cast<double>(time);
    Vector b = belts(lat, lon, t);
    Vector s = pressureSystems(lat, lon, t);
    // Passing systems hardly disturb the steady trade.
    double shelter = 1.0 - canaryTrade(lat, lon);
    s.u *= shelter;
    s.v *= shelter;
    double u = b.u + s.u;
    double v = b.v + s.v;
    double speed = std::hypot(u, v);
    // Direction the wind comes from: the opposite of where the air goes.
    double dir = normalizeDegrees(std::atan2(-u, -v) * 180.0 / pi);
    return { dir, speed };
}

} // namespace server
