#include "ChartTestSupport.h"
#include "race/Map.h"
#include "support/StdoutCapture.h"

namespace {

using MapSeaTest = ChartTest;

// The sea shows wherever a tile does not cover it: where the tile is missing, or through
// a tile that is not opaque. Each case draws twice, the second time over a black window,
// once every tile has been composed. A tile not shown for more than two seconds then gives
// up its composed picture at the next eviction; one shown lately keeps it.
TEST_F(MapSeaTest, TheSeaShowsWhereNoOpaqueTileCoversItAndIdleTilesGiveUpTheirComposedPicture)
{
    const SDL_Color sea { 10, 200, 30, 255 }, land { 200, 100, 50, 255 };
    data.writeImage("images/sea.png", 64, 64, sea);
    data.writeImage("images/wind-arrow.png", 20, 40, { 255, 255, 255, 255 });
    StdoutCapture out;
    for (auto [alpha, missing] : { std::tuple(255, true), std::tuple(128, false), std::tuple(255, false) }) {
        clearTextures();
        initTextures(display.renderer);
        for (int tile = 0; tile < 16; ++tile) {
            std::string path = textureRegistry.cacheFolder() + "tiles/2/" + std::to_string(tile % 4) + "/" + std::to_string(tile / 4) + ".png";
            std::filesystem::remove(path);
            SDL_Color colour { land.r, land.g, land.b, Uint8(tile == 5 ? alpha : 255) };
            if (tile != 5 || !missing)
                savePng(path, 256, 256, colour, colour);
        }
        Map map(1024, 768, 0.0, 0.0);
        map.zoom = map.targetZoom = 2;
        map.viewX = map.viewY = 0;
        map.draw(display.renderer, 0, 0);
        display.clear();
        map.draw(display.renderer, 0, 0);
        SDL_Color expected = missing ? sea : alpha == 255 ? land
                                                          : SDL_Color { 105, 150, 40, 255 },
                  shown = display.pixelAt(300, 300);
        EXPECT_LE(std::max(std::abs(shown.r - expected.r), std::abs(shown.g - expected.g)), 2) << alpha << " " << missing;
        EXPECT_TRUE(sameColour(display.pixelAt(100, 100), land));
        if (missing || alpha != 255)
            continue;
        std::tie(map.tiles.at({ 2, 0, 0 }).lastUse, map.tiles.at({ 2, 1, 0 }).lastUse) = std::pair(SDL_GetTicks() - 2500, SDL_GetTicks() - 1500);
        map.evictTile();
        for (auto [column, kept] : { std::pair(0, false), std::pair(1, true), std::pair(2, true) }) {
            TileEntry& entry = map.tiles.at({ 2, column, 0 });
            EXPECT_EQ(entry.composed.coversOpaque(entry.texture->getTexture(), entry.wind.get(), map.arrow.get()), kept) << column;
        }
    }
}

}
