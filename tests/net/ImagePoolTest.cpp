#include "net/ImagePool.h"
#include "net/TextureRegistry.h"

#include "support/TempFolder.h"
#include "support/TestData.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class ImagePoolTest : public testing::Test {
protected:
    // A 4 x 4 PNG, red above and of the given blue below.
    std::string png(Uint8 blue) const
    {
        savePng(folder.path() / "image.png", 4, 4, { 255, 0, 0, 255 }, { 0, 0, blue, 255 });
        return folder.read("image.png");
    }
    std::vector<Uint32> drawn(SDL_Texture* texture) const
    {
        std::vector<Uint32> pixels(64);
        SDL_SetRenderDrawColor(renderer.get(), 0, 0, 0, 255);
        SDL_RenderClear(renderer.get());
        SDL_RenderCopy(renderer.get(), texture, nullptr, nullptr);
        EXPECT_EQ(SDL_RenderReadPixels(renderer.get(), nullptr, SDL_PIXELFORMAT_ARGB8888, pixels.data(), 32), 0);
        return pixels;
    }

    TempFolder folder;
    SdlSurface canvas { SDL_CreateRGBSurfaceWithFormat(0, 8, 8, 32, SDL_PIXELFORMAT_ARGB8888) };
    SdlRenderer renderer { SDL_CreateSoftwareRenderer(canvas.get()) };
};

// Only the images asked for in the last three seconds hold textures; one released is
// decoded again when asked for and draws the same pixels. Identical bytes are one image.
TEST_F(ImagePoolTest, ReleasesTexturesNotDrawnLatelyAndRemakesThemAlikeWhenDrawn)
{
    ImagePool pool;
    pool.init(renderer.get(), 0);
    std::vector<std::shared_ptr<PooledImage>> images;
    for (int i = 0; i < 30; ++i) {
        std::string bytes = png(Uint8(100 + i));
        images.push_back(pool.adopt(std::vector<char>(bytes.begin(), bytes.end())));
        ASSERT_TRUE(images.back() && images.back()->texture);
    }
    std::string first = png(100);
    EXPECT_EQ(pool.adopt(std::vector<char>(first.begin(), first.end())), images[0]);
    EXPECT_EQ(pool.adopt({ 'n', 'o', 't', ' ', 'p', 'n', 'g' }), nullptr);
    std::vector<Uint32> before = drawn(pool.wake(images[0]));
    EXPECT_EQ(std::vector(before.begin() + 8, before.begin() + 10), std::vector<Uint32>({ 0xffff0000, 0xffff0000 }));
    EXPECT_EQ(before[56], 0xff000064u);

    pool.releaseIdle(2000);
    for (int i = 20; i < 30; ++i)
        pool.wake(images[i]);
    pool.releaseIdle(3001);
    for (int i = 0; i < 30; ++i)
        EXPECT_EQ(images[i]->texture != nullptr, i >= 20) << i;

    EXPECT_EQ(drawn(pool.wake(images[0])), before);
    EXPECT_EQ(std::pair(images[0]->width, images[0]->height), std::pair(4, 4));
    pool.releaseIdle(6001);
    for (int i = 0; i < 30; ++i)
        EXPECT_EQ(images[i]->texture != nullptr, i == 0) << i;
}

// Remote images of identical bytes, here read from the disk cache, share one texture.
TEST_F(ImagePoolTest, TheRegistrysIdenticalRemoteImagesShareOneTexture)
{
    TempFolder home;
    setenv("XDG_DATA_HOME", home.path().c_str(), 1);
    initTextures(renderer.get());
    for (auto [path, blue] : { std::pair("tiles/a.png", 100), std::pair("tiles/b.png", 100), std::pair("tiles/c.png", 50) })
        home.write(textureRegistry.cacheFolder() + path, png(Uint8(blue)));
    std::vector<std::unique_ptr<Texture>> handles;
    for (const char* path : { "tiles/a.png", "tiles/b.png", "tiles/c.png" })
        handles.push_back(loadRemoteTexture(std::string("http://127.0.0.1:1/") + path));
    EXPECT_TRUE(handles[0]->isLoaded() && !handles[0]->isLoading());
    EXPECT_EQ(handles[0]->getTexture(), handles[1]->getTexture());
    EXPECT_NE(handles[0]->getTexture(), handles[2]->getTexture());
    handles.clear();
    clearTextures();
}

}
