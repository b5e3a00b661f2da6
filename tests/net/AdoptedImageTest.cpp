#include "gui/Texture.h"
#include "net/TextureRegistry.h"
#include "support/HeadlessWindow.h"
#include "support/TestData.h"

#include <gtest/gtest.h>

#include <tuple>

namespace {

// A picture decoded ahead of time stands for a local image that is not (or not yet) read
// from data/; a name already known keeps its image, and no picture adds nothing.
TEST(AdoptedImage, ADecodedPictureIsTheLocalImageOfItsNameUnlessTheNameIsKnown)
{
    HeadlessWindow display;
    TestDataFolder data;
    data.writeImage("images/known.png", 6, 4, { 0, 0, 255, 255 });
    initTextures(display.renderer);
    std::unique_ptr<Texture> known = loadLocalTexture("images/known.png");
    for (auto [name, width, height] : { std::tuple("images/known.png", 9, 9), std::tuple("images/early.jpg", 12, 7) })
        textureRegistry.adoptLocal(name, SdlSurface(SDL_CreateRGBSurfaceWithFormat(0, width, height, 32, SDL_PIXELFORMAT_RGBA32)));
    textureRegistry.adoptLocal("images/none.jpg", nullptr);
    std::unique_ptr<Texture> early = loadLocalTexture("images/early.jpg");
    ASSERT_TRUE(early && early->getTexture());
    EXPECT_EQ(early->getWidth() * 100 + early->getHeight(), 1207);
    EXPECT_EQ(loadLocalTexture("images/known.png")->getWidth(), 6);
    EXPECT_EQ(loadLocalTexture("images/none.jpg"), nullptr);
    known.reset();
    early.reset();
    clearTextures();
}

}
