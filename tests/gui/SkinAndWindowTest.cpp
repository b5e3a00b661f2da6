#include "gui/Command.h"
#include "gui/Skin.h"
#include "gui/Window.h"
#include "net/TextureRegistry.h"
#include "support/HeadlessWindow.h"
#include "support/TestData.h"

#include <gtest/gtest.h>

namespace {

struct Piece {
    const char* suffix;
    int width;
    int height;
    SDL_Color colour;
};

const Piece pieces[] = {
    { "-left-top.png", 10, 10, { 255, 0, 0, 255 } },
    { "-middle-top.png", 1, 10, { 0, 255, 0, 255 } },
    { "-right-top.png", 10, 10, { 0, 0, 255, 255 } },
    { "-left-center.png", 10, 1, { 255, 255, 0, 255 } },
    { "-middle-center.png", 1, 1, { 255, 255, 255, 255 } },
    { "-right-center.png", 10, 1, { 0, 255, 255, 255 } },
    { "-left-bottom.png", 10, 10, { 255, 0, 255, 255 } },
    { "-middle-bottom.png", 1, 10, { 128, 128, 128, 255 } },
    { "-right-bottom.png", 10, 10, { 255, 128, 0, 255 } },
};

class SkinTest : public testing::Test {
protected:
    void SetUp() override
    {
        for (const Piece& piece : pieces)
            data.writeImage(std::string("images/test") + piece.suffix, piece.width, piece.height, piece.colour);
        initTextures(display.renderer);
        display.clear();
    }
    void TearDown() override { clearTextures(); }

    void expectColour(int x, int y, SDL_Color expected)
    {
        SDL_Color actual = display.pixelAt(x, y);
        EXPECT_TRUE(actual.r == expected.r && actual.g == expected.g && actual.b == expected.b)
            << "at " << x << "," << y << ": " << int(actual.r) << "," << int(actual.g) << "," << int(actual.b);
    }

    HeadlessWindow display;
    TestDataFolder data;
};

TEST_F(SkinTest, NinePiecesCoverTheFrame)
{
    Skin skin("images/test");
    skin.drawSkin(display.renderer, 20, 30, 100, 60);
    const struct {
        int x, y;
        int piece;
    } samples[] = {
        { 20, 30, 0 }, { 70, 35, 1 }, { 119, 30, 2 },
        { 25, 60, 3 }, { 70, 60, 4 }, { 115, 60, 5 },
        { 20, 89, 6 }, { 70, 85, 7 }, { 119, 89, 8 },
    };
    for (const auto& sample : samples)
        expectColour(sample.x, sample.y, pieces[sample.piece].colour);
    expectColour(19, 30, { 0, 0, 0, 255 });
    expectColour(120, 90, { 0, 0, 0, 255 });
}

TEST_F(SkinTest, FrameSmallerThanItsCornersDrawsOnlyOverlappingCornersInOrder)
{
    Skin skin("images/test");
    skin.drawSkin(display.renderer, 0, 0, 15, 15);
    expectColour(2, 2, pieces[0].colour);  // left-top, under nothing
    expectColour(7, 2, pieces[2].colour);  // right-top drawn over left-top
    expectColour(2, 7, pieces[6].colour);  // left-bottom over left-top
    expectColour(7, 7, pieces[8].colour);  // right-bottom last of the corners
    expectColour(16, 16, { 0, 0, 0, 255 });
}

TEST_F(SkinTest, MissingPiecesAreSkippedAndCountAsEmpty)
{
    Skin skin("images/absent");
    skin.drawSkin(display.renderer, 0, 0, 50, 50);
    expectColour(25, 25, { 0, 0, 0, 255 });
}

struct Flag : Command {
    void execute() override { ++runs; }
    int runs = 0;
};

struct EscapeEater : Widget {
    EscapeEater()
        : Widget(0, 0, 10, 10)
    {
    }
    bool onKeyDown(SDL_Keycode key) override { return key == SDLK_ESCAPE; }
};

TEST_F(SkinTest, EscapeRunsTheCancelCommandOnlyWhenNothingInsideHandledIt)
{
    Window window(300, 200, "TITLE");
    EXPECT_FALSE(window.onKeyDown(SDLK_ESCAPE));

    Flag cancel;
    window.cancelCommand = &cancel;
    EXPECT_TRUE(window.onKeyDown(SDLK_ESCAPE));
    EXPECT_FALSE(window.onKeyDown(SDLK_a));
    EXPECT_EQ(cancel.runs, 1);

    auto* eater = window.addChild(std::make_unique<EscapeEater>());
    eater->setFocus(true);
    EXPECT_TRUE(window.onKeyDown(SDLK_ESCAPE));
    EXPECT_EQ(cancel.runs, 1);
}

TEST_F(SkinTest, WindowCentresWithIntegerHalves)
{
    Window window(600, 460, nullptr);
    window.centreIn(1023, 767);
    EXPECT_EQ(window.x, 211);
    EXPECT_EQ(window.y, 153);
}

}
