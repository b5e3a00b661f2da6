#include "gui/Screen.h"
#include "net/TextureRegistry.h"
#include "race/Map.h"
#include "race/WindTape.h"
#include "support/HeadlessWindow.h"
#include "support/RecordingFont.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

constexpr int tapeTop = 768 - 50;

// A 1024-pixel tape at the bottom of the window, as the race screen places it.
class WindTapeTest : public testing::Test {
protected:
    void SetUp() override
    {
        initTextures(display.renderer);
        map = std::make_unique<Map>(1024, 768, 0.0, 0.0);
        screen = std::make_unique<Screen>(display.window);
        tape = screen->addChild(std::make_unique<WindTape>(tapeTop, 1024, map.get()));
        tape->font = &font;
    }
    void TearDown() override
    {
        screen.reset();
        map.reset();
        clearTextures();
    }

    // The knob's offset for the tape's current selection, from the scale's definition.
    int knob() const { return int(double(tape->selected - tape->start) / double(tape->end - tape->start) * 964); }

    void press(int x) { screen->onMouseDown(SDL_BUTTON_LEFT, x, tapeTop + 20); }
    void move(int x, int y = tapeTop + 20) { screen->onMouseMove(SDL_BUTTON_LMASK, x, y); }
    void release(int x) { screen->onMouseUp(SDL_BUTTON_LEFT, x, tapeTop + 20); }

    // Columns of one row of the tape that show a tick's dark grey (the knob's outline too).
    std::set<int> darkColumns(int row, int from, int to)
    {
        std::set<int> columns;
        for (int x = from; x < to; ++x) {
            SDL_Color pixel = display.pixelAt(x, tapeTop + row);
            if (pixel.r < 100 && pixel.g < 100)
                columns.insert(x);
        }
        return columns;
    }

    void drawAt(int32_t selected)
    {
        tape->selected = selected;
        display.clear();
        tape->draw(display.renderer, 0, tapeTop);
    }

    HeadlessWindow display;
    RecordingFont font;
    std::unique_ptr<Map> map;
    std::unique_ptr<Screen> screen;
    WindTape* tape = nullptr;
};

TEST_F(WindTapeTest, SpansSeventyTwoHoursFromTheWholeHour)
{
    EXPECT_EQ(tape->start % 3600, 0);
    EXPECT_LE(tape->start, tape->selected);
    EXPECT_LT(tape->selected - tape->start, 3600);
    EXPECT_EQ(tape->end - tape->start, 72 * 3600);
    EXPECT_EQ(tape->height, 50);
    EXPECT_EQ(tape->width, 1024);
}

// The knob hides the ticks under it, so each count joins a draw with the knob at the
// start (counted right of it) and one with the knob at the end (counted left of it).
TEST_F(WindTapeTest, DrawsHourAndQuarterTicksAndALabelEveryFourHours)
{
    struct Case {
        int row;
        size_t ticks;
    };
    const Case cases[] = { { 10, 73 }, { 20, 289 } };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.row);
        drawAt(tape->start);
        std::set<int> columns = darkColumns(c.row, 40, 1024);
        drawAt(tape->end);
        std::set<int> left = darkColumns(c.row, 0, 984);
        columns.insert(left.begin(), left.end());
        EXPECT_EQ(columns.size(), c.ticks);
    }

    std::vector<std::string> expected { "00h" };
    for (int hour = 4; hour <= 72; hour += 4)
        expected.push_back((hour < 10 ? "+0" : "+") + std::to_string(hour) + "h");
    font.drawn.clear();
    drawAt(tape->start);
    ASSERT_EQ(font.texts(), expected);
    for (size_t label = 0; label < font.drawn.size(); ++label) {
        int hourX = int(label * 4 * (964.0 / 72) + 30.0);
        EXPECT_EQ(font.drawn[label].x, hourX - font.textWidth(expected[label].c_str()) / 2);
        EXPECT_EQ(font.drawn[label].y, tapeTop + 27);
    }
}

TEST_F(WindTapeTest, KnobSitsAtTheSelectedTime)
{
    const int32_t offsets[] = { 0, 36 * 3600, 72 * 3600, 1800 };
    for (int32_t offset : offsets) {
        drawAt(tape->start + offset);
        int kx = int(offset / 259200.0 * 964);
        SDL_Color inside = display.pixelAt(kx + 30, tapeTop + 20);
        SDL_Color beside = display.pixelAt(kx + 45, tapeTop + 5);
        EXPECT_GT(inside.b, 150) << offset;
        EXPECT_LT(beside.b, 100) << offset;
    }
}

TEST_F(WindTapeTest, DragFollowsThePointerAndPinsAtBothEnds)
{
    struct Case {
        int x;
        int32_t offset;
    };
    const Case cases[] = {
        { 30 + 482, 129600 }, { -500, 0 }, { 30, 0 }, { 994, 259200 }, { 5000, 259200 }, { 30 + 241, 64800 },
    };
    int32_t chosen = tape->selected;
    map->windTime = 0;
    press(knob() + 30);
    ASSERT_TRUE(tape->dragging);
    for (const Case& c : cases) {
        // The pointer may leave the tape: the drag holds the mouse.
        move(c.x, 100);
        EXPECT_EQ(tape->selected - tape->start, c.offset) << c.x;
        EXPECT_EQ(map->windTime, 0);
    }
    EXPECT_NE(tape->selected, chosen);
    release(30 + 241);
    EXPECT_FALSE(tape->dragging);
    EXPECT_EQ(map->windTime, tape->start + 64800);
}

TEST_F(WindTapeTest, OnlyAPressOnTheKnobOrJustRightOfItStartsADrag)
{
    struct Case {
        int offset;
        bool drags;
    };
    const Case cases[] = { { 19, false }, { 20, true }, { 30, true }, { 50, true }, { 51, false }, { 400, false } };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.offset);
        map->windTime = 0;
        int32_t before = tape->selected;
        press(knob() + c.offset);
        EXPECT_EQ(tape->dragging, c.drags);
        move(700);
        if (!c.drags) {
            EXPECT_EQ(tape->selected, before);
        }
        release(700);
        EXPECT_EQ(map->windTime, c.drags ? tape->selected : 0);
        tape->selected = before;
    }
}

TEST_F(WindTapeTest, PressAndReleaseOnTheKnobCentreKeepsTheSelection)
{
    const int32_t offsets[] = { 0, 1234, 100000, 259200 };
    for (int32_t offset : offsets) {
        tape->selected = tape->start + offset;
        press(knob() + 30);
        release(knob() + 30);
        EXPECT_EQ(tape->selected, tape->start + offset);
        EXPECT_EQ(map->windTime, tape->start + offset);
    }
}

}
