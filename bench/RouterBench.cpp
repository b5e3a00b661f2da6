#include "nav/GreatCircle.h"
#include "router/Router.h"
#include "router/WindSampler.h"
#include "server/BoatType.h"
#include "server/WindField.h"

#include <benchmark/benchmark.h>

#include <cmath>

namespace {

constexpr double pi = 3.141592653589793;
constexpr int64_t forecastBase = 1800000000;

class SteadyWind : public WindSampler {
public:
    bool wind(double, double, double hours, WindSample& sample) const override
    {
        sample = { 45.0, 15.0 };
        return hours <= 72.0;
    }
};

// A cold front lying north-south sweeps east across the course at 20 knots, the wind
// behind it veering from south-west to north-west and freshening.
class PassingFront : public WindSampler {
public:
    bool wind(double lat, double lon, double hours, WindSample& sample) const override
    {
        double kmEast = (lon + 12.0) * 111.2 * std::cos(lat * pi / 180.0) - 37.0 * (hours - 12.0);
        double ahead = 0.5 * (1.0 + std::tanh(kmEast / 60.0));
        sample = { 310.0 - 90.0 * ahead, 22.0 - 10.0 * ahead };
        return hours <= 72.0;
    }
};

// The companion server's forecast, read as the client reads its wind grids.
class ServerForecast : public WindSampler {
public:
    bool wind(double lat, double lon, double hours, WindSample& sample) const override
    {
        server::Wind w = forecast.at(lat, lon, forecastBase + std::llround(hours * 3600.0));
        sample = { w.dir, w.speed };
        return hours <= 72.0;
    }

private:
    server::ForecastWind forecast;
};

RouteWaypoint markAt(double lat, double lon)
{
    return { lat, lon, 0.0, 2.0, MarkWaypoint };
}

void route(benchmark::State& state, const WindSampler& wind, GeoPoint start, RouteWaypoint target)
{
    RouteRequest request;
    request.start = start;
    request.target = target;
    request.sails = server::standardBoat().sails;
    request.wind = &wind;
    PlannedRoute planned;
    for (auto _ : state) {
        planned = planRoute(request);
        benchmark::DoNotOptimize(planned);
    }
    state.counters["eta_h"] = planned.etaHours;
    state.counters["reached"] = planned.reached;
    state.counters["left_nm"] = greatCircleDistance(planned.points.back().position.lat,
                                    planned.points.back().position.lon, target.lat, target.lon)
        / kmPerNauticalMile;
}

// A beat of some 500 miles into a steady north-easterly: more than the horizon.
void uniformWind(benchmark::State& state)
{
    route(state, SteadyWind(), { 40.0, -30.0 }, markAt(46.0, -24.0));
}

void rotatingFront(benchmark::State& state)
{
    route(state, PassingFront(), { 45.0, -15.0 }, markAt(46.0, -6.0));
}

// From off the Cape Verde Islands to off Curacao, about 2,700 miles through the trade
// winds, on the standard boat.
void oceanLeg(benchmark::State& state)
{
    route(state, ServerForecast(), { 16.0, -23.0 }, markAt(12.5, -70.0));
}

}

BENCHMARK(uniformWind)->Unit(benchmark::kMillisecond);
BENCHMARK(rotatingFront)->Unit(benchmark::kMillisecond);
BENCHMARK(oceanLeg)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
