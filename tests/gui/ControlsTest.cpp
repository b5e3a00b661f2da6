#include "gui/Button.h"
#include "gui/CheckBox.h"
#include "gui/Command.h"
#include "gui/FontManager.h"
#include "gui/Image.h"
#include "gui/InputLine.h"
#include "gui/Label.h"
#include "gui/MessageBox.h"
#include "gui/Screen.h"
#include "gui/ToggleButton.h"
#include "gui/TtfFont.h"
#include "gui/Utf.h"
#include "gui/Window.h"
#include "net/TextureRegistry.h"
#include "support/HeadlessWindow.h"
#include "support/RecordingFont.h"
#include "support/TestData.h"
#include "support/WaitUntil.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

namespace {

TEST(ImageCrop, TheSourceIsCutToTheWidgetsAspectAboutTheCentre)
{
    const std::tuple<int, int, bool, std::vector<int>> cases[] = { { 2000, 1000, true, { 333, 0, 1333, 1000 } },
        { 1000, 2000, true, { 0, 625, 1000, 750 } }, { 2000, 1000, false, { 0, 0, 2000, 1000 } } };
    for (const auto& [width, height, crop, expected] : cases) {
        SDL_Rect source = Image::sourceRect(width, height, 1024, 768, crop);
        EXPECT_EQ((std::vector<int> { source.x, source.y, source.w, source.h }), expected) << width << "x" << height;
    }
}

struct Selection : ToggleButtonModel {
    bool isSelected(int value) override { return value == selected; }
    void select(int value) override { selected = value; }
    int selected = 1;
};

// Counts the commands it runs and grabs Escape.
struct Counting : Command, Accelerator {
    void execute() override { ++runs; }
    bool handleKey(SDL_Keycode key) override { return key == SDLK_ESCAPE; }
    int runs = 0;
};

// Pictures of one colour each: green on, red off, blue and yellow for the check box, and a
// nine-piece skin "images/test" of 10 x 10 corners, 1-pixel edges and centre.
class ControlsTest : public testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_EQ(TTF_Init(), 0) << SDL_GetError(); }
    void SetUp() override
    {
        for (const auto& [name, colour] : { std::pair("on", green), { "off", red }, { "checkbox-on", blue }, { "checkbox-off", yellow } })
            data.writeImage(std::string("images/") + name + ".png", 8, 8, colour);
        for (int i = 0; i < 9; ++i)
            data.writeImage("images/test-" + pieces[i] + ".png", i % 3 == 1 ? 1 : 10, i / 3 == 1 ? 1 : 10, pieceColour(i));
        initTextures(display.renderer);
        display.clear();
    }
    void TearDown() override { clearTextures(); }

    static SDL_Color pieceColour(int piece) { return { Uint8(20 + piece * 25), Uint8(240 - piece * 20), Uint8(piece * 9), 255 }; }
    static std::tuple<int, int, int> rgb(SDL_Color colour) { return { colour.r, colour.g, colour.b }; }
    bool colourAt(int x, int y, SDL_Color expected) const { return rgb(display.pixelAt(x, y)) == rgb(expected); }

    static constexpr SDL_Color red { 255, 0, 0, 255 }, green { 0, 255, 0, 255 }, blue { 0, 0, 255, 255 },
        yellow { 255, 255, 0, 255 }, black { 0, 0, 0, 255 }, white { 255, 255, 255, 255 };
    const std::string pieces[9] = { "left-top", "middle-top", "right-top", "left-center", "middle-center", "right-center", "left-bottom", "middle-bottom", "right-bottom" };
    HeadlessWindow display;
    TestDataFolder data;
};

TEST_F(ControlsTest, NineSkinPiecesFrameTheButtonsWhichShowTheirStateChangeItAndRunTheirCommandOnTheRelease)
{
    Skin("images/test").drawSkin(display.renderer, 20, 30, 100, 60);
    const SDL_Point samples[] = { { 20, 30 }, { 70, 35 }, { 119, 30 }, { 25, 60 }, { 70, 60 }, { 115, 60 }, { 20, 89 }, { 70, 85 }, { 119, 89 } };
    for (int i = 0; i < 9; ++i)
        EXPECT_TRUE(colourAt(samples[i].x, samples[i].y, pieceColour(i))) << pieces[i];
    EXPECT_TRUE(colourAt(19, 30, black) && colourAt(120, 90, black));
    // 15 x 15: right corners over left ones, bottom ones over top ones, and no edges.
    Skin("images/test").drawSkin(display.renderer, 200, 0, 15, 15);
    const std::pair<SDL_Point, int> corners[] = { { { 202, 2 }, 0 }, { { 207, 2 }, 2 }, { { 202, 7 }, 6 }, { { 207, 7 }, 8 } };
    for (const auto& [point, piece] : corners)
        EXPECT_TRUE(colourAt(point.x, point.y, pieceColour(piece))) << pieces[piece];
    // A toggle button selects its value on the release and shows nothing until both of its
    // pictures exist; a check box flips on the press. A button runs its command on the
    // release; one named after a ".png" shows that picture stretched instead of a text.
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
    Button button(0, 0, 40, 20, "images/on.png", std::make_unique<Counting>(), false);
    auto& command = static_cast<Counting&>(*button.command);
    EXPECT_TRUE(button.onMouseDown(1, 0, 0) && command.runs == 0);
    EXPECT_TRUE(button.onMouseUp(1, 0, 0) && command.runs == 1);
    button.draw(display.renderer, 0, 0);
    EXPECT_TRUE(button.text.empty() && colourAt(39, 19, green) && colourAt(40, 20, black));
    Button go(300, 300, 40, 40, "Go", nullptr, false);
    RecordingFont font;
    go.font = &font;
    go.draw(display.renderer, 300, 300);
    EXPECT_EQ(std::pair(font.drawn.at(0).x, font.drawn.at(0).y), std::pair(310, 308)) << "a text button centres its label";
    EXPECT_TRUE(colourAt(335, 310, black)) << "a text button shows no picture";
}

// A label breaks at the last fitting space and cuts long words, and draws each line a text
// height below the previous one.
TEST_F(ControlsTest, LabelsBreakAtTheLastFittingSpaceAndDrawEachLineATextHeightBelowThePreviousOne)
{
    RecordingFont font; // 10 pixels a byte
    const std::tuple<const char*, int, std::vector<std::string>> cases[] = { { "short", 100, { "short" } }, { "aaaa bbbb cccc", 100, { "aaaa bbbb", "cccc" } },
        { "aaaa bbbb cccc dddd eeee", 100, { "aaaa bbbb", "cccc dddd", "eeee" } }, { "abcdefghijklmno", 100, { "abcdefghij", "klmno" } },
        { "abcdefghijk", 100, { "abcdefghijk" } }, { "abc", 5, {} }, { "", 100, { "" } } };
    for (const auto& [text, width, lines] : cases)
        EXPECT_EQ(Label(0, 0, width, 35, text, &font).lines, lines) << text;
    Label(10, 10, 100, 35, "aaaa bbbb cccc", &font).draw(display.renderer, 10, 10);
    EXPECT_TRUE(colourAt(95, 15, white) && colourAt(105, 15, black)) << "\"aaaa bbbb\" is 90 wide";
    EXPECT_TRUE(colourAt(45, 35, white)) << "\"cccc\" a line down";
    Label(0, 100, 5, 35, "abc", &font).draw(display.renderer, 0, 100);
    EXPECT_TRUE(colourAt(25, 105, white)) << "a text that cannot be laid out is drawn whole";
}

// Labels are drawn in white with alpha 0, which must not make them transparent: inside a
// bold stroke the text's colour is met exactly. After "Sail" in { 10, 20, 30 }: the same
// with alpha 0 is no new text; each other channel or text is.
TEST_F(ControlsTest, TextIsDrawnOpaqueInTheColoursChannelsAndKeptAsOneTexturePerTextAndColour)
{
    TtfFont font(TtfFontHandle(TTF_OpenFont("/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf", 20)));
    font.drawText(display.renderer, 10, 10, "WWW", { 200, 40, 90, 0 });
    bool found = false;
    for (int i = 0; i < 60 * 30 && !found; ++i)
        found = colourAt(10 + i % 60, 10 + i / 60, { 200, 40, 90, 255 });
    EXPECT_TRUE(found);
    EXPECT_TRUE(font.textWidth("Regatta") > font.textWidth("Reg") && font.textHeight("Reg") > 0 && !font.textWidth(nullptr));
    for (const auto& [text, colour] : { std::pair { "Sail", SDL_Color { 10, 20, 30, 255 } }, { "Sail", { 10, 20, 30, 0 } },
             { "Sail", { 11, 20, 30, 255 } }, { "Sail", { 10, 21, 30, 255 } }, { "Sail", { 10, 20, 31, 255 } }, { "Sails", { 10, 20, 30, 255 } } })
        font.drawText(display.renderer, 0, 0, text, colour);
    EXPECT_EQ(font.cachedTexts(), 6u) << "\"WWW\" and five of these";
    for (int i = 0; i < 1000; ++i)
        font.drawText(display.renderer, 0, 0, std::to_string(i).c_str(), { 0, 0, 0, 255 });
    EXPECT_EQ(font.cachedTexts(), 6u + 1000 - 1) << "the thousandth new text, beyond 100 kept, drops the oldest";
    FontManager fonts(std::string(TIDEWAKE_SOURCE_DIR) + "/data/fonts/");
    EXPECT_TRUE(fonts.getFont(SmallFont) && fonts.getFont(SmallFont) == fonts.getFont(SmallFont) && !fonts.getFont(-1)) << "a font opens once; an unknown number has none";
}

// A window is centred with integer halves; Escape runs its cancel command unless handled
// inside. Every error the player must see waits in a box until Escape or OK closes it.
TEST_F(ControlsTest, EscapeRunsTheWindowsCancelCommandOnlyWhenNothingInsideHandledItAndClosesAMessageBox)
{
    Window window(600, 460, nullptr);
    window.centreIn(1023, 767);
    EXPECT_EQ((std::pair { window.x, window.y }), (std::pair { 211, 153 }));
    Counting cancel;
    window.cancelCommand = &cancel;
    EXPECT_TRUE(!window.onKeyDown(SDLK_a) && window.onKeyDown(SDLK_ESCAPE));
    window.addAccelerator(&cancel);
    EXPECT_TRUE(window.onKeyDown(SDLK_ESCAPE));
    EXPECT_EQ(cancel.runs, 1);
    std::string shown;
    messageBoxHooks.observer = [&](const std::string& text) {
        shown = text;
        pushKey(SDLK_ESCAPE);
    };
    showMessageBox(display.window, "Race full");
    messageBoxHooks.observer = nullptr;
    EXPECT_EQ(shown, "Race full");
}

// Two lines in a screen, the first focused. RecordingFont draws 10 pixels a code unit; without
// a keyboard icon a 510-pixel line leaves 510 - 50 - 50 = 410 pixels, 41 units, for text.
class InputLineTest : public ControlsTest {
protected:
    void SetUp() override
    {
        ControlsTest::SetUp();
        line = screen.addChild(std::make_unique<InputLine>(45, 50, 510, 100, nullptr, &font));
        next = screen.addChild(std::make_unique<InputLine>(45, 150, 510, 100, nullptr, &font));
        line->setFocus(true);
    }
    void type(const char* utf8, int times = 1)
    {
        for (int i = 0; i < times; ++i)
            EXPECT_TRUE(screen.onTextInput(utf8)) << "typing asks for a frame";
    }

    RecordingFont font;
    Screen screen { display.window };
    InputLine* line = nullptr;
    InputLine* next = nullptr;
};

// A password shows an asterisk per code unit: one for "é" of two bytes.
TEST_F(InputLineTest, TypingStopsWhereTheShownTextWouldPassTheFreeWidth)
{
    type("a", 42);
    EXPECT_EQ(line->getText(), std::string(41, 'a'));
    InputLine fontless(0, 0, 510, 100, "abc", nullptr);
    fontless.draw(display.renderer, 0, 0); // only its frame, as there is no font to write with
    EXPECT_TRUE(fontless.onTextInput("x") && fontless.getText() == "abc");
    EXPECT_EQ(fontless.caretOffset(), 0) << "a line whose font is missing";
    next->password = true;
    next->setFocus(true);
    type("é", 42);
    EXPECT_EQ(std::tuple(next->getText().size(), next->cursor, next->caretOffset()), std::tuple(41u * 2, 41, 410));
}

// The caret can stand inside a surrogate pair; an edit there leaves half a pair, which
// reads as U+FFFD while the rest of the text stays (the login once sent an empty e-mail).
TEST_F(InputLineTest, EditingKeysMoveAndDeleteWithinTheTextAlsoInsideASurrogatePair)
{
    type("abc");
    const std::tuple<SDL_Keycode, const char*, int> steps[] = { { SDLK_DELETE, "abc", 3 }, { SDLK_LEFT, "abc", 2 },
        { SDLK_BACKSPACE, "ac", 1 }, { SDLK_HOME, "ac", 0 }, { SDLK_BACKSPACE, "ac", 0 }, { SDLK_LEFT, "ac", 0 }, { SDLK_DELETE, "c", 0 },
        { SDLK_END, "c", 1 }, { SDLK_RIGHT, "c", 1 }, { SDLK_HOME, "c", 0 }, { SDLK_RIGHT, "c", 1 }, { SDLK_HOME, "c", 0 } };
    for (const auto& [key, text, cursor] : steps) {
        EXPECT_TRUE(screen.onKeyDown(key)) << SDL_GetKeyName(key);
        EXPECT_EQ(std::tuple(line->getText(), line->cursor), std::tuple(text, cursor)) << SDL_GetKeyName(key);
    }
    type("xy");
    EXPECT_EQ(std::tuple(line->getText(), line->cursor), std::tuple("xyc", 2));
    next->setFocus(true);
    type("a\U0001F600b");
    for (SDL_Keycode key : { SDLK_LEFT, SDLK_LEFT, SDLK_BACKSPACE })
        next->onKeyDown(key);
    EXPECT_EQ(next->getText(), "a\uFFFDb");
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
    EXPECT_EQ(line->getText() + "|" + next->getText(), "|xy");
    EXPECT_TRUE(next->focused && !line->focused && SDL_IsTextInputActive());
    next->setFocus(false);
    EXPECT_FALSE(SDL_IsTextInputActive());
}

// The caret is three black lines after the text, drawn while the line is focused.
TEST_F(InputLineTest, MousePlacesTheCaretAtTheNearerBoundaryAndItIsDrawnWhileFocused)
{
    type("abcd");
    // x, button, caret: a tie goes to the later boundary; the middle button places nothing.
    const std::tuple<int, int, int> presses[] = { { 0, 1, 0 }, { 50 + 4, 1, 0 }, { 50 + 14, 1, 1 }, { 50 + 15, 3, 2 }, { 50 + 16, 2, 2 }, { 50 + 34, 1, 3 }, { 400, 1, 4 } };
    for (const auto& [x, button, cursor] : presses) {
        EXPECT_TRUE(line->onMouseDown(button, x, 50));
        EXPECT_EQ(line->cursor, cursor) << x;
    }
    EXPECT_FALSE(line->onMouseMove(0, 60, 50));
    EXPECT_TRUE(line->onMouseMove(SDL_BUTTON_LMASK, 60, 50));
    EXPECT_EQ(line->cursor, 1);
    line->onKeyDown(SDLK_END);
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
    siginfo_t ended {};
    EXPECT_TRUE(waitUntil([&] { return ended.si_pid = 0, waitid(P_ALL, 0, &ended, WEXITED | WNOHANG | WNOWAIT) != 0 || ended.si_pid == 0; }))
        << "the ended keyboard is reaped, not left a zombie";
    setenv("PATH", path.c_str(), 1);
    withIcon.draw(display.renderer, 100, 100);
    EXPECT_EQ(display.pixelAt(100 + 459, 100 + 65).g, 255);
}

TEST(Utf, ConversionsRoundTripAndFailToEmpty)
{
    EXPECT_EQ(toUtf16("h\xc3\xa9\xf0\x9d\x84\x9e"), std::u16string(u"h\u00e9\U0001D11E"));
    EXPECT_EQ(toUtf8(u"h\u00e9\U0001D11E\U00010000\U0010FFFF"), "h\xc3\xa9\xf0\x9d\x84\x9e\xf0\x90\x80\x80\xf4\x8f\xbf\xbf");
    EXPECT_TRUE(toUtf16("a\xff!").empty() && toUtf16("a\xc3").empty());
    // Half a surrogate pair reads as U+FFFD, as the platform's conversion gives it.
    EXPECT_EQ(toUtf8(u"\xDE00x\xD834"), "\xef\xbf\xbdx\xef\xbf\xbd");
    EXPECT_EQ(cutUtf8("h\xc3\xa9llo", 2) + "|" + cutUtf8("h\xc3\xa9llo", 3) + "|" + cutUtf8("hi", 2), "h|h\xc3\xa9|hi");
}

}
