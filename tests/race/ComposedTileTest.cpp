#include "ChartTestSupport.h"
#include "race/ComposedTile.h"

#include <array>
#include <cstdlib>
#include <functional>
#include <random>
#include <vector>

namespace {

constexpr int side = ComposedTile::side;
const SDL_Point corner { 150, 100 };

// A 3 x 3 block of tiles with the real arrow image, drawn once as the map draws tiles
// directly and once through composed tiles, over the same background.
class ComposedTileTest : public ChartTest {
protected:
    ComposedTileTest()
    {
        data.copyFromSource("images/wind-arrow.png");
        arrow = loadLocalTexture("images/wind-arrow.png");
        SDL_SetTextureAlphaMod(arrow->getTexture(), 200);
        SdlSurface surface(SDL_CreateRGBSurfaceWithFormat(0, side, side, 32, SDL_PIXELFORMAT_RGBA32));
        for (int band = 0; band < 16; ++band) {
            SDL_Rect stripe { 0, band * 16, side, 16 };
            SDL_FillRect(surface.get(), &stripe, SDL_MapRGBA(surface->format, Uint8(40 + 9 * band), 120, Uint8(200 - 7 * band), 255));
        }
        image.reset(SDL_CreateTextureFromSurface(display.renderer, surface.get()));
    }

    std::vector<Uint32> picture(bool composed)
    {
        display.clear({ 30, 60, 90, 255 });
        for (int tile = 0; tile < 9; ++tile) {
            SDL_Rect place { corner.x + tile % 3 * side, corner.y + tile / 3 * side, side, side };
            WindTileImp wind(&grids[size_t(tile)]);
            if (composed && composedTiles[size_t(tile)].draw(display.renderer, place.x, place.y, image.get(), &wind, arrow.get()))
                continue;
            EXPECT_FALSE(composed);
            SDL_RenderCopy(display.renderer, image.get(), nullptr, &place);
            drawWindArrows(display.renderer, place, &wind, arrow.get());
        }
        std::vector<Uint32> pixels(1024 * 768);
        EXPECT_EQ(SDL_RenderReadPixels(display.renderer, nullptr, SDL_PIXELFORMAT_ARGB8888, pixels.data(), 1024 * 4), 0);
        return pixels;
    }

    // Pixels that differ away from the tile borders (farther than the margin from each),
    // and channels that differ by more than the blending's rounding (2 steps).
    std::pair<int, int> differences()
    {
        std::vector<Uint32> direct = picture(false);
        std::vector<Uint32> composed = picture(true);
        int inner = 0, coarse = 0;
        for (int y = 0; y < 768; ++y) {
            for (int x = 0; x < 1024; ++x) {
                Uint32 a = direct[size_t(y * 1024 + x)], b = composed[size_t(y * 1024 + x)];
                if (a == b)
                    continue;
                int dx = (x - corner.x + ComposedTile::margin) % side, dy = (y - corner.y + ComposedTile::margin) % side;
                inner += dx > 2 * ComposedTile::margin && dy > 2 * ComposedTile::margin;
                for (int shift : { 0, 8, 16 })
                    coarse += std::abs(int(a >> shift & 0xff) - int(b >> shift & 0xff)) > 2 ? 1 : 0;
            }
        }
        return { inner, coarse };
    }

    void fill(int n, std::function<Wind(std::mt19937&)> wind, int32_t time = 1)
    {
        std::mt19937 random(5);
        for (WindData& grid : grids) {
            grid.n = n;
            grid.time = time;
            grid.winds.clear();
            for (int cell = 0; cell < n * n; ++cell)
                grid.winds.push_back(wind(random));
        }
    }

    std::unique_ptr<Texture> arrow;
    SdlTexture image;
    std::array<WindData, 9> grids;
    std::array<ComposedTile, 9> composedTiles;
};

// One wind everywhere, with arrows that overlap only inside a tile: the pictures are equal,
// but for rounding where an arrow crosses a border, whether the arrows stay in the
// tile, reach into the margin (speed 100 on a 4 x 4 grid) or beyond it (speed 200 on a
// 2 x 2 grid). Each row is another forecast time, except the last: its grid's data
// arrives after a frame drawn without it, and the tiles are composed again.
TEST_F(ComposedTileTest, TheComposedPictureEqualsTheDirectDrawing)
{
    for (auto [time, n, direction, speed] : { std::tuple(1, 8, 225.0, 40.0), std::tuple(2, 4, 90.0, 100.0), std::tuple(3, 7, 190.0, 35.0),
             std::tuple(4, 2, 30.0, 200.0), std::tuple(5, 0, 0.0, 0.0), std::tuple(5, 4, 180.0, 100.0) }) {
        fill(n, [&](std::mt19937&) { return Wind { direction, speed }; }, time);
        EXPECT_EQ(differences(), std::make_pair(0, 0)) << n << " cells at " << direction << ", " << speed;
    }
}

// Winds of every direction and speed: away from the borders the pictures are equal; near
// them only where two arrows overlap in a tile's margin do they differ beyond rounding.
TEST_F(ComposedTileTest, MixedWindsDifferOnlyWhereArrowsOverlapNearABorder)
{
    fill(8, [](std::mt19937& random) {
        return Wind { std::uniform_real_distribution<double>(0, 360)(random), std::uniform_real_distribution<double>(5, 45)(random) };
    });
    auto [inner, coarse] = differences();
    EXPECT_EQ(inner, 0);
    EXPECT_LT(coarse, 300);
}

}
