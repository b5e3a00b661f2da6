#include "gui/Screen.h"
#include "race/Map.h"
#include "race/WindTape.h"
#include "support/RecordingFont.h"

#include "ChartTestSupport.h"

#include <ctime>

namespace {

constexpr int tapeTop = 768 - 50;

// A 1024-pixel tape along the bottom of the window over the map, as the race screen has it.
// Its scale leaves 30 pixels free at each end.
class WindTapeTest : public chart::ChartTest {
protected:
    void press(int x) { screen.onMouseDown(SDL_BUTTON_LEFT, x, tapeTop + 20); }
    void move(int x) { screen.onMouseMove(SDL_BUTTON_LMASK, x, 100); }
    void release(int x) { screen.onMouseUp(SDL_BUTTON_LEFT, x, tapeTop + 20); }

    Screen screen { display.window };
    Map* map = screen.addChild(std::make_unique<Map>(1024, 768, 0.0, 0.0));
    WindTape* tape = screen.addChild(std::make_unique<WindTape>(tapeTop, 1024, map));
};

TEST_F(WindTapeTest, TheScaleSpansSeventyTwoHoursFromTheCurrentWholeHour)
{
    EXPECT_EQ(tape->start % 3600, 0);
    EXPECT_LE(tape->start, tape->selected);
    EXPECT_LE(int32_t(std::time(nullptr)) - tape->start, 3600);
    EXPECT_EQ(tape->end - tape->start, 72 * 3600);
    for (auto [hour, offset] : { std::pair(0, 30), std::pair(1, 43), std::pair(36, 512), std::pair(72, 994) })
        EXPECT_EQ(tape->hourOffset(hour), offset) << "hour " << hour;
    for (auto [seconds, offset] : { std::pair(0, 0), std::pair(1800, 6), std::pair(129600, 482), std::pair(259200, 964) }) {
        tape->selected = tape->start + seconds;
        EXPECT_EQ(tape->knobOffset(), offset) << seconds << " s";
    }
}

// Hour ticks run from 8 to 15 pixels down, quarter ticks from 15 to 25, and the knob's face
// from 3 to 33 over the 20 pixels from its offset plus 20.
TEST_F(WindTapeTest, HourAndQuarterTicksALabelEveryFourHoursAndTheKnobOverThem)
{
    RecordingFont font;
    tape->font = &font;
    tape->selected = tape->start + 129600;
    display.clear();
    tape->draw(display.renderer, 0, tapeTop);
    for (auto [x, row, dark] : { std::tuple(30, 10, true), std::tuple(30, 5, false), std::tuple(994, 10, true), std::tuple(994, 20, true),
             std::tuple(33, 20, true), std::tuple(33, 10, false) }) {
        SDL_Color pixel = display.pixelAt(x, tapeTop + row);
        EXPECT_EQ(pixel.r < 100 && pixel.g < 100, dark) << x << ", " << row;
    }
    SDL_Color knob = display.pixelAt(512, tapeTop + 30);
    EXPECT_TRUE(knob.r > 150 && knob.b > 150) << int(knob.r) << ", " << int(knob.b);
    ASSERT_EQ(font.drawn.size(), 19u);
    EXPECT_EQ(font.drawn[0].text + font.drawn[1].text + font.drawn[18].text, "00h+04h+72h");
    EXPECT_EQ(std::pair(font.drawn[1].x, font.drawn[1].y), std::pair(tape->hourOffset(4) - 20, tapeTop + 27));
}

TEST_F(WindTapeTest, DraggingTheKnobFollowsThePointerWithinTheScaleAndSetsTheMapsTimeOnRelease)
{
    map->windTime = 0;
    press(tape->knobOffset() + 30);
    for (auto [x, seconds] : { std::pair(30 + 482, 129600), std::pair(-500, 0), std::pair(994, 259200), std::pair(5000, 259200), std::pair(30 + 241, 64800) }) {
        move(x);
        EXPECT_EQ(std::pair(tape->selected - tape->start, map->windTime), std::pair(seconds, 0)) << x;
    }
    release(30 + 241);
    move(700);
    EXPECT_EQ(std::pair(tape->selected, map->windTime), std::pair(tape->start + 64800, tape->start + 64800));
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
        EXPECT_EQ(std::tuple(tape->selected != tape->start, map->windTime, map->viewX), std::tuple(drags, drags ? tape->selected : 0, viewX)) << offset;
    }
}

}
