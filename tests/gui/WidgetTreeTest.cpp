#include "gui/Command.h"
#include "gui/Screen.h"
#include "support/HeadlessWindow.h"

#include <gtest/gtest.h>

namespace {

using Events = std::vector<std::string>;

// A widget that records what reaches it, in its own coordinates, answers with fixed results,
// fills itself with its colour when drawn, counts its updates and draws and animates if asked.
struct Probe : Widget {
    using Widget::Widget;
    bool onMouseDown(int button, int px, int py) override { return record("down", button, px, py); }
    bool onMouseUp(int button, int px, int py) override { return record("up", button, px, py); }
    bool onMouseMove(int buttons, int px, int py) override { return record("move", buttons, px, py); }
    bool onMouseWheel(int delta, int px, int py) override { return record("wheel", delta, px, py); }
    bool onKeyDown(SDL_Keycode key) override { return record(std::string("key ") + SDL_GetKeyName(key)) && key == consumedKey; }
    bool onTextInput(const char* utf8) override { return record(std::string("text ") + utf8); }
    bool canFocus() const override { return focusable; }
    void update(double) override { ++updates; }
    bool isAnimating() const override { return animating; }
    void draw(SDL_Renderer* renderer, int px, int py) override
    {
        ++draws;
        SDL_Rect rect { px, py, width, height };
        SDL_SetRenderDrawColor(renderer, colour.r, colour.g, colour.b, 255);
        SDL_RenderFillRect(renderer, &rect);
    }
    bool record(std::string what, int value, int px, int py)
    {
        return record(what + " " + std::to_string(value) + " " + std::to_string(px) + "," + std::to_string(py));
    }
    bool record(const std::string& event) { return events.push_back(event), handles; }

    bool focusable = false, handles = true, animating = false;
    SDL_Keycode consumedKey = SDLK_UNKNOWN;
    SDL_Color colour { 255, 0, 0, 255 };
    Events events;
    int updates = 0, draws = 0;
};

// Counts the commands it runs, grabs Escape and ends its screen at the third frame.
struct Counter : Command, Accelerator, IdleHandler {
    void execute() override { ++runs; }
    bool handleKey(SDL_Keycode key) override { return key == SDLK_ESCAPE; }
    void onIdle(Screen& screen) override { screen.done = ++runs == 3; }
    int runs = 0;
};

TEST(WidgetTree, FocusFormsOnePathFromTheRootAPressFocusesTheChildrenItReachesAndACaptureTakesEveryMouseEvent)
{
    Container tree(3, 4, 400, 400);
    auto* left = tree.addChild(std::make_unique<Container>(0, 0, 100, 100));
    auto* right = tree.addChild(std::make_unique<Container>(100, 20, 100, 100));
    auto* a = left->addChild(std::make_unique<Probe>(0, 0, 10, 10));
    auto* b = right->addChild(std::make_unique<Probe>(5, 6, 10, 10));
    a->setFocus(true);
    EXPECT_TRUE(a->focused && left->focused && tree.focused);
    b->setFocus(true);
    EXPECT_TRUE(!a->focused && !left->focused && !left->focusedChild && b->focused && right->focused && tree.focused && tree.focusedChild == right);
    b->setFocus(false);
    EXPECT_FALSE(right->focused || tree.focused);
    int screenX = 0, screenY = 0;
    b->localToScreen(1, 2, screenX, screenY);
    EXPECT_EQ((std::pair { screenX, screenY }), (std::pair { 1 + 5 + 100 + 3, 2 + 6 + 20 + 4 }));
    Container root(0, 0, 400, 400);
    auto* below = root.addChild(std::make_unique<Probe>(0, 0, 200, 200));
    auto* above = root.addChild(std::make_unique<Probe>(50, 50, 50, 50));
    above->handles = false;
    auto* side = root.addChild(std::make_unique<Probe>(250, 250, 50, 50));
    root.addChild(std::make_unique<Widget>(50, 50, 50, 50)); // a plain widget lets everything through
    EXPECT_TRUE(root.onMouseDown(1, 60, 70) && root.onMouseMove(0, 60, 70) && root.onMouseWheel(2, 60, 70));
    EXPECT_EQ(above->events.front(), "down 1 10,20");
    EXPECT_EQ(below->events, (Events { "down 1 60,70", "move 0 60,70", "wheel 2 60,70" }));
    EXPECT_TRUE(root.focused && root.focusedChild == below && below->focused && !above->focused);
    EXPECT_TRUE(root.onMouseUp(1, 260, 260));
    // A child covers its left and top edges but not its right and bottom ones.
    const std::pair<SDL_Point, bool> points[] = { { { 250, 250 }, true }, { { 299, 299 }, true }, { { 249, 260 }, false }, { { 260, 249 }, false },
        { { 300, 260 }, false }, { { 260, 300 }, false } };
    for (const auto& [point, hit] : points)
        EXPECT_EQ(root.onMouseMove(0, point.x, point.y), hit) << point.x << "," << point.y;
    EXPECT_FALSE(side->focused) << "neither a release nor a move moves the focus";
    side->visible = false;
    EXPECT_FALSE(root.onMouseDown(1, 260, 260)) << "an invisible child is not hit";
    Container bare(0, 0, 10, 10);
    EXPECT_TRUE(!bare.onMouseDown(1, 5, 5) && bare.focused) << "a press focuses the container it lands in";
    // A capturing widget gets every mouse event, wherever it happens.
    Container top(0, 0, 1000, 1000);
    auto* panel = top.addChild(std::make_unique<Container>(100, 100, 200, 200));
    auto* knob = panel->addChild(std::make_unique<Probe>(10, 20, 30, 30));
    auto* other = top.addChild(std::make_unique<Probe>(0, 0, 50, 50));
    knob->captureMouse();
    EXPECT_EQ(top.mouseCapture, panel);
    top.onMouseMove(1, 5, 5);
    top.onMouseUp(1, 900, 700);
    EXPECT_EQ(knob->events, (Events { "move 1 -105,-115", "up 1 790,580" }));
    EXPECT_TRUE(other->events.empty());
    knob->releaseMouse();
    EXPECT_EQ(panel->mouseCapture, nullptr);
    top.onMouseMove(0, 5, 5);
    top.onMouseWheel(1, 5, 5);
    EXPECT_EQ(other->events, (Events { "move 0 5,5", "wheel 1 5,5" }));
    EXPECT_FALSE(top.focused || other->focused) << "moving the mouse or turning its wheel focuses nothing";
}

// Which children can take the focus, the focused one before (-1: none) and after a Tab
// (-1: not handled).
TEST(WidgetTree, TabFocusesTheNextFocusableChildAndWraps)
{
    const std::tuple<std::vector<bool>, int, int> cases[] = { { { true, false, true }, 0, 2 }, { { true, false, true }, 2, 0 },
        { { false, true, true }, -1, 1 }, { { false, true, false }, 1, 1 }, { { false, false }, -1, -1 } };
    for (const auto& [focusable, before, after] : cases) {
        Container root(0, 0, 100, 100);
        root.addChild(std::make_unique<Widget>(0, 0, 10, 10)); // a plain widget is never a stop
        std::vector<Probe*> probes;
        for (bool canFocus : focusable) {
            probes.push_back(root.addChild(std::make_unique<Probe>(0, 0, 10, 10)));
            probes.back()->focusable = canFocus;
        }
        if (before >= 0)
            probes[before]->setFocus(true);
        EXPECT_EQ(root.onKeyDown(SDLK_TAB), after >= 0);
        for (int i = 0; i < int(probes.size()); ++i)
            EXPECT_EQ(probes[i]->focused, i == (after >= 0 ? after : before)) << before << " then child " << i;
    }
}

TEST(WidgetTree, KeysGoToAcceleratorsThenTheFocusedChildThenEnterToTheDefaultCommand)
{
    Container root(0, 0, 100, 100);
    auto* field = root.addChild(std::make_unique<Probe>(0, 0, 10, 10));
    field->consumedKey = SDLK_a;
    field->setFocus(true);
    Counter counter;
    root.addAccelerator(&counter);
    EXPECT_TRUE(root.onKeyDown(SDLK_ESCAPE) && root.onKeyDown(SDLK_a) && !root.onKeyDown(SDLK_RETURN));
    root.defaultCommand = &counter;
    EXPECT_TRUE(root.onKeyDown(SDLK_RETURN) && counter.runs == 1 && !root.onKeyDown(SDLK_b) && root.onTextInput("x"));
    EXPECT_EQ(field->events, (Events { "key A", "key Return", "key Return", "key B", "text x" }));
    field->visible = false;
    EXPECT_FALSE(root.onKeyDown(SDLK_a) || root.onTextInput("y")) << "an invisible child gets no keys";
    root.addChild(std::make_unique<Widget>(0, 0, 10, 10))->setFocus(true);
    EXPECT_TRUE(root.onKeyDown(SDLK_RETURN) && counter.runs == 2) << "a plain widget lets Enter through";
}

TEST(Screen, TheEventLoopRoutesEventsDrawsAndRunsIdleHandlersEachFrameInAWindowOfAnySize)
{
    HeadlessWindow display;
    Screen screen(display.window);
    screen.addChild(std::make_unique<Probe>(0, 0, 100, 100));
    auto* panel = screen.addChild(std::make_unique<Container>(100, 100, 200, 200));
    auto* right = panel->addChild(std::make_unique<Probe>(0, 0, 100, 100));
    right->colour = { 0, 0, 255, 255 };
    panel->addChild(std::make_unique<Probe>(50, 50, 100, 100))->visible = false;
    Counter frames;
    screen.addIdleHandler(&frames);
    SDL_SetWindowSize(display.window, 640, 480);
    pushClick(150, 160);
    pushMouseMotion(120, 130, SDL_BUTTON_LMASK);
    pushWheel(-1);
    pushText("hé");
    pushKey(SDLK_x);
    screen.runEventLoop();
    EXPECT_EQ(right->updates, 3);
    EXPECT_EQ(right->events, (Events { "down 1 50,60", "up 1 50,60", "move 1 20,30", "wheel -1 20,30", "text hé", "key X" }));
    EXPECT_EQ((std::pair { screen.width, screen.height }), (std::pair { 640, 480 }));
    EXPECT_TRUE(display.pixelAt(50, 50).r == 255 && display.pixelAt(190, 190).b == 255 && display.pixelAt(220, 220).r == 0);
}

// In a process of its own, as the clock is shared by every screen.
TEST(FrameClock, TheFirstFrameOfTheProcessTakesNoTimeAndLaterOnesMeasureTheGap)
{
    testing::FLAGS_gtest_death_test_style = "threadsafe";
    EXPECT_EXIT(std::exit(advanceFrameClock(5000) == 0.0 && advanceFrameClock(5250) == 0.25 ? 0 : 1), testing::ExitedWithCode(0), "");
}

// Ends the screen at turn 20; at turn 5 it pushes an event or reports a change, as asked,
// or it keeps the default answer (a change every turn).
struct Script : IdleHandler {
    static constexpr int Quiet = 0, EventAtFive = 1, ChangeAtFive = 2, DefaultAnswer = 3;
    void onIdle(Screen& screen) override
    {
        if (++turns == 5 && kind == EventAtFive)
            pushMouseMotion(10, 10);
        screen.done = turns == 20;
    }
    bool changedPicture() const override { return kind == DefaultAnswer || (kind == ChangeAtFive && turns == 5); }
    int kind = Quiet;
    int turns = 0;
};

// Twenty turns of a quiet screen draw and present only the first; an event no widget handles
// or a handler's change brings one more frame, an animation or the default answer every
// frame; a screen run again (after a dialog over it) is drawn afresh.
TEST(IdleFrames, AQuietScreenIsDrawnAndPresentedOnlyWhenSomethingCanHaveChanged)
{
    HeadlessWindow display;
    for (auto [kind, animating, expected] : { std::tuple(Script::Quiet, false, 1), std::tuple(Script::EventAtFive, false, 2),
             std::tuple(Script::ChangeAtFive, false, 2), std::tuple(Script::Quiet, true, 20), std::tuple(Script::DefaultAnswer, false, 20) }) {
        SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
        Screen screen(display.window);
        auto* widget = screen.addChild(std::make_unique<Probe>(0, 0, 100, 100));
        std::tie(widget->animating, widget->handles) = std::pair(animating, false);
        screen.addChild(std::make_unique<Widget>(0, 0, 10, 10)); // a plain widget does not animate
        Script script;
        script.kind = kind;
        screen.addIdleHandler(&script);
        screen.runEventLoop();
        EXPECT_EQ(std::tuple(script.turns, widget->draws, screen.presentedFrames), std::tuple(20, expected, expected)) << kind << " " << animating;
        script.turns = 0;
        screen.runEventLoop();
        EXPECT_EQ(screen.presentedFrames, 2 * expected) << kind << " " << animating;
    }
}

}
