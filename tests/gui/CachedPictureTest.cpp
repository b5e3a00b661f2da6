#include "gui/CachedPicture.h"

#include "support/HeadlessWindow.h"

#include <gtest/gtest.h>

namespace {

// The picture is drawn only for a new key, yet every draw covers the window with it, even
// after the window was cleared. With a texture as render target nothing is drawn, so the
// caller draws directly.
TEST(CachedPictureTest, DrawsOnlyForANewKeyAndCopiesThePictureEveryFrame)
{
    HeadlessWindow display(64, 48);
    CachedPicture picture;
    auto keyOf = [](int64_t value) {
        PictureKey key;
        key.add(value);
        return key;
    };
    Uint8 red = 0;
    auto fill = [&] {
        SDL_SetRenderDrawColor(display.renderer, red, 100, 50, 255);
        SDL_RenderClear(display.renderer);
    };
    for (auto [key, colour, redraws] : { std::tuple(1, 200, 1), std::tuple(1, 90, 1), std::tuple(2, 90, 2), std::tuple(2, 10, 2) }) {
        red = Uint8(colour);
        display.clear();
        EXPECT_TRUE(picture.draw(display.renderer, keyOf(key), fill));
        EXPECT_EQ(picture.redraws(), redraws) << "key " << key;
        EXPECT_EQ(display.pixelAt(63, 47).r, redraws == 1 ? 200 : 90) << "key " << key;
    }
    SDL_SetWindowSize(display.window, 80, 48);
    SDL_PumpEvents();
    EXPECT_TRUE(picture.draw(display.renderer, keyOf(2), fill));
    EXPECT_EQ(std::pair(picture.redraws(), display.pixelAt(79, 47).r), std::pair(3, Uint8(10))) << "a wider window takes a wider picture";
    SdlTexture target(SDL_CreateTexture(display.renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_TARGET, 8, 8));
    ASSERT_EQ(SDL_SetRenderTarget(display.renderer, target.get()), 0);
    EXPECT_FALSE(picture.draw(display.renderer, keyOf(3), fill));
    EXPECT_EQ(picture.redraws(), 3);
}

}
