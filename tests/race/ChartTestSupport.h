#pragma once

#include "app/Storage.h"
#include "base/SdlHandles.h"
#include "net/TextureRegistry.h"
#include "race/WindTile.h"
#include "support/HeadlessWindow.h"
#include "support/TestData.h"

#include <SDL_image.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace chart {

inline bool sameColour(SDL_Color a, SDL_Color b)
{
    return a.r == b.r && a.g == b.g && a.b == b.b;
}

// Writes a PNG with its upper half in one colour and its lower half in another, so that
// pixels show which way a drawn image was turned; returns the file's bytes.
inline std::string savePng(const std::filesystem::path& file, int width, int height, SDL_Color top, SDL_Color bottom)
{
    SdlSurface surface(SDL_CreateRGBSurfaceWithFormat(0, width, height, 32, SDL_PIXELFORMAT_RGBA32));
    SDL_FillRect(surface.get(), nullptr, SDL_MapRGBA(surface->format, top.r, top.g, top.b, top.a));
    SDL_Rect lower { 0, height / 2, width, height - height / 2 };
    SDL_FillRect(surface.get(), &lower, SDL_MapRGBA(surface->format, bottom.r, bottom.g, bottom.b, bottom.a));
    std::filesystem::create_directories(file.parent_path());
    EXPECT_EQ(IMG_SavePNG(surface.get(), file.c_str()), 0) << SDL_GetError();
    std::ifstream stream(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>());
}

inline void useServer(const std::string& url)
{
    storage->writeString("raceServer", url);
    storage->writeString("tileServer", url);
    reloadServerUrls();
}

// A software renderer, an empty data folder, empty image and wind registries and an empty
// image cache. Until a test names a server of its own every request goes to a closed port.
class ChartTest : public testing::Test {
protected:
    ChartTest()
    {
        initTextures(display.renderer);
        std::error_code ignored;
        std::filesystem::remove_all(textureRegistry.cacheFolder(), ignored);
        resetWindRegistry();
        useServer("http://127.0.0.1:1");
    }

    // Tiles come from the image cache in colours of their own, so pixels tell which shows.
    static SDL_Color tileColour(int column, int row) { return { Uint8(40 + 50 * column), Uint8(30 + 60 * row), 222, 255 }; }
    void cacheTile(int zoom, int column, int row) const
    {
        std::string path = "tiles/" + std::to_string(zoom) + "/" + std::to_string(column) + "/" + std::to_string(row) + ".png";
        savePng(textureRegistry.cacheFolder() + path, 256, 256, tileColour(column, row), tileColour(column, row));
    }

    TestDataFolder data;
    HeadlessWindow display;
};

}
