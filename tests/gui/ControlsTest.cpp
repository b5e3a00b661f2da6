#include "gui/Button.h"
#include "gui/CheckBox.h"
#include "gui/Command.h"
#include "gui/Image.h"
#include "gui/Label.h"
#include "gui/MessageBox.h"
#include "gui/Screen.h"
#include "gui/ToggleButton.h"
#include "gui/TtfFont.h"
#include "gui/Window.h"
#include "net/TextureRegistry.h"
#include "support/HeadlessWindow.h"
#include "support/TestData.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const char* const boldFont = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";

TEST(ImageCrop, TheSourceIsCutToTheWidgetsAspectAboutTheCentre)
{
    const std::tuple<int, int, bool, std::vector<int>> cases[] = { { 2000, 1000, true, { 333, 0, 1333, 1000 } },
        { 1000, 2000, true, { 0, 625, 1000, 750 } }, { 2000, 1000, false, { 0, 0, 2000, 1000 } } };
    for (const auto& [width, height, crop, expected] : cases) {
        SDL_Rect source = Image::sourceRect(width, height, 1024, 768, crop);
        EXPECT_EQ((std::vector<int> { source.x, source.y, source.w, source.h }), expected) << width << "x" << height;
    }
}

TEST(LabelLayout, BreaksAtTheLastFittingSpaceAndCutsLongWords)
{
    BlockFont font; // 10 pixels a byte
    const std::tuple<const char*, int, std::vector<std::string>> cases[] = { { "short", 100, { "short" } },
        { "aaaa bbbb cccc", 100, { "aaaa bbbb", "cccc" } },
        { "aaaa bbbb cccc dddd eeee", 100, { "aaaa bbbb", "cccc dddd", "eeee" } },
        { "abcdefghijklmno", 100, { "abcdefghij", "klmno" } }, { "abcdefghijk", 100, { "abcdefghijk" } },
        { "abc", 5, {} }, { "", 100, { "" } } };
    for (const auto& [text, width, lines] : cases)
        EXPECT_EQ(Label(0, 0, width, 35, text, &font).lines, lines) << text;
}

// Pictures of one colour each: green on, red off, blue and yellow for the check box, and a
// nine-piece skin "images/test" of 10 x 10 corners, 1-pixel edges and centre.
class ControlsTest : public testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_EQ(TTF_Init(), 0) << SDL_GetError(); }
    void SetUp() override
    {
        data.writeImage("images/on.png", 8, 8, green);
        data.writeImage("images/off.png", 8, 8, red);
        data.writeImage("images/checkbox-on.png", 8, 8, blue);
        data.writeImage("images/checkbox-off.png", 8, 8, yellow);
        for (int i = 0; i < 9; ++i)
            data.writeImage("images/test-" + pieces[i] + ".png", i % 3 == 1 ? 1 : 10, i / 3 == 1 ? 1 : 10, pieceColour(i));
        initTextures(display.renderer);
        display.clear();
    }
    void TearDown() override { clearTextures(); }

    static SDL_Color pieceColour(int piece) { return { Uint8(20 + piece * 25), Uint8(240 - piece * 20), Uint8(piece * 9), 255 }; }
    bool colourAt(int x, int y, SDL_Color expected) const
    {
        SDL_Color actual = display.pixelAt(x, y);
        return actual.r == expected.r && actual.g == expected.g && actual.b == expected.b;
    }

    static constexpr SDL_Color red { 255, 0, 0, 255 }, green { 0, 255, 0, 255 }, blue { 0, 0, 255, 255 },
        yellow { 255, 255, 0, 255 }, black { 0, 0, 0, 255 }, white { 255, 255, 255, 255 };
    const std::string pieces[9] = { "left-top", "middle-top", "right-top", "left-center", "middle-center",
        "right-center", "left-bottom", "middle-bottom", "right-bottom" };
    HeadlessWindow display;
    TestDataFolder data;
};

TEST_F(ControlsTest, NineSkinPiecesCoverTheFrameAndOverlapInOrderWhenTooSmall)
{
    Skin("images/test").drawSkin(display.renderer, 20, 30, 100, 60);
    const SDL_Point samples[] = { { 20, 30 }, { 70, 35 }, { 119, 30 }, { 25, 60 }, { 70, 60 }, { 115, 60 }, { 20, 89 },
        { 70, 85 }, { 119, 89 } };
    for (int i = 0; i < 9; ++i)
        EXPECT_TRUE(colourAt(samples[i].x, samples[i].y, pieceColour(i))) << pieces[i];
    EXPECT_TRUE(colourAt(19, 30, black) && colourAt(120, 90, black));
    // 15 x 15: right corners over left ones, bottom ones over top ones, and no edges.
    Skin("images/test").drawSkin(display.renderer, 200, 0, 15, 15);
    const std::pair<SDL_Point, int> corners[] = { { { 202, 2 }, 0 }, { { 207, 2 }, 2 }, { { 202, 7 }, 6 }, { { 207, 7 }, 8 } };
    for (const auto& [point, piece] : corners)
        EXPECT_TRUE(colourAt(point.x, point.y, pieceColour(piece))) << pieces[piece];
}

struct Selection : ToggleButtonModel {
    bool isSelected(int value) override { return value == selected; }
    void select(int value) override { selected = value; }
    int selected = 1;
};

// A toggle button selects its value on the release and shows nothing until both of its
// pictures exist; a check box flips on the press.
TEST_F(ControlsTest, PictureButtonsShowTheirStateAndChangeIt)
{
    Selection model;
    ToggleButton(0, 0, 8, 8, 1, &model, "images/on.png", "images/missing.png").draw(display.renderer, 0, 0);
    ToggleButton(0, 0, 8, 8, 2, &model, "images/missing.png", "images/off.png").draw(display.renderer, 0, 0);
    EXPECT_TRUE(colourAt(4, 4, black));
    ToggleButton first(0, 0, 8, 8, 1, &model, "images/on.png", "images/off.png");
    ToggleButton second(0, 0, 8, 8, 2, &model, "images/on.png", "images/off.png");
    first.draw(display.renderer, 0, 0);
    second.draw(display.renderer, 10, 0);
    EXPECT_TRUE(colourAt(4, 4, green) && colourAt(14, 4, red));
    EXPECT_TRUE(second.onMouseDown(1, 1, 1) && model.selected == 1);
    EXPECT_TRUE(second.onMouseUp(1, 1, 1) && model.selected == 2);

    CheckBox box(20, 0, 8, 8, false);
    box.draw(display.renderer, 20, 0);
    EXPECT_TRUE(colourAt(22, 2, yellow));
    EXPECT_TRUE(box.onMouseDown(1, 2, 2) && !box.onMouseUp(1, 2, 2) && box.isOn);
    box.draw(display.renderer, 20, 0);
    EXPECT_TRUE(colourAt(22, 2, blue));
}

struct Counting : Command {
    void execute() override { ++runs; }
    int runs = 0;
};

// A button runs its command on the release; one named after a ".png" shows that picture
// stretched instead of a text.
TEST_F(ControlsTest, AButtonRunsItsCommandOnTheRelease)
{
    auto owned = std::make_unique<Counting>();
    Counting& command = *owned;
    Button button(0, 0, 40, 20, "images/on.png", std::move(owned), false);
    EXPECT_TRUE(button.onMouseDown(1, 0, 0) && command.runs == 0);
    EXPECT_TRUE(button.onMouseUp(1, 0, 0) && command.runs == 1);
    button.draw(display.renderer, 0, 0);
    EXPECT_TRUE(button.text.empty() && colourAt(39, 19, green) && colourAt(40, 20, black));
}

TEST_F(ControlsTest, ALabelDrawsEachLineATextHeightBelowThePreviousOne)
{
    BlockFont font;
    Label(10, 10, 100, 35, "aaaa bbbb cccc", &font).draw(display.renderer, 10, 10);
    EXPECT_TRUE(colourAt(95, 15, white) && colourAt(105, 15, black)) << "\"aaaa bbbb\" is 90 wide";
    EXPECT_TRUE(colourAt(45, 35, white)) << "\"cccc\" a line down";
    Label(0, 100, 5, 35, "abc", &font).draw(display.renderer, 0, 100);
    EXPECT_TRUE(colourAt(25, 105, white)) << "a text that cannot be laid out is drawn whole";
}

// Labels are drawn in white with alpha 0, which must not make them transparent: inside a
// bold stroke the text's colour is met exactly.
TEST_F(ControlsTest, TextIsDrawnOpaqueInTheColoursChannels)
{
    TtfFont font(TtfFontHandle(TTF_OpenFont(boldFont, 20)));
    font.drawText(display.renderer, 10, 10, "WWW", { 200, 40, 90, 0 });
    bool found = false;
    for (int i = 0; i < 60 * 30 && !found; ++i)
        found = colourAt(10 + i % 60, 10 + i / 60, { 200, 40, 90, 255 });
    EXPECT_TRUE(found);
    EXPECT_TRUE(font.textWidth("Regatta") > font.textWidth("Reg") && font.textHeight("Reg") > 0 && !font.textWidth(nullptr));
}

// After "Sail" in { 10, 20, 30 }: the same with alpha 0 is no new text; each other channel
// or text is.
TEST_F(ControlsTest, FontsKeepOneTexturePerTextAndColourIgnoringAlpha)
{
    TtfFont font(TtfFontHandle(TTF_OpenFont(boldFont, 20)));
    for (const auto& [text, colour] : { std::pair { "Sail", SDL_Color { 10, 20, 30, 255 } }, { "Sail", { 10, 20, 30, 0 } },
             { "Sail", { 11, 20, 30, 255 } }, { "Sail", { 10, 21, 30, 255 } }, { "Sail", { 10, 20, 31, 255 } }, { "Sails", { 10, 20, 30, 255 } } })
        font.drawText(display.renderer, 0, 0, text, colour);
    EXPECT_EQ(font.cachedTexts(), 5u);
}

// A window is centred with integer halves; Escape runs its cancel command unless handled inside.
TEST_F(ControlsTest, EscapeRunsTheWindowsCancelCommandOnlyWhenNothingInsideHandledIt)
{
    Window window(600, 460, nullptr);
    window.centreIn(1023, 767);
    EXPECT_EQ((std::pair { window.x, window.y }), (std::pair { 211, 153 }));
    Counting cancel;
    window.cancelCommand = &cancel;
    EXPECT_FALSE(window.onKeyDown(SDLK_a));
    EXPECT_TRUE(window.onKeyDown(SDLK_ESCAPE));
    struct EscapeGrabber : Accelerator {
        bool handleKey(SDL_Keycode key) override { return key == SDLK_ESCAPE; }
    } grabber;
    window.addAccelerator(&grabber);
    EXPECT_TRUE(window.onKeyDown(SDLK_ESCAPE));
    EXPECT_EQ(cancel.runs, 1);
}

// Every error the player must see waits in a box until Escape or OK closes it.
TEST(MessageBoxTest, EscapeClosesTheBox)
{
    HeadlessWindow display;
    std::string shown;
    messageBoxHooks.observer = [&](const std::string& text) {
        shown = text;
        pushKey(SDLK_ESCAPE);
    };
    showMessageBox(display.window, "Race full");
    messageBoxHooks.observer = nullptr;
    EXPECT_EQ(shown, "Race full");
}

}
