#pragma once

#include "app/Storage.h"
#include "base/SdlHandles.h"
#include "net/TextureRegistry.h"
#include "race/WindTile.h"
#include "support/HeadlessWindow.h"
#include "support/TestData.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

inline bool sameColour(SDL_Color a, SDL_Color b) { return a.r == b.r && a.g == b.g && a.b == b.b; }

// Puts the image of a zoom level's tile in the image cache, as if it had been downloaded.
inline void saveTile(int32_t zoom, int32_t column, int32_t row, SDL_Color top, SDL_Color bottom)
{
    std::string path = "tiles/" + std::to_string(zoom) + "/" + std::to_string(column) + "/" + std::to_string(row) + ".png";
    savePng(textureRegistry.cacheFolder() + path, 256, 256, top, bottom);
}
inline void saveTile(int32_t zoom, int32_t column, int32_t row, SDL_Color colour) { saveTile(zoom, column, row, colour, colour); }

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
