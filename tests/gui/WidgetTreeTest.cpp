#include "gui/Command.h"
#include "gui/Screen.h"
#include "support/HeadlessWindow.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

// A widget that records what reaches it and answers with fixed results.
struct Probe : Widget {
    Probe(int x, int y, int w, int h, bool focusable = false, bool handles = true)
        : Widget(x, y, w, h)
        , focusable(focusable)
        , handles(handles)
    {
    }
    bool onMouseDown(int button, int px, int py) override { return record("down", button, px, py); }
    bool onMouseUp(int button, int px, int py) override { return record("up", button, px, py); }
    bool onMouseMove(int buttons, int px, int py) override { return record("move", buttons, px, py); }
    bool onMouseWheel(int delta, int px, int py) override { return record("wheel", delta, px, py); }
    bool onKeyDown(SDL_Keycode key) override
    {
        keys.push_back(key);
        return key == consumedKey;
    }
    bool onTextInput(const char* utf8) override
    {
        text += utf8;
        return true;
    }
    bool canFocus() const override { return focusable; }
    void update(double seconds) override { updates.push_back(seconds); }

    bool record(const char* what, int value, int px, int py)
    {
        events.push_back(std::string(what) + " " + std::to_string(value) + " " + std::to_string(px) + "," + std::to_string(py));
        return handles;
    }

    bool focusable;
    bool handles;
    SDL_Keycode consumedKey = SDLK_UNKNOWN;
    std::vector<std::string> events;
    std::vector<SDL_Keycode> keys;
    std::vector<double> updates;
    std::string text;
};

struct CountingCommand : Command {
    void execute() override { ++runs; }
    int runs = 0;
};

struct KeyGrabber : Accelerator {
    explicit KeyGrabber(SDL_Keycode key)
        : key(key)
    {
    }
    bool handleKey(SDL_Keycode pressed) override { return pressed == key; }
    SDL_Keycode key;
};

// Ends the screen after a number of frames, recording the frame count.
struct FrameLimit : IdleHandler {
    explicit FrameLimit(int frames)
        : frames(frames)
    {
    }
    void onIdle(Screen& screen) override
    {
        if (++seen == frames)
            screen.done = true;
    }
    int frames;
    int seen = 0;
};

class WidgetTreeTest : public testing::Test {
protected:
    HeadlessWindow display;
    Screen screen { display.window };
};

TEST_F(WidgetTreeTest, FocusFormsOnePathFromTheRoot)
{
    auto* left = screen.addChild(std::make_unique<Container>(0, 0, 100, 100));
    auto* right = screen.addChild(std::make_unique<Container>(100, 0, 100, 100));
    auto* a = left->addChild(std::make_unique<Probe>(0, 0, 10, 10, true));
    auto* b = right->addChild(std::make_unique<Probe>(0, 0, 10, 10, true));

    a->setFocus(true);
    EXPECT_TRUE(a->focused && left->focused && screen.focused);
    EXPECT_EQ(left->focusedChild, a);
    EXPECT_EQ(screen.focusedChild, left);

    b->setFocus(true);
    EXPECT_FALSE(a->focused);
    EXPECT_FALSE(left->focused);
    EXPECT_EQ(left->focusedChild, nullptr);
    EXPECT_TRUE(b->focused && right->focused && screen.focused);
    EXPECT_EQ(screen.focusedChild, right);

    b->setFocus(false);
    EXPECT_FALSE(right->focused);
    EXPECT_FALSE(screen.focused);
}

TEST_F(WidgetTreeTest, PressFocusesUnhandlingChildAndFallsThroughToTheOneBelow)
{
    auto* below = screen.addChild(std::make_unique<Probe>(0, 0, 200, 200));
    auto* above = screen.addChild(std::make_unique<Probe>(50, 50, 50, 50, false, false));

    EXPECT_TRUE(screen.onMouseDown(1, 60, 70));
    EXPECT_EQ(above->events, std::vector<std::string>({ "down 1 10,20" }));
    EXPECT_EQ(below->events, std::vector<std::string>({ "down 1 60,70" }));
    // The later hit child takes the focus from the one above it.
    EXPECT_EQ(screen.focusedChild, below);
    EXPECT_TRUE(below->focused);
    EXPECT_FALSE(above->focused);
}

TEST_F(WidgetTreeTest, InvisibleChildrenAreNeitherHitNorDrawnNorGivenKeys)
{
    auto* hidden = screen.addChild(std::make_unique<Probe>(0, 0, 100, 100, true));
    hidden->setFocus(true);
    hidden->visible = false;
    EXPECT_FALSE(screen.onMouseDown(1, 5, 5));
    EXPECT_FALSE(screen.onKeyDown(SDLK_a));
    EXPECT_FALSE(screen.onTextInput("x"));
    EXPECT_TRUE(hidden->events.empty());
    EXPECT_TRUE(hidden->keys.empty());
}

TEST_F(WidgetTreeTest, CaptureDeliversEveryMouseEventInTheCapturingWidgetsCoordinates)
{
    auto* panel = screen.addChild(std::make_unique<Container>(100, 100, 200, 200));
    auto* knob = panel->addChild(std::make_unique<Probe>(10, 20, 30, 30));
    auto* other = screen.addChild(std::make_unique<Probe>(0, 0, 50, 50));

    knob->captureMouse();
    EXPECT_EQ(screen.mouseCapture, panel);
    EXPECT_EQ(panel->mouseCapture, knob);

    screen.onMouseMove(1, 5, 5);
    screen.onMouseUp(1, 900, 700);
    EXPECT_EQ(knob->events, std::vector<std::string>({ "move 1 -105,-115", "up 1 790,580" }));
    EXPECT_TRUE(other->events.empty());

    knob->releaseMouse();
    EXPECT_EQ(screen.mouseCapture, nullptr);
    EXPECT_EQ(panel->mouseCapture, nullptr);
    screen.onMouseMove(0, 5, 5);
    EXPECT_EQ(other->events.size(), 1u);
}

TEST_F(WidgetTreeTest, LocalToScreenAddsEveryAncestor)
{
    screen.setPosition(3, 4);
    auto* outer = screen.addChild(std::make_unique<Container>(10, 20, 100, 100));
    auto* inner = outer->addChild(std::make_unique<Probe>(5, 6, 10, 10));
    int sx = 0;
    int sy = 0;
    inner->localToScreen(1, 2, sx, sy);
    EXPECT_EQ(sx, 1 + 5 + 10 + 3);
    EXPECT_EQ(sy, 2 + 6 + 20 + 4);
}

TEST_F(WidgetTreeTest, TabWalksFocusableChildrenAndWraps)
{
    struct Case {
        const char* name;
        std::vector<bool> focusable;
        int focusedBefore; // -1: none
        int expectedAfter; // -1: tab not handled
    };
    const Case cases[] = {
        { "next after focused", { true, false, true }, 0, 2 },
        { "wraps from the last", { true, false, true }, 2, 0 },
        { "no focus picks the first", { false, true, true }, -1, 1 },
        { "only child keeps it", { false, true, false }, 1, 1 },
        { "nothing focusable", { false, false }, -1, -1 },
    };
    for (const Case& c : cases) {
        Screen tabScreen(display.window);
        std::vector<Probe*> probes;
        for (size_t i = 0; i < c.focusable.size(); ++i)
            probes.push_back(tabScreen.addChild(std::make_unique<Probe>(int(i) * 20, 0, 10, 10, c.focusable[i])));
        if (c.focusedBefore >= 0)
            probes[c.focusedBefore]->setFocus(true);

        bool handled = tabScreen.onKeyDown(SDLK_TAB);

        EXPECT_EQ(handled, c.expectedAfter >= 0) << c.name;
        for (size_t i = 0; i < probes.size(); ++i) {
            bool expected = int(i) == (c.expectedAfter >= 0 ? c.expectedAfter : c.focusedBefore);
            EXPECT_EQ(probes[i]->focused, expected) << c.name << " child " << i;
        }
    }
}

TEST_F(WidgetTreeTest, KeysGoToAcceleratorsThenFocusedChildThenEnterToDefaultCommand)
{
    auto* field = screen.addChild(std::make_unique<Probe>(0, 0, 10, 10, true));
    field->consumedKey = SDLK_a;
    field->setFocus(true);
    KeyGrabber grabber(SDLK_ESCAPE);
    screen.addAccelerator(&grabber);
    CountingCommand enter;

    EXPECT_TRUE(screen.onKeyDown(SDLK_ESCAPE));
    EXPECT_TRUE(field->keys.empty());
    EXPECT_TRUE(screen.onKeyDown(SDLK_a));
    EXPECT_FALSE(screen.onKeyDown(SDLK_RETURN));
    screen.defaultCommand = &enter;
    EXPECT_TRUE(screen.onKeyDown(SDLK_RETURN));
    EXPECT_EQ(enter.runs, 1);
    EXPECT_FALSE(screen.onKeyDown(SDLK_b));
    EXPECT_EQ(field->keys, std::vector<SDL_Keycode>({ SDLK_a, SDLK_RETURN, SDLK_RETURN, SDLK_b }));
}

TEST_F(WidgetTreeTest, EventLoopRoutesPushedEventsAndRunsIdleHandlersPerFrame)
{
    auto* target = screen.addChild(std::make_unique<Probe>(100, 100, 100, 100, true));
    FrameLimit limit(3);
    screen.addIdleHandler(&limit);

    pushMouseButton(SDL_MOUSEBUTTONDOWN, 150, 160);
    pushMouseMotion(120, 130, SDL_BUTTON_LMASK);
    pushWheel(-1);
    pushText("hé");
    screen.runEventLoop();

    EXPECT_EQ(limit.seen, 3);
    EXPECT_EQ(target->updates.size(), 3u);
    EXPECT_EQ(target->events,
        std::vector<std::string>({ "down 1 50,60", "move 1 20,30", "wheel -1 20,30" }));
    EXPECT_EQ(target->text, "hé");
    EXPECT_EQ(screen.lastMouseX, 120);
    EXPECT_EQ(screen.lastMouseY, 130);
}

TEST_F(WidgetTreeTest, WheelGoesToTheWidgetUnderTheLastMousePosition)
{
    auto* left = screen.addChild(std::make_unique<Probe>(0, 0, 100, 100));
    auto* right = screen.addChild(std::make_unique<Probe>(100, 0, 100, 100));
    SDL_Event motion {};
    motion.type = SDL_MOUSEMOTION;
    motion.motion.x = 150;
    motion.motion.y = 10;
    screen.handleEvent(motion);
    SDL_Event wheel {};
    wheel.type = SDL_MOUSEWHEEL;
    wheel.wheel.y = 2;
    EXPECT_FALSE(screen.handleEvent(wheel));
    EXPECT_TRUE(left->events.empty());
    EXPECT_EQ(right->events.back(), "wheel 2 50,10");
}

TEST_F(WidgetTreeTest, EveryEventResizesTheScreenToTheWindow)
{
    SDL_SetWindowSize(display.window, 640, 480);
    SDL_Event other {};
    other.type = SDL_USEREVENT;
    screen.handleEvent(other);
    EXPECT_EQ(screen.width, 640);
    EXPECT_EQ(screen.height, 480);
}

TEST_F(WidgetTreeTest, ChildrenAreDrawnInOrderWithAbsolutePositions)
{
    struct Painter : Widget {
        Painter(int x, int y, SDL_Color colour)
            : Widget(x, y, 20, 20)
            , colour(colour)
        {
        }
        void draw(SDL_Renderer* renderer, int px, int py) override
        {
            SDL_SetRenderDrawColor(renderer, colour.r, colour.g, colour.b, 255);
            SDL_Rect rect { px, py, width, height };
            SDL_RenderFillRect(renderer, &rect);
        }
        SDL_Color colour;
    };
    auto* panel = screen.addChild(std::make_unique<Container>(100, 100, 200, 200));
    panel->addChild(std::make_unique<Painter>(0, 0, SDL_Color { 255, 0, 0, 255 }));
    panel->addChild(std::make_unique<Painter>(10, 10, SDL_Color { 0, 0, 255, 255 }));
    display.clear();
    screen.draw(display.renderer, 0, 0);
    EXPECT_EQ(display.pixelAt(105, 105).r, 255);
    EXPECT_EQ(display.pixelAt(115, 115).b, 255); // the later child is on top
    EXPECT_EQ(display.pixelAt(115, 115).r, 0);
    EXPECT_EQ(display.pixelAt(99, 99).r, 0);
}

TEST(FrameClockTest, FirstFrameOfTheProcessHasNoElapsedTimeAndLaterFramesMeasureTheGap)
{
    testing::FLAGS_gtest_death_test_style = "threadsafe";
    EXPECT_EXIT(
        {
            bool firstIsZero = advanceFrameClock(5000) == 0.0;
            bool gap = advanceFrameClock(5250) == 0.25;
            bool wraps = advanceFrameClock(10) == (Uint32(10 - 5250)) / 1000.0;
            std::exit(firstIsZero && gap && wraps ? 0 : 1);
        },
        testing::ExitedWithCode(0), "");
}

TEST(EventLoopQuitTest, QuitEventEndsTheProcessWithStatusZero)
{
    testing::FLAGS_gtest_death_test_style = "threadsafe";
    EXPECT_EXIT(
        {
            HeadlessWindow display;
            Screen screen(display.window);
            pushQuit();
            screen.runEventLoop();
            std::exit(3);
        },
        testing::ExitedWithCode(0), "");
}

}
