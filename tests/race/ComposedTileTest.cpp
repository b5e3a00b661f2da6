#include "race/ComposedTile.h"

#include "ChartTestSupport.h"

#include <array>
#include <random>

namespace {

constexpr int side = ComposedTile::side, margin = ComposedTile::margin;

using ComposedTileTest = ChartTest;

// A 3 x 3 block of striped tiles from (150, 100) with the real arrow image, drawn directly
// and through composed tiles. Each row is a forecast time with one wind everywhere, or mixed
// winds (speed 0). The pictures are equal away from the tile borders and near them but for
// rounding (2 steps), unless arrows overlap in a tile's margin as mixed winds do: whether
// arrows stay in the tile, reach into the margin (100 on a 4 x 4 grid) or beyond it (200 on
// 2 x 2). The last row's data comes after a frame drawn without it: tiles are composed again.
TEST_F(ComposedTileTest, TheComposedPictureEqualsTheDirectDrawing)
{
    data.copyFromSource("images/wind-arrow.png");
    std::unique_ptr<Texture> arrow = loadLocalTexture("images/wind-arrow.png");
    SDL_SetTextureAlphaMod(arrow->getTexture(), 200);
    SdlSurface surface(SDL_CreateRGBSurfaceWithFormat(0, side, side, 32, SDL_PIXELFORMAT_RGBA32));
    for (int band = 0; band < 16; ++band) {
        SDL_Rect stripe { 0, band * 16, side, 16 };
        SDL_FillRect(surface.get(), &stripe, SDL_MapRGBA(surface->format, Uint8(40 + 9 * band), 120, Uint8(200 - 7 * band), 255));
    }
    SdlTexture image(SDL_CreateTextureFromSurface(display.renderer, surface.get()));
    std::array<WindData, 9> grids;
    std::array<ComposedTile, 9> composedTiles;
    auto picture = [&](bool composed) {
        display.clear({ 30, 60, 90, 255 });
        for (size_t tile = 0; tile < 9; ++tile) {
            SDL_Rect place { 150 + int(tile % 3) * side, 100 + int(tile / 3) * side, side, side };
            WindTileImp wind(&grids[tile]);
            if (!composed || !composedTiles[tile].draw(display.renderer, place.x, place.y, image.get(), &wind, arrow.get())) {
                EXPECT_FALSE(composed);
                SDL_RenderCopy(display.renderer, image.get(), nullptr, &place);
                drawWindArrows(display.renderer, place, &wind, arrow.get());
            }
        }
        std::vector<Uint32> pixels(1024 * 768);
        EXPECT_EQ(SDL_RenderReadPixels(display.renderer, nullptr, SDL_PIXELFORMAT_ARGB8888, pixels.data(), 1024 * 4), 0);
        return pixels;
    };
    std::mt19937 random(5);
    std::uniform_real_distribution<double> direction(0, 360), speed(5, 45);
    for (auto [time, n, towards, strength, overlaps] : { std::tuple(1, 8, 225.0, 40.0, 0), std::tuple(2, 4, 90.0, 100.0, 0), std::tuple(3, 7, 190.0, 35.0, 0), std::tuple(4, 2, 30.0, 200.0, 0), std::tuple(6, 8, 0.0, 0.0, 300), std::tuple(7, 0, 0.0, 0.0, 0), std::tuple(7, 4, 180.0, 100.0, 0) }) {
        for (WindData& grid : grids) {
            std::tie(grid.n, grid.time, grid.winds) = std::tuple(n, time, std::vector<Wind>());
            for (int cell = 0; cell < n * n; ++cell)
                grid.winds.push_back(strength > 0 ? Wind { towards, strength } : Wind { direction(random), speed(random) });
        }
        std::vector<Uint32> direct = picture(false), composed = picture(true);
        int inner = 0, coarse = 0;
        for (size_t i = 0; i < direct.size(); ++i) {
            int dx = (int(i % 1024) - 150 + margin) % side, dy = (int(i / 1024) - 100 + margin) % side;
            inner += direct[i] != composed[i] && dx > 2 * margin && dy > 2 * margin;
            for (int shift : { 0, 8, 16 })
                coarse += std::abs(int(direct[i] >> shift & 0xff) - int(composed[i] >> shift & 0xff)) > 2;
        }
        EXPECT_TRUE(inner == 0 && coarse <= overlaps) << "time " << time << ": " << inner << " inner, " << coarse << " coarse";
    }
}

}
