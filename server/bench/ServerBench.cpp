// Measurements of the server's heavy paths: a simulation step of a large fleet and map
// tiles rendered without the disk cache, the boats list of one player. The answers over
// HTTP are measured with boats_latency.py.
#include "server/Coastline.h"
#include "server/GeoMath.h"
#include "server/RaceCatalog.h"
#include "server/RaceSimulation.h"
#include "server/RaceSnapshot.h"
#include "server/TileService.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <ctime>
#include <filesystem>

using namespace server;

namespace {

const char* coastDir()
{
    const char* dir = std::getenv("TIDEWAKE_COAST_CACHE");
    return dir ? dir : TIDEWAKE_COAST_CACHE;
}

const Coastline& coast()
{
    static Coastline shared(coastDir());
    return shared;
}

// A fleet spread along the legs of the ocean race, as it is some days after the start;
// computer-steered, or all players' boats.
void spreadFleet(RaceSimulation& simulation, int count, bool players)
{
    const Race& race = simulation.race();
    std::vector<Boat> fleet;
    for (int i = 0; i < count; ++i) {
        double along = static_cast<double>(i) / count * (race.route.size() - 1);
        size_t leg = static_cast<size_t>(along);
        double f = along - leg;
        Boat boat = simulation.newBoat(players ? i + 1 : 0, "bench", 0.5, race.start + 3600);
        boat.id = i + 1;
        boat.lat = race.route[leg].lat + f * (race.route[leg + 1].lat - race.route[leg].lat) + (i % 7) * 0.05;
        boat.lon = race.route[leg].lon + f * (race.route[leg + 1].lon - race.route[leg].lon);
        boat.waypoint = static_cast<int>(leg) + 1;
        fleet.push_back(boat);
    }
    simulation.add(fleet);
}

// Steps as the server makes them at --time-scale 600: ten minutes of sailing each real
// second. Forty-five steps sail seven and a half hours, the longest a skipper keeps a
// plan, so every boat plans again during the run and replanning weighs at its true rate.
// The second argument is the number of steps sailed before the measured ones: none for a
// fleet that has just joined, 45 for one that has sailed its first plans. Wall time and
// the CPU time of all threads are both reported, per step. A large fleet plans its routes
// on a thread of its own, which the server leaves the rest of each second: between steps
// the clock stops until the routes asked are planned, and "allCpuMs" counts the CPU time
// of the whole run, routes planned between steps included, per step.
void simulationStep(benchmark::State& state)
{
    static ForecastWind wind;
    Race race = RaceCatalog::builtIn(1800000000)[1];
    RaceSimulation simulation(race, standardBoat(), wind, &coast());
    int count = static_cast<int>(state.range(0));
    spreadFleet(simulation, count, false);
    int64_t time = race.start + 7200;
    for (int64_t warm = 0; warm < state.range(1); ++warm) {
        simulation.step(600.0, time++);
        simulation.awaitRoutes();
    }
    std::clock_t started = std::clock();
    for (auto _ : state) {
        simulation.step(600.0, time++);
        state.PauseTiming();
        simulation.awaitRoutes();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * count);
    state.counters["allCpuMs"] = benchmark::Counter(1000.0 * (std::clock() - started) / CLOCKS_PER_SEC / state.iterations());
}
BENCHMARK(simulationStep)
    ->ArgsProduct({ { 1000, 10000, 100000 }, { 0, 45 } })
    ->Iterations(45)
    ->MeasureProcessCPUTime()
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

// The boats list of one player in a large fleet, from a published snapshot.
void boatsList(benchmark::State& state)
{
    static ForecastWind wind;
    Race race = RaceCatalog::builtIn(1800000000)[1];
    RaceSimulation simulation(race, standardBoat(), wind, &coast());
    int count = static_cast<int>(state.range(0));
    spreadFleet(simulation, count, true);
    RaceSnapshot snapshot(simulation, 300);
    int asker = 0;
    for (auto _ : state) {
        asker = asker % count + 1;
        benchmark::DoNotOptimize(snapshot.boatsList(asker));
    }
}
// What a step adds to publish its snapshot.
void snapshotPublication(benchmark::State& state)
{
    static ForecastWind wind;
    Race race = RaceCatalog::builtIn(1800000000)[1];
    RaceSimulation simulation(race, standardBoat(), wind, &coast());
    spreadFleet(simulation, static_cast<int>(state.range(0)), true);
    for (auto _ : state)
        benchmark::DoNotOptimize(RaceSnapshot(simulation, 300));
}
BENCHMARK(snapshotPublication)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

BENCHMARK(boatsList)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

void tileRender(benchmark::State& state)
{
    // Coastal tiles around Cherbourg at each zoom.
    static TileService tiles(coast(), (std::filesystem::temp_directory_path() / "tidewake-bench").string(), 0);
    int zoom = static_cast<int>(state.range(0));
    double n = std::ldexp(1.0, zoom);
    int x = static_cast<int>((-1.64 + 180.0) / 360.0 * n);
    int y = static_cast<int>(latToWorldY(49.66, zoom) / 256.0);
    tiles.render(zoom, x, y);
    for (auto _ : state)
        benchmark::DoNotOptimize(tiles.render(zoom, x, y));
}
BENCHMARK(tileRender)->Arg(3)->Arg(8)->Arg(14)->Unit(benchmark::kMillisecond);

}

BENCHMARK_MAIN();
