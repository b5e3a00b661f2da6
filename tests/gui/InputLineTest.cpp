#include "gui/InputLine.h"

#include "gui/Screen.h"
#include "gui/Utf.h"
#include "net/TextureRegistry.h"
#include "support/HeadlessWindow.h"
#include "support/TestData.h"
#include "support/WaitUntil.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace {

// Two lines in a screen, the first focused. BlockFont draws 10 pixels a code unit; without
// a keyboard icon a 510-pixel line leaves 510 - 50 - 50 = 410 pixels, 41 units, for text.
class InputLineTest : public testing::Test {
protected:
    void SetUp() override
    {
        initTextures(display.renderer);
        line = screen.addChild(std::make_unique<InputLine>(45, 50, 510, 100, nullptr, &font));
        next = screen.addChild(std::make_unique<InputLine>(45, 150, 510, 100, nullptr, &font));
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
    InputLine* next = nullptr;
};

// A password shows an asterisk per code unit: one for "é" of two bytes.
TEST_F(InputLineTest, TypingStopsWhereTheShownTextWouldPassTheFreeWidth)
{
    type("a", 42);
    EXPECT_EQ(line->getText(), std::string(41, 'a'));
    EXPECT_EQ(InputLine(0, 0, 510, 100, "abc", nullptr).caretOffset(), 0) << "a line whose font is missing";
    next->password = true;
    next->setFocus(true);
    type("é", 42);
    EXPECT_EQ(next->getText().size(), 41u * 2);
    EXPECT_EQ(next->cursor, 41);
    EXPECT_EQ(next->caretOffset(), 410);
}

TEST_F(InputLineTest, EditingKeysMoveAndDeleteWithinTheText)
{
    type("abc");
    const std::tuple<SDL_Keycode, const char*, int> steps[] = { { SDLK_DELETE, "abc", 3 }, { SDLK_LEFT, "abc", 2 },
        { SDLK_BACKSPACE, "ac", 1 }, { SDLK_HOME, "ac", 0 }, { SDLK_BACKSPACE, "ac", 0 }, { SDLK_LEFT, "ac", 0 },
        { SDLK_DELETE, "c", 0 }, { SDLK_END, "c", 1 }, { SDLK_RIGHT, "c", 1 }, { SDLK_HOME, "c", 0 } };
    for (const auto& [key, text, cursor] : steps) {
        EXPECT_TRUE(screen.onKeyDown(key)) << SDL_GetKeyName(key);
        EXPECT_EQ(line->getText(), text);
        EXPECT_EQ(line->cursor, cursor);
    }
    type("xy");
    EXPECT_EQ(line->getText(), "xyc");
    EXPECT_EQ(line->cursor, 2);
}

// Tab and Enter are left to the screen, which moves the focus; text typed right after the
// Tab, still queued when the focus moves, reaches the next line.
TEST_F(InputLineTest, TextTypedRightAfterTabReachesTheNextLine)
{
    EXPECT_FALSE(line->onKeyDown(SDLK_TAB) || line->onKeyDown(SDLK_RETURN));
    EXPECT_TRUE(SDL_IsTextInputActive());
    pushKey(SDLK_TAB);
    pushText("x");
    pushText("y");
    SDL_Event event;
    while (SDL_PollEvent(&event))
        screen.handleEvent(event);
    EXPECT_EQ(next->getText(), "xy");
    EXPECT_EQ(line->getText(), "");
    EXPECT_TRUE(next->focused && !line->focused);
    EXPECT_TRUE(SDL_IsTextInputActive());
    next->setFocus(false);
    EXPECT_FALSE(SDL_IsTextInputActive());
}

TEST_F(InputLineTest, MousePlacesTheCaretAtTheNearerBoundary)
{
    type("abcd");
    // x, button, caret: a tie goes to the later boundary; the middle button places nothing.
    const std::tuple<int, int, int> presses[] = { { 0, 1, 0 }, { 50 + 4, 1, 0 }, { 50 + 14, 1, 1 }, { 50 + 15, 3, 2 },
        { 50 + 16, 2, 2 }, { 50 + 34, 1, 3 }, { 400, 1, 4 } };
    for (const auto& [x, button, cursor] : presses) {
        EXPECT_TRUE(line->onMouseDown(button, x, 50));
        EXPECT_EQ(line->cursor, cursor) << x;
    }
    EXPECT_FALSE(line->onMouseMove(0, 60, 50));
    EXPECT_TRUE(line->onMouseMove(SDL_BUTTON_LMASK, 60, 50));
    EXPECT_EQ(line->cursor, 1);
}

TEST_F(InputLineTest, TheCaretIsThreeBlackLinesAfterTheTextWhileFocused)
{
    type("abcd");
    display.clear({ 255, 255, 255, 255 });
    line->draw(display.renderer, 0, 0);
    // Text from x 50 to 89 and y 40 to 59; the caret at 90 covers 89 to 91 from y 40 to 63.
    EXPECT_TRUE(display.pixelAt(60, 45).r == 0 && display.pixelAt(89, 63).r == 0 && display.pixelAt(91, 63).r == 0);
    EXPECT_TRUE(display.pixelAt(92, 62).r == 255 && display.pixelAt(91, 39).r == 255);
    line->setFocus(false);
    display.clear({ 255, 255, 255, 255 });
    line->draw(display.renderer, 0, 0);
    EXPECT_EQ(display.pixelAt(91, 62).r, 255) << "drawn only while focused";
}

// The first on-screen keyboard on the PATH starts; the icon, 40 x 30 at the right end of
// the text room, covers x 420 to 459 and y 36 to 65.
TEST_F(InputLineTest, APressOnTheKeyboardIconStartsTheOnScreenKeyboard)
{
    TempFolder bin;
    bin.write("squeekboard", "#!/bin/sh\necho > '" + (bin.path() / "started").string() + "'\n");
    std::filesystem::permissions(bin.path() / "squeekboard", std::filesystem::perms::owner_all);
    std::string path = std::getenv("PATH");
    setenv("PATH", ("/nowhere:" + bin.path().string()).c_str(), 1);
    data.writeImage("images/keyboard.png", 40, 30, { 0, 255, 0, 255 });
    InputLine withIcon(0, 0, 510, 100, "abc", &font);
    EXPECT_EQ(withIcon.rightReserve, 100);
    for (SDL_Point press : { SDL_Point { 419, 50 }, SDL_Point { 440, 35 }, SDL_Point { 440, 66 }, SDL_Point { 420, 36 } }) {
        withIcon.onKeyDown(SDLK_HOME);
        EXPECT_TRUE(withIcon.onMouseDown(1, press.x, press.y));
        EXPECT_EQ(withIcon.cursor, press.x == 420 ? 0 : 3) << "only a press beside the icon places the caret";
    }
    EXPECT_TRUE(waitUntil([&] { return std::filesystem::exists(bin.path() / "started"); }));
    setenv("PATH", path.c_str(), 1);
    withIcon.draw(display.renderer, 100, 100);
    EXPECT_EQ(display.pixelAt(100 + 459, 100 + 65).g, 255);
}

// The caret can stand inside a surrogate pair; an edit there leaves half a pair, which
// reads as U+FFFD while the rest of the text stays (the login once sent an empty e-mail).
TEST_F(InputLineTest, AnEditInsideASurrogatePairKeepsTheRestOfTheText)
{
    type("a\xf0\x9f\x98\x80"
         "b");
    line->onKeyDown(SDLK_LEFT);
    line->onKeyDown(SDLK_LEFT);
    line->onKeyDown(SDLK_BACKSPACE);
    EXPECT_EQ(line->getText(), "a\xef\xbf\xbd"
                               "b");
}

TEST(Utf, ConversionsRoundTripAndFailToEmpty)
{
    EXPECT_EQ(toUtf16("h\xc3\xa9\xf0\x9d\x84\x9e"), std::u16string(u"h\u00e9\U0001D11E"));
    EXPECT_EQ(toUtf8(u"h\u00e9\U0001D11E"), "h\xc3\xa9\xf0\x9d\x84\x9e");
    EXPECT_TRUE(toUtf16("a\xff!").empty() && toUtf16("a\xc3").empty());
    // Half a surrogate pair reads as U+FFFD, as the platform's conversion gives it.
    EXPECT_EQ(toUtf8(u"\xDE00x\xD834"), "\xef\xbf\xbdx\xef\xbf\xbd");
    EXPECT_EQ(cutUtf8("h\xc3\xa9llo", 2) + "|" + cutUtf8("h\xc3\xa9llo", 3) + "|" + cutUtf8("hi", 2), "h|h\xc3\xa9|hi");
}

}
