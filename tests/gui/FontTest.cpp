#include "gui/FontManager.h"
#include "support/HeadlessWindow.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace {

const char* const boldFont = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";

class FontTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(TTF_Init(), 0) << SDL_GetError(); }
    void TearDown() override
    {
        font.reset();
        TTF_Quit();
    }

    TtfFont& freshFont()
    {
        font = std::make_unique<TtfFont>(TtfFontHandle(TTF_OpenFont(boldFont, 20)));
        return *font;
    }
    // Each is a miss with a text not drawn before; without a renderer no texture is made.
    void drawNewTexts(int count, SDL_Renderer* renderer)
    {
        for (int i = 0; i < count; ++i)
            font->drawText(renderer, 0, 0, ("text " + std::to_string(serial++)).c_str(), { 1, 2, 3, 255 });
    }

    HeadlessWindow display { 200, 60 };
    std::unique_ptr<TtfFont> font;
    int serial = 0;
};

// A second draw after "Sail" in { 10, 20, 30 }, and the texts kept then.
TEST_F(FontTest, KeepsOneTexturePerTextAndColourIgnoringAlpha)
{
    const std::tuple<const char*, SDL_Color, size_t> cases[] = { { "Sail", { 10, 20, 30, 255 }, 1 },
        { "Sail", { 11, 20, 30, 255 }, 2 }, { "Sail", { 10, 21, 30, 255 }, 2 }, { "Sail", { 10, 20, 31, 255 }, 2 },
        { "Sail", { 10, 20, 30, 0 }, 1 }, { "Sails", { 10, 20, 30, 255 }, 2 }, { "", { 10, 20, 30, 255 }, 1 } };
    for (size_t row = 0; row < std::size(cases); ++row) {
        const auto& [text, colour, kept] = cases[row];
        freshFont().drawText(display.renderer, 0, 0, "Sail", { 10, 20, 30, 255 });
        font->drawText(display.renderer, 0, 0, text, colour);
        EXPECT_EQ(font->cachedTexts(), kept) << "row " << row;
    }
}

// Labels are drawn in white with alpha 0, which must not make them transparent: inside a
// bold stroke the text's colour is met exactly.
TEST_F(FontTest, DrawsOpaqueTextInTheColoursChannels)
{
    display.clear();
    freshFont().drawText(display.renderer, 10, 10, "WWW", { 200, 40, 90, 0 });
    bool found = false;
    for (int i = 0; i < 60 * 30 && !found; ++i) {
        SDL_Color pixel = display.pixelAt(10 + i % 60, 10 + i / 60);
        found = pixel.r == 200 && pixel.g == 40 && pixel.b == 90;
    }
    EXPECT_TRUE(found);
    EXPECT_EQ(font->textWidth(nullptr) + font->textHeight(nullptr), 0);
    EXPECT_GT(font->textWidth("Regatta"), font->textWidth("Reg"));
}

// Misses that keep a texture, misses whose texture could not be made, and the texts left.
TEST_F(FontTest, EvictsOneTextPerThousandMissesOnlyBeyondOneHundred)
{
    const std::tuple<int, int, size_t> cases[] { { 100, 900, 100 }, { 101, 899, 100 }, { 101, 898, 101 },
        { 150, 1850, 148 }, { 1999, 0, 1998 }, { 2000, 0, 1998 } };
    for (const auto& [kept, failed, remaining] : cases) {
        freshFont();
        drawNewTexts(kept, display.renderer);
        drawNewTexts(failed, nullptr);
        for (int i = 0; i < 5; ++i)
            font->drawText(display.renderer, 0, 0, "", { 1, 2, 3, 255 }); // no surface, so no miss
        EXPECT_EQ(font->cachedTexts(), remaining) << kept << " kept, " << failed << " failed";
    }
}

TEST(FontManager, OpensTheTwoFontsOnFirstUse)
{
    TempFolder folder;
    FontManager manager(folder.path().string() + "/");
    EXPECT_EQ(manager.getFont(SmallFont), nullptr) << "no file yet";
    std::filesystem::copy_file(boldFont, folder.path() / "newscycle-bold.ttf");
    TtfFont* large = manager.getFont(LargeFont);
    ASSERT_TRUE(large && manager.getFont(SmallFont));
    EXPECT_EQ(manager.getFont(LargeFont), large);
    EXPECT_GT(large->textHeight("Ag"), manager.getFont(SmallFont)->textHeight("Ag"));
    EXPECT_EQ(manager.getFont(2), nullptr);
}

}
