#include "gui/Command.h"
#include "gui/Screen.h"
#include "support/HeadlessWindow.h"

#include <gtest/gtest.h>

#include <memory>
#include <tuple>

namespace {

struct CountingWidget : Widget {
    using Widget::Widget;
    void draw(SDL_Renderer*, int, int) override { ++draws; }
    bool isAnimating() const override { return animating; }
    int draws = 0;
    bool animating = false;
};

enum Kind { Quiet,
    EventAtFive,
    ChangeAtFive,
    DefaultAnswer };

// Ends the screen at turn 20; at turn 5 it pushes an event or reports a change, as asked,
// or it keeps the default answer (a change every turn).
struct Script : IdleHandler {
    void onIdle(Screen& screen) override
    {
        if (++turns == 5 && kind == EventAtFive)
            pushMouseMotion(10, 10);
        screen.done = turns == 20;
    }
    bool changedPicture() const override { return kind == DefaultAnswer || (kind == ChangeAtFive && turns == 5); }
    Kind kind = Quiet;
    int turns = 0;
};

// Twenty turns of a quiet screen draw and present only the first; an event or a handler's
// change brings one more frame, an animation or the default answer every frame; a screen
// run again (after a dialog over it) is drawn afresh.
TEST(IdleFrames, AQuietScreenIsDrawnAndPresentedOnlyWhenSomethingCanHaveChanged)
{
    HeadlessWindow display;
    for (auto [kind, animating, expected] : { std::tuple(Quiet, false, 1), std::tuple(EventAtFive, false, 2), std::tuple(ChangeAtFive, false, 2),
             std::tuple(Quiet, true, 20), std::tuple(DefaultAnswer, false, 20) }) {
        SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
        Screen screen(display.window);
        auto* widget = screen.addChild(std::make_unique<CountingWidget>(0, 0, 100, 100));
        widget->animating = animating;
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
