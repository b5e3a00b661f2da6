#include "gui/FontManager.h"
#include "gui/Screen.h"
#include "support/HeadlessWindow.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

const char* const debianFont = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";

class FontTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(TTF_Init(), 0) << SDL_GetError(); }
    void TearDown() override
    {
        font.reset();
        TTF_Quit();
    }

    TtfFont& freshFont(int points = 20)
    {
        font = std::make_unique<TtfFont>(TtfFontHandle(TTF_OpenFont(debianFont, points)));
        return *font;
    }

    // Each call is a miss with a new text; without a renderer no texture can be made.
    void drawNewTexts(SDL_Renderer* renderer, int count)
    {
        for (int i = 0; i < count; ++i)
            font->drawText(renderer, 0, 0, ("text " + std::to_string(serial++)).c_str(), { 1, 2, 3, 255 });
    }

    HeadlessWindow display { 200, 60 };
    std::unique_ptr<TtfFont> font;
    int serial = 0;
};

struct Draw {
    const char* text;
    SDL_Color colour;
};

TEST_F(FontTest, KeepsOneTexturePerTextAndColourIgnoringAlpha)
{
    const SDL_Color base { 10, 20, 30, 255 };
    const std::vector<std::pair<std::vector<Draw>, size_t>> cases {
        { { { "Sail", base }, { "Sail", base } }, 1 },
        { { { "Sail", base }, { "Sail", { 11, 20, 30, 255 } } }, 2 },
        { { { "Sail", base }, { "Sail", { 10, 21, 30, 255 } } }, 2 },
        { { { "Sail", base }, { "Sail", { 10, 20, 31, 255 } } }, 2 },
        { { { "Sail", base }, { "Sail", { 10, 20, 30, 0 } } }, 1 },
        { { { "Sail", base }, { "Sails", base } }, 2 },
        { { { "", base } }, 0 },
    };
    for (const auto& [draws, entries] : cases) {
        freshFont();
        for (const Draw& draw : draws)
            font->drawText(display.renderer, 0, 0, draw.text, draw.colour);
        EXPECT_EQ(font->cachedTexts(), entries) << draws.back().text << " " << int(draws.back().colour.a);
    }
}

TEST_F(FontTest, DrawsOpaqueTextInTheColoursChannels)
{
    for (SDL_Color colour : { SDL_Color { 200, 40, 90, 0 }, SDL_Color { 250, 250, 250, 128 } }) {
        display.clear();
        freshFont().drawText(display.renderer, 10, 10, "WWW", colour);
        // The inside of a bold stroke is fully covered, so the brightest pixel is the colour.
        SDL_Color brightest { 0, 0, 0, 0 };
        for (int y = 10; y < 40; ++y) {
            for (int x = 10; x < 70; ++x) {
                SDL_Color pixel = display.pixelAt(x, y);
                if (pixel.r + pixel.g + pixel.b > brightest.r + brightest.g + brightest.b)
                    brightest = pixel;
            }
        }
        EXPECT_EQ((std::vector<int> { brightest.r, brightest.g, brightest.b }), (std::vector<int> { colour.r, colour.g, colour.b }));
    }
    EXPECT_EQ(font->textWidth(nullptr), 0);
    EXPECT_EQ(font->textHeight(nullptr), 0);
    EXPECT_GT(font->textWidth("Regatta"), font->textWidth("Reg"));
}

struct EvictionCase {
    int kept; // misses that leave a texture in the cache
    int failed; // misses whose texture could not be made
    int empty; // draws that make no surface, so are no misses
    size_t remaining;
};

TEST_F(FontTest, EvictsOneTextPerThousandMissesOnlyBeyondOneHundred)
{
    const EvictionCase cases[] {
        { 100, 900, 0, 100 }, { 101, 899, 0, 100 }, { 101, 898, 0, 101 }, { 101, 898, 5, 101 },
        { 150, 1850, 0, 148 }, { 1999, 0, 0, 1998 }, { 2000, 0, 0, 1998 },
    };
    for (const EvictionCase& test : cases) {
        freshFont();
        drawNewTexts(display.renderer, test.kept);
        drawNewTexts(nullptr, test.failed);
        for (int i = 0; i < test.empty; ++i)
            font->drawText(display.renderer, 0, 0, "", { 1, 2, 3, 255 });
        EXPECT_EQ(font->cachedTexts(), test.remaining) << test.kept << " " << test.failed << " " << test.empty;
    }
}

TEST_F(FontTest, EvictsTheLeastRecentlyDrawnTextThenTheFirstByTextRedBlueGreen)
{
    const SDL_Color greenish { 0, 1, 0, 255 }, bluish { 0, 0, 1, 255 };
    freshFont();
    advanceFrameClock(100);
    font->drawText(display.renderer, 0, 0, "a", greenish);
    advanceFrameClock(200);
    font->drawText(display.renderer, 0, 0, "b", greenish);
    font->drawText(display.renderer, 0, 0, "b", bluish);
    advanceFrameClock(300);
    drawNewTexts(display.renderer, 98);
    font->drawText(display.renderer, 0, 0, "a", greenish); // a hit refreshes the text
    drawNewTexts(nullptr, 899);
    EXPECT_TRUE(font->isCached("a", greenish));
    EXPECT_FALSE(font->isCached("b", greenish));
    drawNewTexts(display.renderer, 1);
    drawNewTexts(nullptr, 999);
    EXPECT_FALSE(font->isCached("b", bluish));
    EXPECT_TRUE(font->isCached("a", greenish));
    EXPECT_EQ(font->cachedTexts(), 100u);
}

TEST(FontManagerTest, OpensTheTwoRegisteredFontsOnFirstUseAndNothingElse)
{
    fs::path folder = fs::path(std::getenv("HOME")) / "fonts";
    fs::create_directories(folder);
    FontManager manager(folder.string() + "/");
    EXPECT_EQ(manager.getFont(SmallFont), nullptr);
    fs::copy_file(debianFont, folder / "newscycle-bold.ttf");
    TtfFont* large = manager.getFont(LargeFont);
    TtfFont* small = manager.getFont(SmallFont);
    ASSERT_TRUE(large && small);
    EXPECT_EQ(manager.getFont(LargeFont), large);
    EXPECT_GT(large->textHeight("Ag"), small->textHeight("Ag"));
    for (int unknown : { -1, 2 })
        EXPECT_EQ(manager.getFont(unknown), nullptr);

    EXPECT_EQ(getFont(LargeFont), nullptr);
    createFontManager();
    FontManager* first = fontManager();
    createFontManager();
    EXPECT_EQ(fontManager(), first);
    EXPECT_EQ(getFont(2), nullptr);
    deleteFontManager();
    EXPECT_EQ(fontManager(), nullptr);
}

}
