#include "gui/FontManager.h"
#include "gui/Screen.h"
#include "gui/TtfFont.h"
#include "support/HeadlessWindow.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

const char* const debianFont = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";

class FontTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(TTF_Init(), 0) << SDL_GetError();
        font = openFont(20);
        ASSERT_TRUE(font);
    }
    void TearDown() override
    {
        font.reset();
        TTF_Quit();
    }

    static std::unique_ptr<TtfFont> openFont(int points)
    {
        TtfFontHandle handle(TTF_OpenFont(debianFont, points));
        return handle ? std::make_unique<TtfFont>(std::move(handle)) : nullptr;
    }

    // Each call is a miss with a fresh text.
    void drawFreshTexts(SDL_Renderer* renderer, const char* prefix, int count)
    {
        for (int i = 0; i < count; ++i) {
            std::string text = prefix + std::to_string(serial++);
            font->drawText(renderer, 0, 0, text.c_str(), white);
        }
    }

    HeadlessWindow display { 200, 100 };
    std::unique_ptr<TtfFont> font;
    int serial = 0;
    static constexpr SDL_Color white { 255, 255, 255, 255 };
};

struct Draw {
    const char* text;
    SDL_Color colour;
};

struct CacheCase {
    const char* what;
    std::vector<Draw> draws;
    size_t entries;
};

TEST_F(FontTest, OneCacheEntryPerTextAndOpaqueColour)
{
    const std::vector<CacheCase> cases {
        { "same text and colour twice", { { "Sail", { 10, 20, 30, 255 } }, { "Sail", { 10, 20, 30, 255 } } }, 1 },
        { "another red", { { "Sail", { 10, 20, 30, 255 } }, { "Sail", { 11, 20, 30, 255 } } }, 2 },
        { "another green", { { "Sail", { 10, 20, 30, 255 } }, { "Sail", { 10, 21, 30, 255 } } }, 2 },
        { "another blue", { { "Sail", { 10, 20, 30, 255 } }, { "Sail", { 10, 20, 31, 255 } } }, 2 },
        { "alpha only", { { "Sail", { 10, 20, 30, 0 } }, { "Sail", { 10, 20, 30, 255 } } }, 1 },
        { "another text", { { "Sail", { 10, 20, 30, 255 } }, { "Sails", { 10, 20, 30, 255 } } }, 2 },
        { "empty text renders nothing", { { "", { 10, 20, 30, 255 } } }, 0 },
    };
    for (const CacheCase& test : cases) {
        font = openFont(20);
        for (const Draw& draw : test.draws)
            font->drawText(display.renderer, 0, 0, draw.text, draw.colour);
        EXPECT_EQ(font->cachedTexts(), test.entries) << test.what;
    }
}

TEST_F(FontTest, TextComesOutOpaqueInTheColoursChannelsWhateverItsAlpha)
{
    const SDL_Color colours[] { { 200, 40, 90, 0 }, { 30, 220, 120, 0 }, { 250, 250, 250, 128 } };
    for (SDL_Color colour : colours) {
        display.clear();
        font->drawText(display.renderer, 10, 10, "WWW", colour);
        // The inside of a bold W stroke is fully covered, so the brightest pixel is the colour.
        SDL_Color brightest { 0, 0, 0, 0 };
        int brightestSum = -1;
        for (int y = 10; y < 40; ++y) {
            for (int x = 10; x < 70; ++x) {
                SDL_Color pixel = display.pixelAt(x, y);
                if (pixel.r + pixel.g + pixel.b > brightestSum) {
                    brightestSum = pixel.r + pixel.g + pixel.b;
                    brightest = pixel;
                }
            }
        }
        EXPECT_EQ(brightest.r, colour.r);
        EXPECT_EQ(brightest.g, colour.g);
        EXPECT_EQ(brightest.b, colour.b);
    }
}

TEST_F(FontTest, MeasuresTextAndGivesZeroForNull)
{
    EXPECT_EQ(font->textWidth(nullptr), 0);
    EXPECT_EQ(font->textHeight(nullptr), 0);
    EXPECT_GT(font->textWidth("Regatta"), font->textWidth("Reg"));
    EXPECT_GT(font->textWidth("Reg"), 0);
    EXPECT_GT(font->textHeight("Reg"), 10);
    auto small = openFont(14);
    EXPECT_LT(small->textHeight("Reg"), font->textHeight("Reg"));
}

struct EvictionCase {
    int entries; // misses that leave a text in the cache
    int failedMisses; // misses whose texture could not be made
    int emptyDraws; // draws that produce no surface and so are no misses
    size_t remaining;
};

TEST_F(FontTest, EvictsOneTextPerThousandMissesOnlyBeyondOneHundred)
{
    const EvictionCase cases[] {
        { 100, 900, 0, 100 },
        { 101, 899, 0, 100 },
        { 101, 898, 0, 101 },
        { 101, 898, 5, 101 },
        { 150, 1850, 0, 148 },
        { 1000, 0, 0, 999 },
        { 1999, 0, 0, 1998 },
        { 2000, 0, 0, 1998 },
    };
    for (const EvictionCase& test : cases) {
        font = openFont(20);
        drawFreshTexts(display.renderer, "kept", test.entries);
        // Without a renderer the text still rasterises but no texture can be made.
        drawFreshTexts(nullptr, "lost", test.failedMisses);
        for (int i = 0; i < test.emptyDraws; ++i)
            font->drawText(display.renderer, 0, 0, "", white);
        EXPECT_EQ(font->cachedTexts(), test.remaining)
            << test.entries << " kept, " << test.failedMisses << " failed, " << test.emptyDraws << " empty";
    }
}

TEST_F(FontTest, EvictionDropsTheLeastRecentlyDrawnText)
{
    const SDL_Color colour { 1, 2, 3, 255 };
    advanceFrameClock(100);
    font->drawText(display.renderer, 0, 0, "a-refreshed", colour);
    advanceFrameClock(200);
    font->drawText(display.renderer, 0, 0, "b-stale", colour);
    advanceFrameClock(300);
    drawFreshTexts(display.renderer, "c", 99);
    advanceFrameClock(400);
    font->drawText(display.renderer, 0, 0, "a-refreshed", colour); // a hit: refreshes, no miss
    drawFreshTexts(nullptr, "lost", 899);

    EXPECT_EQ(font->cachedTexts(), 100u);
    EXPECT_TRUE(font->isCached("a-refreshed", colour));
    EXPECT_FALSE(font->isCached("b-stale", colour));
}

TEST_F(FontTest, AmongEquallyOldTextsTheFirstByTextThenRedBlueGreenGoes)
{
    const SDL_Color greenish { 0, 1, 0, 255 };
    const SDL_Color bluish { 0, 0, 1, 255 };
    advanceFrameClock(1000);
    font->drawText(display.renderer, 0, 0, "t", bluish);
    font->drawText(display.renderer, 0, 0, "t", greenish);
    drawFreshTexts(display.renderer, "u", 99);
    drawFreshTexts(nullptr, "lost", 899);

    EXPECT_FALSE(font->isCached("t", greenish));
    EXPECT_TRUE(font->isCached("t", bluish));
}

class FontManagerTest : public testing::Test {
protected:
    void SetUp() override
    {
        folder = fs::path(std::getenv("HOME")) / ("fonts-" + std::to_string(serial++));
        fs::create_directories(folder);
    }
    void TearDown() override { deleteFontManager(); }

    void installFont() { fs::copy_file(debianFont, folder / "newscycle-bold.ttf"); }
    std::string folderName() const { return folder.string() + "/"; }

    fs::path folder;
    static inline int serial = 0;
};

TEST_F(FontManagerTest, OpensTheTwoRegisteredFontsOnceAndNothingElse)
{
    installFont();
    FontManager manager(folderName());
    TtfFont* large = manager.getFont(LargeFont);
    TtfFont* small = manager.getFont(SmallFont);
    ASSERT_NE(large, nullptr);
    ASSERT_NE(small, nullptr);
    EXPECT_NE(large, small);
    EXPECT_EQ(manager.getFont(LargeFont), large);
    EXPECT_GT(large->textHeight("Ag"), small->textHeight("Ag"));
    for (int unknown : { -1, 2, 3 })
        EXPECT_EQ(manager.getFont(unknown), nullptr) << unknown;
}

TEST_F(FontManagerTest, AFontFileThatAppearsLaterOpensAtTheNextRequest)
{
    FontManager manager(folderName());
    EXPECT_EQ(manager.getFont(SmallFont), nullptr);
    installFont();
    EXPECT_NE(manager.getFont(SmallFont), nullptr);
}

TEST_F(FontManagerTest, GetFontNeedsTheProcessWideManager)
{
    deleteFontManager();
    EXPECT_EQ(fontManager(), nullptr);
    EXPECT_EQ(getFont(LargeFont), nullptr);
    createFontManager();
    FontManager* first = fontManager();
    ASSERT_NE(first, nullptr);
    createFontManager();
    EXPECT_EQ(fontManager(), first);
    EXPECT_EQ(getFont(2), nullptr);
    deleteFontManager();
    EXPECT_EQ(fontManager(), nullptr);
}

}
