#pragma once

#include "app/Storage.h"
#include "gui/Screen.h"
#include "net/TextureRegistry.h"
#include "race/WindTile.h"
#include "support/HeadlessWindow.h"
#include "support/LocalHttpServer.h"
#include "support/RunningDownloader.h"
#include "support/TestData.h"

#include <SDL_image.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace chart {

// Polls every few milliseconds until the condition holds; false when time ran out.
inline bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit = std::chrono::seconds(15))
{
    auto deadline = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

inline bool sameColour(SDL_Color a, SDL_Color b)
{
    return a.r == b.r && a.g == b.g && a.b == b.b;
}

inline std::string describe(SDL_Color colour)
{
    return "(" + std::to_string(colour.r) + ", " + std::to_string(colour.g) + ", " + std::to_string(colour.b) + ")";
}

// A PNG file's bytes: the upper half of the image in one colour, the lower in another.
inline std::string pngBytes(int width, int height, SDL_Color top, SDL_Color bottom)
{
    static int serial = 0;
    std::filesystem::path file = std::filesystem::path(std::getenv("HOME")) / ("chart-" + std::to_string(serial++) + ".png");
    SdlSurface surface(SDL_CreateRGBSurfaceWithFormat(0, width, height, 32, SDL_PIXELFORMAT_RGBA32));
    SDL_FillRect(surface.get(), nullptr, SDL_MapRGBA(surface->format, top.r, top.g, top.b, top.a));
    SDL_Rect lower { 0, height / 2, width, height - height / 2 };
    SDL_FillRect(surface.get(), &lower, SDL_MapRGBA(surface->format, bottom.r, bottom.g, bottom.b, bottom.a));
    IMG_SavePNG(surface.get(), file.c_str());
    std::ifstream stream(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>());
}

inline void writeFile(const std::filesystem::path& file, const std::string& bytes)
{
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << bytes;
}

// The colour the tile server paints tile (x, y) with, so pixels tell which tile shows.
inline SDL_Color tileColour(int column, int row)
{
    return SDL_Color { Uint8(40 + 50 * (column % 4)), Uint8(30 + 60 * (row % 4)), 222, 255 };
}

// Everything a chart needs: a software renderer, a data folder, the texture and wind
// registries, and one local server that answers both as tile server and as race server.
// Tiles are painted by their column and row; wind answers come from windAnswer.
class ChartTest : public testing::Test {
protected:
    void SetUp() override
    {
        startDownloaderOnce();
        initTextures(display.renderer);
        std::error_code ignored;
        std::filesystem::remove_all(textureRegistry.cacheFolder(), ignored);
        resetWindRegistry();
        server.server.Get(R"(/tiles/(\d+)/(\d+)/(\d+)\.png)", [this](const httplib::Request& request, httplib::Response& response) {
            record(request.path);
            int column = std::stoi(request.matches[2]);
            int row = std::stoi(request.matches[3]);
            response.set_content(tilePng(column, row), "image/png");
        });
        server.server.Get("/wind", [this](const httplib::Request& request, httplib::Response& response) {
            record(request.path + "?" + request.get_param_value("z") + "/" + request.get_param_value("x") + "/"
                + request.get_param_value("y") + "/" + request.get_param_value("t"));
            response.set_content(windAnswer(request), "text/plain");
        });
        server.start();
        // Stopping a server whose thread has not begun to listen yet would wait forever.
        ASSERT_TRUE(waitUntil([this] { return server.server.is_running(); }));
        useServer(server.baseUrl());
    }

    void TearDown() override
    {
        EXPECT_TRUE(drainWindDownloads()) << "wind grids still in flight at the end of the test";
        clearTextures();
        resetWindRegistry();
        server.stop();
    }

    static void useServer(const std::string& url)
    {
        storage->writeString("raceServer", url);
        storage->writeString("tileServer", url);
        reloadServerUrls();
    }

    // The default grid: 2 x 2 cells of wind from the north at speed 50.
    virtual std::string windAnswer(const httplib::Request&) { return "numWinds = 2, winds = {0, 50, 0, 50, 0, 50, 0, 50}"; }

    void record(const std::string& path)
    {
        std::lock_guard<std::mutex> hold(mutex);
        requests.push_back(path);
    }

    std::vector<std::string> seen()
    {
        std::lock_guard<std::mutex> hold(mutex);
        return requests;
    }

    size_t countSeen(const std::string& prefix)
    {
        size_t count = 0;
        for (const std::string& path : seen())
            count += path.compare(0, prefix.size(), prefix) == 0;
        return count;
    }

    // Runs the registries' per-frame work until no wind grid is in flight, so that no
    // answer of this test is left for the next one. On a loaded machine a connection
    // the local server's short backlog refused is retried after a few seconds.
    bool drainWindDownloads()
    {
        return waitUntil([] {
            takeFinishedTextures();
            pollWindDownloads();
            bool waiting = false;
            windRegistry.forEach([&](const WindData& data) { waiting |= data.downloadId != 0; });
            return !waiting;
        }, std::chrono::seconds(60));
    }

    std::string tilePng(int column, int row)
    {
        std::lock_guard<std::mutex> hold(mutex);
        int key = (column % 4) * 4 + row % 4;
        if (tileImages[key].empty())
            tileImages[key] = pngBytes(256, 256, tileColour(column, row), tileColour(column, row));
        return tileImages[key];
    }

    TestDataFolder data;
    HeadlessWindow display;
    LocalHttpServer server;
    std::mutex mutex;
    std::vector<std::string> requests;
    std::string tileImages[16];
};

}
