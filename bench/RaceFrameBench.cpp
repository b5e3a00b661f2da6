// One frame of the race screen with the software renderer at 1920 x 1080: the map with 40
// loaded tiles and their wind arrows, the route, 200 boat markers with labels, the boat
// control panel with its course projection, the information panel, the wind tape and the
// close button. Nothing changes between frames, so each copies the chart's kept picture and
// draws the panels over it; chartFrame/2 of ChartFrameBench times a frame that redraws the
// chart. Run from the source tree so that data/ is found.

#include "FrameRatio.h"
#include "app/Storage.h"
#include "base/SdlHandles.h"
#include "gui/FontManager.h"
#include "gui/Screen.h"
#include "lobby/RaceRecord.h"
#include "net/TextureRegistry.h"
#include "race/BoatWidget.h"
#include "race/Map.h"
#include "race/Projection.h"
#include "race/RaceScreen.h"
#include "race/WindTile.h"
#include "router/Router.h"
#include "router/WindSampler.h"

#include <SDL.h>
#include <SDL_image.h>
#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <random>
#include <stdexcept>
#include <thread>
#include <vector>

namespace {

constexpr int screenWidth = 1920;
constexpr int screenHeight = 1080;
constexpr int32_t zoom = 8;
constexpr int windCells = 8;

// A tile-sized PNG with a pattern, as the tile server would send it.
std::vector<char> tilePng(int seed)
{
    SdlSurface surface(SDL_CreateRGBSurfaceWithFormat(0, 256, 256, 32, SDL_PIXELFORMAT_RGBA32));
    if (!surface)
        throw std::runtime_error(SDL_GetError());
    for (int band = 0; band < 16; ++band) {
        SDL_Rect stripe { 0, band * 16, 256, 16 };
        SDL_FillRect(surface.get(), &stripe, SDL_MapRGBA(surface->format, Uint8(30 + seed * 3), Uint8(90 + band * 8), 160, 255));
    }
    std::vector<char> buffer(1 << 20);
    SdlStream stream(SDL_RWFromMem(buffer.data(), int(buffer.size())));
    if (!stream || IMG_SavePNG_RW(surface.get(), stream.get(), 0) != 0)
        throw std::runtime_error(SDL_GetError());
    buffer.resize(size_t(SDL_RWtell(stream.get())));
    return buffer;
}

RaceRecord benchRace()
{
    RaceRecord race;
    race.id = 1;
    race.own.lat = 46.0;
    race.own.lon = -5.0;
    race.own.heading = 240;
    race.own.speed = 8.5;
    race.own.sail = 1;
    race.own.nick = "Bench";
    race.own.windDir = 200;
    race.own.windSpeed = 14;
    race.route = { Waypoint { 47.5, -3.0, 0, 0, 0 }, Waypoint { 45.0, -6.5, 90, 3, 2 }, Waypoint { 44.0, -2.0, 0, 0, 1 } };
    return race;
}

// The race screen as the program builds it, with its view moved to zoom 8 and 200 more
// boats; frames are drawn without its loop, so the periodic downloads never run.
struct RaceFrame {
    explicit RaceFrame(SDL_Window* window)
        : race(benchRace())
        , raceScreen(window, race)
        , map(&raceScreen.map())
    {
        map->zoom = zoom;
        map->targetZoom = zoom;
        alignViewAndLoadTiles();
        addBoats();

        // The first frame asks for the tiles' wind grids; fill them as finished downloads.
        frame();
        fillWind();
    }

    // The view on a tile corner, so that exactly 8 x 5 tiles cover the screen, each one
    // found in the disk cache as if downloaded before.
    void alignViewAndLoadTiles()
    {
        WorldPixel centre = latLonToWorldPixel(race.own.lat, race.own.lon, zoom);
        map->viewX = (centre.px - screenWidth / 2) / 256 * 256;
        map->viewY = (centre.py - screenHeight / 2) / 256 * 256;
        int n = 0;
        for (int row = 0; row < 5; ++row) {
            for (int column = 0; column < 8; ++column) {
                char path[100];
                std::snprintf(path, sizeof path, "/tiles/%i/%i/%i.png", zoom, map->viewX / 256 + column, map->viewY / 256 + row);
                std::vector<char> png = tilePng(n++);
                textureRegistry.writeCachedFile(tileServerUrl() + path, png.data(), png.size());
            }
        }
    }

    void addBoats()
    {
        std::mt19937 random(7);
        std::uniform_real_distribution<double> lat(race.own.lat - 2.0, race.own.lat + 2.0);
        std::uniform_real_distribution<double> lon(race.own.lon - 4.0, race.own.lon + 4.0);
        std::uniform_real_distribution<double> heading(0, 360);
        boats.resize(200);
        for (size_t i = 0; i < boats.size(); ++i) {
            BoatRecord& boat = boats[i];
            boat.lat = lat(random);
            boat.lon = lon(random);
            boat.heading = heading(random);
            boat.speed = 7;
            boat.position = int32_t(i + 1);
            boat.nick = "Sailor " + std::to_string(i);
            map->placeWidget(*map->addWidget(std::make_unique<BoatWidget>(&boat, nullptr, map)));
        }
    }

    void fillWind()
    {
        windRegistry.forEach([](WindData& data) {
            data.n = windCells;
            data.winds.assign(windCells * windCells, Wind { 225.0, 18.0 });
            data.downloadId = 0;
        });
    }

    // One turn of the event loop without the input, the idle handlers and the pause.
    void frame()
    {
        Screen& screen = raceScreen.screen();
        screen.update(0.016);
        screen.draw(screen.renderer, 0, 0);
        takeFinishedTextures();
        pollWindDownloads();
        SDL_RenderPresent(screen.renderer);
    }

    RaceRecord race;
    std::vector<BoatRecord> boats;
    RaceScreen raceScreen;
    Map* map;
};

SDL_Window* window = nullptr;

void RaceScreenFrame(benchmark::State& state)
{
    RaceFrame race(window);
    size_t loadedTiles = 0;
    for (auto& [key, entry] : race.map->tiles)
        loadedTiles += entry.texture && entry.texture->getTexture() && entry.wind && entry.wind->gridSize() > 0;
    if (loadedTiles != 40) {
        state.SkipWithError("the 40 tiles did not load from the cache");
        return;
    }
    for (auto _ : state)
        race.frame();
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["tiles"] = double(loadedTiles);
    state.counters["maxrss_MiB"] = double(usage.ru_maxrss) / 1024.0;
}

BENCHMARK(RaceScreenFrame)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

class SteadyWind : public WindSampler {
public:
    bool wind(double, double, double hours, WindSample& sample) const override
    {
        sample = { 45.0, 15.0 };
        return hours <= 72.0;
    }
};

// The same frame while routings of 72 hours run one after another on a thread of their
// own, as the route planner's worker runs them: the frame's CPU time must stay as it is.
void RaceScreenFrameWhileRouting(benchmark::State& state)
{
    RaceFrame race(window);
    SteadyWind wind;
    std::atomic<bool> stop { false };
    RouteRequest request;
    request.start = { race.race.own.lat, race.race.own.lon };
    request.target = { race.race.own.lat + 6.0, race.race.own.lon + 6.0, 0.0, 2.0, MarkWaypoint };
    request.sails = { { 1, Polar { { 0, 10, 20, 30 }, { 0, 45, 90, 135, 180 }, { { 0, 0, 0, 0 }, { 0, 5, 7, 8 }, { 0, 7, 9, 10 }, { 0, 6, 9, 10 }, { 0, 5, 7, 8 } } } } };
    request.wind = &wind;
    request.cancel = &stop;
    int routings = 0;
    std::thread router([&] {
        while (!stop) {
            planRoute(request);
            ++routings;
        }
    });
    for (auto _ : state)
        race.frame();
    stop = true;
    router.join();
    state.counters["routings"] = routings;
}

BENCHMARK(RaceScreenFrameWhileRouting)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

// One full-window copy and a present on the same window: the yardstick of the ratio.
void BareWindowFrame(benchmark::State& state)
{
    BareFrame bare(SDL_GetRenderer(window), screenWidth, screenHeight);
    for (auto _ : state)
        bare.frame();
}

BENCHMARK(BareWindowFrame)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

}

int main(int argc, char** argv)
{
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    setenv("SDL_RENDER_DRIVER", "software", 0);
    setenv("SDL_RENDER_VSYNC", "0", 0);
    // The tiles go into a disk cache of the bench's own.
    char pattern[] = "/tmp/tidewake-bench-XXXXXX";
    const char* home = mkdtemp(pattern);
    if (!home)
        return 2;
    setenv("XDG_DATA_HOME", home, 1);

    benchmark::Initialize(&argc, argv);
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_TIMER) != 0)
        return 2;
    window = SDL_CreateWindow("bench", 0, 0, screenWidth, screenHeight, SDL_WINDOW_HIDDEN);
    SDL_Renderer* renderer = window ? SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE) : nullptr;
    if (!renderer)
        return 2;
    initTextures(renderer);
    resetWindRegistry();
    createFontManager();

    FrameRatioReporter reporter("BareWindowFrame");
    benchmark::RunSpecifiedBenchmarks(&reporter);

    deleteFontManager();
    resetWindRegistry();
    clearTextures();
    SDL_DestroyRenderer(renderer);
    SDL_DestroyWindow(window);
    SDL_Quit();
    std::error_code ignored;
    std::filesystem::remove_all(home, ignored);
    return 0;
}
