#include "gui/Screen.h"
#include "race/Map.h"
#include "race/WindTape.h"
#include "support/RecordingFont.h"

#include "ChartTestSupport.h"

#include <ctime>

namespace {

using namespace chart;

constexpr int tapeTop = 768 - 50;

// A 1024-pixel tape along the bottom of the window over the map, as the race screen has it.
class WindTapeTest : public ChartTest {
protected:
    void press(int x) { screen.onMouseDown(SDL_BUTTON_LEFT, x, tapeTop + 20); }
    void move(int x) { screen.onMouseMove(SDL_BUTTON_LMASK, x, 100); }
    void release(int x) { screen.onMouseUp(SDL_BUTTON_LEFT, x, tapeTop + 20); }

    Screen screen { display.window };
    Map* map = screen.addChild(std::make_unique<Map>(1024, 768, 0.0, 0.0));
    WindTape* tape = screen.addChild(std::make_unique<WindTape>(tapeTop, 1024, map));
};

// 30 pixels stay free at each end of the scale.
TEST_F(WindTapeTest, TheScaleSpansSeventyTwoHoursFromTheCurrentWholeHour)
{
    int32_t now = int32_t(std::time(nullptr));
    EXPECT_EQ(tape->start % 3600, 0);
    EXPECT_LE(tape->start, tape->selected);
    EXPECT_LE(now - tape->start, 3600);
    EXPECT_EQ(tape->end - tape->start, 72 * 3600);
    for (auto [hour, offset] : { std::pair(0, 30), std::pair(36, 512), std::pair(72, 994), std::pair(1, 43) })
        EXPECT_EQ(tape->hourOffset(hour), offset) << "hour " << hour;
    for (auto [selected, offset] : { std::pair(0, 0), std::pair(129600, 482), std::pair(259200, 964), std::pair(1800, 6) }) {
        tape->selected = tape->start + selected;
        EXPECT_EQ(tape->knobOffset(), offset) << selected << " s";
    }
}

TEST_F(WindTapeTest, HourAndQuarterTicksAndALabelEveryFourHoursAreDrawnUnderTheKnob)
{
    RecordingFont font;
    tape->font = &font;
    tape->selected = tape->start + 129600;
    display.clear();
    tape->draw(display.renderer, 0, tapeTop);
    auto dark = [](SDL_Color colour) { return colour.r < 100 && colour.g < 100; };
    // Hour ticks from 8 to 15 pixels down, quarter ticks from 15 to 25; the knob's face fills
    // 3 to 33 down over 20 pixels right of its offset.
    const struct {
        int x, row;
        bool dark;
    } probes[] {
        { 30, 10, true }, { 30, 5, false }, { 994, 10, true }, { 994, 20, true }, { 33, 20, true }, { 33, 10, false },
    };
    for (const auto& probe : probes)
        EXPECT_EQ(dark(display.pixelAt(probe.x, tapeTop + probe.row)), probe.dark) << probe.x << ", " << probe.row;
    SDL_Color knob = display.pixelAt(512, tapeTop + 30);
    EXPECT_TRUE(knob.r > 150 && knob.b > 150) << int(knob.r) << ", " << int(knob.b);

    ASSERT_EQ(font.drawn.size(), 19u);
    EXPECT_EQ(font.drawn[0].text, "00h");
    EXPECT_EQ(font.drawn[18].text, "+72h");
    EXPECT_EQ(font.drawn[1].text, "+04h");
    EXPECT_EQ(font.drawn[1].x, tape->hourOffset(4) - 20);
    EXPECT_EQ(font.drawn[1].y, tapeTop + 27);
}

TEST_F(WindTapeTest, DraggingTheKnobFollowsThePointerWithinTheScaleAndSetsTheMapsTimeOnRelease)
{
    map->windTime = 0;
    press(tape->knobOffset() + 30);
    const std::pair<int, int32_t> moves[] { { 30 + 482, 129600 }, { -500, 0 }, { 994, 259200 }, { 5000, 259200 }, { 30 + 241, 64800 } };
    for (auto [x, offset] : moves) {
        move(x);
        EXPECT_EQ(tape->selected - tape->start, offset) << x;
        EXPECT_EQ(map->windTime, 0);
    }
    release(30 + 241);
    EXPECT_EQ(map->windTime, tape->start + 64800);
    move(700);
    EXPECT_EQ(tape->selected, tape->start + 64800);
}

// A press elsewhere on the tape neither moves the knob nor reaches the map below.
TEST_F(WindTapeTest, OnlyAPressOnTheKnobOrUpToTenPixelsRightOfItStartsADrag)
{
    const int32_t viewX = map->viewX;
    for (auto [offset, drags] : { std::pair(19, false), std::pair(20, true), std::pair(50, true), std::pair(51, false), std::pair(400, false) }) {
        tape->selected = tape->start;
        map->windTime = 0;
        press(tape->knobOffset() + offset);
        move(700);
        release(700);
        EXPECT_EQ(tape->selected != tape->start, drags) << offset;
        EXPECT_EQ(map->windTime, drags ? tape->selected : 0) << offset;
        EXPECT_EQ(map->viewX, viewX) << offset;
    }
}

}
