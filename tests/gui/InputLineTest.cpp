#include "gui/InputLine.h"
#include "gui/Screen.h"
#include "gui/Utf.h"
#include "net/TextureRegistry.h"
#include "support/HeadlessWindow.h"
#include "support/TestData.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// With BlockFont each code unit shown is 10 pixels wide; a 510-pixel line without a
// keyboard icon leaves 510 - 50 - 50 = 410 pixels, so 41 characters fit.
class InputLineTest : public testing::Test {
protected:
    void SetUp() override
    {
        initTextures(display.renderer);
        line = screen.addChild(std::make_unique<InputLine>(45, 50, 510, 100, nullptr, &font));
        screen.addChild(std::make_unique<InputLine>(45, 150, 510, 100, nullptr, &font));
        line->setFocus(true);
    }
    void TearDown() override { clearTextures(); }

    void type(const char* utf8, int times = 1)
    {
        for (int i = 0; i < times; ++i)
            screen.onTextInput(utf8);
    }

    HeadlessWindow display;
    TestDataFolder data;
    BlockFont font;
    Screen screen { display.window };
    InputLine* line = nullptr;
};

TEST_F(InputLineTest, TypingStopsAtTheFreeWidthAndAFullFieldRefusesMore)
{
    type("a", 41);
    EXPECT_EQ(line->getText(), std::string(41, 'a'));
    EXPECT_EQ(line->cursor, 41);
    type("b");
    EXPECT_EQ(line->getText(), std::string(41, 'a'));
    EXPECT_EQ(line->cursor, 41);
}

TEST_F(InputLineTest, PasswordShowsOneAsteriskPerCodeUnitAndMeasuresThem)
{
    line->password = true;
    type("é", 41); // two UTF-8 bytes, one code unit, one asterisk
    EXPECT_EQ(line->text.size(), 41u);
    type("é");
    EXPECT_EQ(line->text.size(), 41u);
    EXPECT_EQ(line->caretOffset(), 410);
    EXPECT_EQ(line->getText().size(), 82u);
}

TEST_F(InputLineTest, CharactersOutsideTheBasicPlaneCountAsTwoUnits)
{
    line->password = true;
    type("𝄞");
    EXPECT_EQ(line->cursor, 2);
    EXPECT_EQ(line->caretOffset(), 20);
    EXPECT_EQ(line->getText(), "𝄞");
}

TEST_F(InputLineTest, EditingKeysMoveAndDeleteWithinTheText)
{
    type("abc");
    const struct {
        SDL_Keycode key;
        const char* text;
        int cursor;
    } steps[] = {
        { SDLK_DELETE, "abc", 3 }, // at the end: nothing to delete, still consumed
        { SDLK_LEFT, "abc", 2 },
        { SDLK_BACKSPACE, "ac", 1 },
        { SDLK_HOME, "ac", 0 },
        { SDLK_BACKSPACE, "ac", 0 },
        { SDLK_LEFT, "ac", 0 },
        { SDLK_DELETE, "c", 0 },
        { SDLK_END, "c", 1 },
        { SDLK_RIGHT, "c", 1 },
    };
    for (const auto& step : steps) {
        EXPECT_TRUE(screen.onKeyDown(step.key)) << step.key;
        EXPECT_EQ(line->getText(), step.text);
        EXPECT_EQ(line->cursor, step.cursor);
    }
}

TEST_F(InputLineTest, TabAndEnterAreNotConsumedSoTheContainerMovesTheFocus)
{
    EXPECT_FALSE(line->onKeyDown(SDLK_TAB));
    EXPECT_FALSE(line->onKeyDown(SDLK_RETURN));
    EXPECT_TRUE(SDL_IsTextInputActive());
    EXPECT_TRUE(screen.onKeyDown(SDLK_TAB));
    EXPECT_FALSE(line->focused);
    EXPECT_TRUE(screen.children[1]->focused);
    EXPECT_TRUE(SDL_IsTextInputActive());
    screen.children[1]->setFocus(false);
    EXPECT_FALSE(SDL_IsTextInputActive());
}

TEST_F(InputLineTest, MousePlacesTheCaretAtTheNearerBoundary)
{
    type("abcd");
    const struct {
        int x;
        int button;
        int cursor;
    } presses[] = {
        { 0, 1, 0 },       // left of the text
        { 50 + 4, 1, 0 },  // before the first half character
        { 50 + 14, 1, 1 }, // nearer the end of "a"
        { 50 + 15, 3, 2 }, // a tie goes to the later boundary; the right button places too
        { 50 + 16, 2, 2 }, // the middle button does not place the caret
        { 400, 1, 4 },     // right of the text
    };
    for (const auto& press : presses) {
        EXPECT_TRUE(line->onMouseDown(press.button, press.x, 50));
        EXPECT_EQ(line->cursor, press.cursor) << press.x;
    }
    EXPECT_FALSE(line->onMouseMove(0, 60, 50));
    EXPECT_TRUE(line->onMouseMove(SDL_BUTTON_LMASK, 60, 50));
    EXPECT_EQ(line->cursor, 1);
}

TEST_F(InputLineTest, CaretIsThreeBlackLinesAfterTheText)
{
    type("abcd");
    display.clear({ 255, 255, 255, 255 });
    line->draw(display.renderer, 0, 0);
    // Text from x 50 to 89; the caret at 90 covers 89-91 from y 40 to 63.
    EXPECT_EQ(display.pixelAt(91, 62).r, 0);
    EXPECT_EQ(display.pixelAt(91, 63).r, 0);
    EXPECT_EQ(display.pixelAt(91, 64).r, 255);
    EXPECT_EQ(display.pixelAt(92, 62).r, 255);
    line->setFocus(false);
    display.clear({ 255, 255, 255, 255 });
    line->draw(display.renderer, 0, 0);
    EXPECT_EQ(display.pixelAt(91, 62).r, 255);
}

TEST(UtfTest, ConversionsRoundTripAndFailToEmpty)
{
    EXPECT_EQ(toUtf16("h\xc3\xa9\xf0\x9d\x84\x9e"), std::u16string(u"h\u00e9\U0001D11E"));
    EXPECT_EQ(toUtf8(u"h\u00e9\U0001D11E"), "h\xc3\xa9\xf0\x9d\x84\x9e");
    EXPECT_EQ(toUtf16("a\xff" "b"), u"");
    EXPECT_EQ(toUtf16("a\xc3"), u"");
    EXPECT_EQ(toUtf8(u""), "");
}

}

namespace {

TEST_F(InputLineTest, TextTypedRightAfterTabReachesTheNextField)
{
    auto* next = static_cast<InputLine*>(screen.children[1].get());
    pushKey(SDLK_TAB);
    pushText("x");
    pushText("y");
    SDL_Event event;
    while (SDL_PollEvent(&event))
        screen.handleEvent(event);
    EXPECT_EQ(next->getText(), "xy");
    EXPECT_EQ(line->getText(), "");
}

// The caret can stand inside a surrogate pair; an edit there leaves half a pair, which
// reads as U+FFFD while the rest of the text stays.
TEST_F(InputLineTest, HalfASurrogatePairReadsAsTheReplacementCharacter)
{
    const std::string replacement = "\xef\xbf\xbd";
    type("a\xf0\x9f\x98\x80" "b");
    const struct {
        SDL_Keycode key;
        std::string text;
    } steps[] = {
        { SDLK_LEFT, "a\xf0\x9f\x98\x80" "b" },
        { SDLK_LEFT, "a\xf0\x9f\x98\x80" "b" },
        { SDLK_BACKSPACE, "a" + replacement + "b" },
        { SDLK_DELETE, "ab" },
    };
    for (const auto& step : steps) {
        line->onKeyDown(step.key);
        EXPECT_EQ(line->getText(), step.text) << line->cursor;
    }
    EXPECT_EQ(toUtf8(u"\xDE00x\xD834"), replacement + "x" + replacement);
}

}
