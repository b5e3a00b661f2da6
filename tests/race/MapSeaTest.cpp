#include "ChartTestSupport.h"
#include "race/Map.h"
#include "support/StdoutCapture.h"

namespace {

class MapSeaTest : public ChartTest {
};

// The sea shows wherever a tile does not cover it: where the tile is missing, or through a
// tile that is not opaque. Each case draws twice, the second time over a black window,
// once every tile has been composed.
TEST_F(MapSeaTest, TheSeaShowsWhereverNoOpaqueTileCoversIt)
{
    const SDL_Color sea { 10, 200, 30, 255 }, land { 200, 100, 50, 255 };
    data.writeImage("images/sea.png", 64, 64, sea);
    data.writeImage("images/wind-arrow.png", 20, 40, { 255, 255, 255, 255 });
    StdoutCapture out;
    for (auto [alpha, missing] : { std::tuple(255, false), std::tuple(255, true), std::tuple(128, false) }) {
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
        SDL_Color expected = missing ? sea : alpha == 255 ? land : SDL_Color { 105, 150, 40, 255 };
        SDL_Color shown = display.pixelAt(300, 300);
        EXPECT_NEAR(shown.r, expected.r, 2) << alpha << " " << missing;
        EXPECT_NEAR(shown.g, expected.g, 2) << alpha << " " << missing;
        EXPECT_TRUE(sameColour(display.pixelAt(100, 100), land));
    }
}

}
