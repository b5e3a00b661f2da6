#include "net/TextureRegistry.h"
#include "support/TempFolder.h"
#include "support/TestData.h"

#include <gtest/gtest.h>

namespace {

// Only images asked for in the last three seconds hold textures; one released is decoded
// again when asked for and draws the same pixels. Identical bytes are one image, in the
// pool as in the registry's remote images (here read from the disk cache).
TEST(ImagePoolTest, ReleasesTexturesNotDrawnLatelyRemakesThemAlikeAndSharesIdenticalBytes)
{
    TempFolder home;
    SdlSurface canvas(SDL_CreateRGBSurfaceWithFormat(0, 8, 8, 32, SDL_PIXELFORMAT_ARGB8888));
    SdlRenderer renderer(SDL_CreateSoftwareRenderer(canvas.get()));
    auto png = [&](int blue) { // red above, blue below
        savePng(home.path() / "image.png", 4, 4, { 255, 0, 0, 255 }, { 0, 0, Uint8(blue), 255 });
        std::string bytes = home.read("image.png");
        return std::vector<char>(bytes.begin(), bytes.end());
    };
    auto drawn = [&](SDL_Texture* texture) {
        std::vector<Uint32> pixels(64);
        SDL_RenderClear(renderer.get());
        SDL_RenderCopy(renderer.get(), texture, nullptr, nullptr);
        EXPECT_EQ(SDL_RenderReadPixels(renderer.get(), nullptr, SDL_PIXELFORMAT_ARGB8888, pixels.data(), 32), 0);
        return pixels;
    };
    ImagePool pool;
    pool.init(renderer.get(), 0);
    std::vector<std::shared_ptr<PooledImage>> images;
    for (int i = 0; i < 30; ++i)
        images.push_back(pool.adopt(png(100 + i)));
    EXPECT_TRUE(images[0] && images[0] == pool.adopt(png(100)) && images[1] != images[0] && !pool.adopt({ 'p', 'n', 'g' }));
    std::vector<Uint32> before = drawn(pool.wake(images[0]));
    EXPECT_EQ(std::tuple(before[9], before[56]), std::tuple(0xffff0000, 0xff000064));
    auto holding = [&](int from, int to, Uint32 now) {
        pool.releaseIdle(now);
        for (int i = 0; i < 30; ++i)
            EXPECT_EQ(images[i]->texture != nullptr, i >= from && i < to) << i << " at " << now;
    };
    holding(0, 30, 2000);
    for (int i = 20; i < 30; ++i)
        pool.wake(images[i]);
    holding(20, 30, 3001);
    EXPECT_EQ(drawn(pool.wake(images[0])), before);
    holding(0, 1, 6001);
    images[0].reset();
    EXPECT_NE(pool.adopt(png(100)), nullptr) << "the bytes of an image gone make a new one";

    setenv("XDG_DATA_HOME", home.path().c_str(), 1);
    initTextures(renderer.get());
    std::vector<std::unique_ptr<Texture>> handles;
    for (auto [name, blue] : { std::pair("a", 100), std::pair("b", 100), std::pair("c", 50) }) {
        savePng(textureRegistry.cacheFolder() + "tiles/" + name, 4, 4, { 255, 0, 0, 255 }, { 0, 0, Uint8(blue), 255 });
        handles.push_back(loadRemoteTexture(std::string("http://127.0.0.1:1/tiles/") + name));
    }
    EXPECT_TRUE(handles[0]->isLoaded() && !handles[0]->isLoading() && handles[0]->getTexture() == handles[1]->getTexture() && handles[0]->getTexture() != handles[2]->getTexture());
    handles.clear();
    clearTextures();
}

}
