// One frame of the race screen's chart at 1920 x 1080 on the software renderer: the map's
// update and draw with 40 tiles on screen, an 8 x 8 wind grid on each, 200 boat markers
// with labels and a route of 20 legs with their flags. A frame at rest copies the chart's
// kept picture; a frame after a change (a pan, a boat turning) draws it afresh. Run from the source tree so that
// data/ (sea, arrow, boat icons, flag, font) is found.

#include "FrameRatio.h"
#include "app/Storage.h"
#include "base/SdlHandles.h"
#include "boat/BoatRecord.h"
#include "gui/FontManager.h"
#include "nav/GreatCircle.h"
#include "net/TextureRegistry.h"
#include "race/BoatWidget.h"
#include "race/Map.h"
#include "race/MapImage.h"
#include "race/MapLine.h"
#include "race/Projection.h"
#include "race/WindTile.h"

#include <SDL.h>
#include <SDL_image.h>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

constexpr int screenWidth = 1920;
constexpr int screenHeight = 1080;
constexpr int32_t chartZoom = 8;
constexpr int boatCount = 200;
constexpr int legCount = 20;
constexpr int windCells = 8;

// Keeps the user's settings and image cache out of the run.
void useTemporaryFolders()
{
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    char pattern[] = "/tmp/tidewake-bench-XXXXXX";
    const char* home = mkdtemp(pattern);
    if (!home)
        throw std::runtime_error("cannot make a temporary folder");
    setenv("HOME", home, 1);
    setenv("XDG_DATA_HOME", (std::string(home) + "/data").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (std::string(home) + "/config").c_str(), 1);
}

// A tile image with some structure, so that the copy is not of one flat colour.
void writeCachedTile(int32_t z, int32_t x, int32_t y)
{
    SdlSurface surface(SDL_CreateRGBSurfaceWithFormat(0, 256, 256, 32, SDL_PIXELFORMAT_RGBA32));
    for (int band = 0; band < 16; ++band) {
        SDL_Rect stripe { 0, band * 16, 256, 16 };
        SDL_FillRect(surface.get(), &stripe, SDL_MapRGBA(surface->format, Uint8(60 + 8 * band), Uint8(90 + x % 7 * 20), Uint8(160 + y % 5 * 15), 255));
    }
    std::string path = "tiles/" + std::to_string(z) + "/" + std::to_string(x) + "/" + std::to_string(y) + ".png";
    std::filesystem::path file = std::filesystem::path(textureRegistry.cacheFolder()) / path;
    std::filesystem::create_directories(file.parent_path());
    IMG_SavePNG(surface.get(), file.c_str());
}

// The chart of a race in full swing, drawn into a surface by SDL's software renderer.
struct Chart {
    explicit Chart(bool withRaceOnTop)
    {
        surface.reset(SDL_CreateRGBSurfaceWithFormat(0, screenWidth, screenHeight, 32, SDL_PIXELFORMAT_ARGB8888));
        renderer.reset(SDL_CreateSoftwareRenderer(surface.get()));
        if (!renderer)
            throw std::runtime_error(SDL_GetError());
        initTextures(renderer.get());
        resetWindRegistry();
        createFontManager();

        const double lat = 46.0;
        const double lon = -4.0;
        map = std::make_unique<Map>(screenWidth, screenHeight, lat, lon);
        WorldPixel centre = latLonToWorldPixel(lat, lon, chartZoom);
        map->zoom = chartZoom;
        map->targetZoom = chartZoom;
        // Tile-aligned, so that exactly 8 columns and 5 rows of tiles are on screen.
        map->viewX = (centre.px - screenWidth / 2) / 256 * 256;
        map->viewY = (centre.py - screenHeight / 2) / 256 * 256;
        for (int32_t row = 0; row < 5; ++row) {
            for (int32_t column = 0; column < 8; ++column)
                writeCachedTile(chartZoom, map->viewX / 256 + column, map->viewY / 256 + row);
        }
        map->draw(renderer.get(), 0, 0);
        fillWindGrids();
        if (withRaceOnTop) {
            addRoute(lat, lon);
            addBoats(lat, lon);
        }
        map->update(0.016);
    }

    ~Chart()
    {
        map.reset();
        clearTextures();
        resetWindRegistry();
        deleteFontManager();
        renderer.reset();
    }

    // The grids stay in flight (no download thread runs here); their data is filled in as
    // an answer would fill it.
    void fillWindGrids()
    {
        std::mt19937 random(7);
        std::uniform_real_distribution<double> direction(0.0, 360.0);
        std::uniform_real_distribution<double> speed(5.0, 45.0);
        windRegistry.forEach([&](WindData& data) {
            data.n = windCells;
            data.winds.clear();
            for (int cell = 0; cell < windCells * windCells; ++cell)
                data.winds.emplace_back(direction(random), speed(random));
        });
    }

    void addRoute(double lat, double lon)
    {
        GeoPoint from { lat - 2.0, lon - 5.0 };
        for (int leg = 0; leg < legCount; ++leg) {
            GeoPoint to { lat - 2.0 + (leg % 2 == 0 ? 3.5 : 0.5), from.lon + 0.5 };
            map->addFeature(std::make_unique<MapLine>(from.lat, from.lon, to.lat, to.lon));
            map->addFeature(std::make_unique<MapImage>(to.lat, to.lon, "images/flag-red.png"));
            from = to;
        }
    }

    void addBoats(double lat, double lon)
    {
        std::mt19937 random(11);
        std::uniform_real_distribution<double> latitude(lat - 2.5, lat + 2.5);
        std::uniform_real_distribution<double> longitude(lon - 6.0, lon + 6.0);
        std::uniform_real_distribution<double> heading(0.0, 360.0);
        records.resize(boatCount);
        for (int i = 0; i < boatCount; ++i) {
            BoatRecord& record = records[size_t(i)];
            record.lat = latitude(random);
            record.lon = longitude(random);
            record.heading = heading(random);
            record.nick = "skipper" + std::to_string(i);
            record.position = i + 1;
            map->addWidget(std::make_unique<BoatWidget>(&record, i == 0 ? &panel : nullptr, map.get()));
        }
    }

    void frame()
    {
        map->update(0.016);
        map->draw(renderer.get(), 0, 0);
    }

    SdlSurface surface;
    SdlRenderer renderer;
    std::unique_ptr<Map> map;
    std::vector<BoatRecord> records;
    Widget panel { 0, 0, 10, 10 };
};

// Argument 1: the full chart at rest; 0: only the tiles with their wind arrows, to tell the
// cost of the markers and the route apart; 2: the full chart with one boat turning by a
// degree each frame, so that every frame draws the picture again, as a pan does, over
// the same 40 tiles.
void chartFrame(benchmark::State& state)
{
    Chart chart(state.range(0) != 0);
    double turn = state.range(0) == 2 ? 1.0 : 0.0;
    int loaded = 0;
    for (const auto& [key, entry] : chart.map->tiles)
        loaded += entry.texture && entry.texture->getTexture() ? 1 : 0;
    if (loaded != 40 || !chart.map->arrow || !chart.map->sea) {
        state.SkipWithError("tiles or images missing: run from the source tree");
        return;
    }
    for (auto _ : state) {
        if (!chart.records.empty())
            chart.records[0].heading += turn;
        chart.frame();
    }
    // A picture of the last frame, to see what was measured.
    if (const char* snapshot = std::getenv("CHART_BENCH_SNAPSHOT"))
        IMG_SavePNG(chart.surface.get(), snapshot);
    state.counters["tiles"] = double(loaded);
    state.counters["markers"] = double(chart.map->widgets.size());
    state.counters["features"] = double(chart.map->features.size());
}

BENCHMARK(chartFrame)->Arg(1)->Arg(0)->Arg(2)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly(true);

// The least a frame costs on the same kind of renderer: the yardstick of the ratios.
void bareFrame(benchmark::State& state)
{
    SdlSurface surface(SDL_CreateRGBSurfaceWithFormat(0, screenWidth, screenHeight, 32, SDL_PIXELFORMAT_ARGB8888));
    SdlRenderer renderer(surface ? SDL_CreateSoftwareRenderer(surface.get()) : nullptr);
    if (!renderer) {
        state.SkipWithError(SDL_GetError());
        return;
    }
    BareFrame bare(renderer.get(), screenWidth, screenHeight);
    for (auto _ : state)
        bare.frame();
}

BENCHMARK(bareFrame)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly(true);

}

int main(int argc, char** argv)
{
    useTemporaryFolders();
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_TIMER) != 0) {
        std::fprintf(stderr, "SDL_Init: %s\n", SDL_GetError());
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    FrameRatioReporter reporter("bareFrame");
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    SDL_Quit();
    return 0;
}
