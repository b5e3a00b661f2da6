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
#include <string>

inline bool sameColour(SDL_Color a, SDL_Color b)
{
    return a.r == b.r && a.g == b.g && a.b == b.b;
}

// Writes a PNG with its upper half in one colour and its lower half in another, so that
// pixels show which way a drawn image was turned.
inline void savePng(const std::filesystem::path& file, int width, int height, SDL_Color top, SDL_Color bottom)
{
    SdlSurface surface(SDL_CreateRGBSurfaceWithFormat(0, width, height, 32, SDL_PIXELFORMAT_RGBA32));
    SDL_FillRect(surface.get(), nullptr, SDL_MapRGBA(surface->format, top.r, top.g, top.b, top.a));
    SDL_Rect lower { 0, height / 2, width, height - height / 2 };
    SDL_FillRect(surface.get(), &lower, SDL_MapRGBA(surface->format, bottom.r, bottom.g, bottom.b, bottom.a));
    std::filesystem::create_directories(file.parent_path());
    EXPECT_EQ(IMG_SavePNG(surface.get(), file.c_str()), 0) << SDL_GetError();
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

    TestDataFolder data;
    HeadlessWindow display;
};
