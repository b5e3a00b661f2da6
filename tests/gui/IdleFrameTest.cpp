#include "gui/Command.h"
#include "gui/Screen.h"
#include "support/HeadlessWindow.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

// Counts its drawings; animates while asked to.
struct CountingWidget : Widget {
    using Widget::Widget;
    void draw(SDL_Renderer*, int, int) override { ++draws; }
    bool isAnimating() const override { return animating; }
    int draws = 0;
    bool animating = false;
};

// Runs the screen for twenty turns; at turn 5 it pushes an event or reports a change, as
// the case asks, and it may keep the default answer (a change every turn).
struct Script : IdleHandler {
    enum Kind { Quiet, EventAtFive, ChangeAtFive, DefaultAnswer };
    explicit Script(Kind kind)
        : kind(kind)
    {
    }
    void onIdle(Screen& screen) override
    {
        ++turns;
        if (kind == EventAtFive && turns == 5)
            pushMouseMotion(10, 10);
        screen.done = turns == 20;
    }
    bool changedPicture() const override { return kind == DefaultAnswer || (kind == ChangeAtFive && turns == 5); }
    Kind kind;
    int turns = 0;
};

// Twenty turns of a quiet screen draw and present only the first; an event, a handler's
// change or an animation brings one more frame each, or every frame; a dialog run again
// over the screen has it drawn afresh.
TEST(IdleFrames, AQuietScreenIsDrawnAndPresentedOnlyWhenSomethingCanHaveChanged)
{
    HeadlessWindow display;
    for (auto [kind, animating, expected] : { std::tuple(Script::Quiet, false, 1), std::tuple(Script::EventAtFive, false, 2),
             std::tuple(Script::ChangeAtFive, false, 2), std::tuple(Script::Quiet, true, 20), std::tuple(Script::DefaultAnswer, false, 20) }) {
        SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
        Screen screen(display.window);
        auto* widget = screen.addChild(std::make_unique<CountingWidget>(0, 0, 100, 100));
        widget->animating = animating;
        Script script(kind);
        screen.addIdleHandler(&script);
        screen.runEventLoop();
        EXPECT_EQ(script.turns, 20);
        EXPECT_EQ(widget->draws, expected) << kind << " " << animating;
        EXPECT_EQ(screen.presentedFrames, expected) << kind << " " << animating;
        script.turns = 0;
        screen.runEventLoop();
        EXPECT_EQ(screen.presentedFrames, 2 * expected) << kind << " " << animating;
    }
}

}
