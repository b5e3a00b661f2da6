#include "boat/BoatControl.h"
#include "boat/BoatDescription.h"
#include "boat/BoatRecord.h"
#include "boat/ChartProjection.h"
#include "boat/HeadingCommands.h"
#include "boat/HeadingRing.h"
#include "gui/Button.h"
#include "gui/Screen.h"
#include "net/TextureRegistry.h"
#include "nav/GreatCircle.h"
#include "support/HeadlessWindow.h"
#include "support/RecordingFont.h"
#include "support/TestData.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

namespace {

const SDL_Color black { 0, 0, 0, 255 };
const SDL_Color bracketBlue { 0, 0, 255, 255 };
const SDL_Color marker12Green { 0, 255, 0, 255 };
const SDL_Color marker24Red { 255, 0, 0, 255 };
// The projection's white at alpha 200 over black.
const SDL_Color lineGrey { 200, 200, 200, 255 };

// The jib's speed rises from 0 head to wind to 7 (at 10 knots of wind) across it; the
// spinnaker is fastest downwind.
BoatDescription cruiser()
{
    BoatDescription description;
    description.sails[1] = Polar { { 5, 15 }, { 0, 90, 180 }, { { 0, 0 }, { 6, 8 }, { 4, 5 } } };
    description.sails[2] = Polar { { 5, 15 }, { 0, 90, 180 }, { { 0, 0 }, { 2, 3 }, { 9, 11 } } };
    return description;
}

// A chart of 50 pixels a degree with latitude 0, longitude 0 at the window's centre. Like
// the race screen's map, it places an angle and the same plus 360 alike.
class FlatChart : public ChartProjection {
public:
    SDL_Point latLonToScreen(double lat, double lon) const override
    {
        return { 512 + int(std::lround(std::remainder(lon, 360) * 50)), 384 - int(std::lround(std::remainder(lat, 360) * 50)) };
    }
};

// The own boat at latitude 0, longitude 0, in the chart's centre: the 440 x 300 panel sits
// at (292, 234) and the centre of its 300 x 300 ring at (512, 384).
class BoatControlTest : public testing::Test {
protected:
    void SetUp() override
    {
        initTextures(display.renderer);
        data.writeImage("images/compas.png", 300, 300, { 0, 0, 0, 0 });
        data.writeImage("images/bracket-left.png", 70, 300, bracketBlue);
        data.writeImage("images/bracket-right.png", 70, 300, bracketBlue);
        data.writeImage("images/s12.png", 6, 6, marker12Green);
        data.writeImage("images/s24.png", 6, 6, marker24Red);
        for (const char* name : { "images/sails-jib-on.png", "images/sails-jib-off.png", "images/sails-spinnaker-on.png",
                 "images/sails-spinnaker-off.png", "images/btn-apply.png", "images/btn-cancel.png" })
            data.writeImage(name, 50, 44, { 90, 90, 90, 255 });

        race.own.heading = 350;
        race.own.speed = 5.5;
        race.own.sail = 1;
        own.boat = &description;
        own.sail = 1;
        own.windDir = 0;
        own.windSpeed = 10;
        screen = std::make_unique<Screen>(display.window);
        control = screen->addChild(std::make_unique<BoatControl>(&chart, &own, &race));
        ring = dynamic_cast<HeadingRing*>(control->children.front().get());
        control->update(0.0);
    }
    void TearDown() override
    {
        screen.reset();
        clearTextures();
    }

    void press(int x, int y) { screen->onMouseDown(SDL_BUTTON_LEFT, x, y); }
    void move(int x, int y) { screen->onMouseMove(SDL_BUTTON_LMASK, x, y); }
    void release(int x, int y) { screen->onMouseUp(SDL_BUTTON_LEFT, x, y); }
    void click(int x, int y)
    {
        press(x, y);
        release(x, y);
    }
    // A child of the panel at (cx, cy) of its own, in window coordinates.
    void clickPanel(int cx, int cy) { click(control->x + cx, control->y + cy); }

    // Within rounding of the blend.
    static bool same(SDL_Color a, SDL_Color b)
    {
        return std::abs(a.r - b.r) <= 2 && std::abs(a.g - b.g) <= 2 && std::abs(a.b - b.b) <= 2;
    }
    // The hour markers are drawn at alpha 200 over the line: their own colour dominates.
    static bool tinted(SDL_Color pixel, SDL_Color colour)
    {
        auto strong = [](Uint8 value, Uint8 wanted) { return wanted ? value > 200 : value < 60; };
        return strong(pixel.r, colour.r) && strong(pixel.g, colour.g) && strong(pixel.b, colour.b);
    }

    HeadlessWindow display;
    TestDataFolder data;
    BoatDescription description = cruiser();
    RaceEntry race;
    BoatRecord own;
    FlatChart chart;
    std::unique_ptr<Screen> screen;
    BoatControl* control = nullptr;
    HeadingRing* ring = nullptr;
};

TEST_F(BoatControlTest, OnlyPressesStrictlyInsideTheBandStartADrag)
{
    struct Case {
        int dx, dy;
        bool drags;
    };
    const Case cases[] = {
        { 105, 0, false }, { 0, -105, false }, { 145, 0, false }, { 0, 145, false }, { 0, 0, false },
        { 106, 0, true }, { 0, -106, true }, { -144, 0, true }, { 0, 144, true }, { 75, 75, true }, { 103, 103, false },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "offset " << c.dx << ", " << c.dy);
        own.pending = false;
        press(512 + c.dx, 384 - c.dy);
        EXPECT_EQ(ring->dragging, c.drags);
        EXPECT_EQ(own.pending, c.drags);
        EXPECT_EQ(screen->mouseCapture != nullptr, c.drags);
        release(512 + c.dx, 384 - c.dy);
        EXPECT_FALSE(ring->dragging);
    }
}

TEST_F(BoatControlTest, DragTurnsBySweptAngleAndKeepsSteeringOutsideTheRing)
{
    own.heading = 350;
    press(512, 384 - 120); // angle 0
    move(512 + 120, 384); // angle 90
    EXPECT_DOUBLE_EQ(own.heading, 80);
    move(512, 760); // straight below, outside ring and panel: angle 180
    EXPECT_DOUBLE_EQ(own.heading, 170);
    move(512 - 300, 384); // far left: angle 270
    EXPECT_DOUBLE_EQ(own.heading, 260);
    release(512 - 300, 384);
    move(512 + 120, 384);
    EXPECT_DOUBLE_EQ(own.heading, 260);
    EXPECT_TRUE(own.pending);
}

TEST_F(BoatControlTest, DraggedHeadingPredictsSpeedFromTheSailsPolar)
{
    struct Case {
        int x, y;
        double heading, speed;
    };
    // Wind from 0 at 10 knots; the jib gives 7 across the wind on either side.
    const Case cases[] = {
        { 512 + 120, 384, 90, 7 },
        { 512 - 120, 384, 270, 7 },
        { 512, 384 + 120, 180, 4.5 },
        { 512 + 85, 384 - 85, 45, 3.5 },
    };
    race.own.heading = 0;
    control->update(0.0);
    press(512, 384 - 120);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.heading);
        move(c.x, c.y);
        EXPECT_DOUBLE_EQ(own.heading, c.heading);
        EXPECT_DOUBLE_EQ(own.speed, c.speed);
    }
    release(512, 384);
}

TEST_F(BoatControlTest, RingTextsShowTruncatedIntegers)
{
    struct Case {
        double heading, speed;
        const char* headingText;
        const char* speedText;
    };
    const Case cases[] = {
        { 359.9, 7.99, "HEADING:359", "SPEED:7" },
        { 0.4, 0.0, "HEADING:0", "SPEED:0" },
    };
    RecordingFont font;
    ring->font = &font;
    for (const Case& c : cases) {
        font.drawn.clear();
        own.heading = c.heading;
        own.speed = c.speed;
        ring->draw(display.renderer, 362, 234);
        ASSERT_EQ(font.drawn.size(), 2u);
        EXPECT_EQ(font.drawn[0].text, c.headingText);
        EXPECT_EQ(font.drawn[1].text, c.speedText);
        EXPECT_EQ(font.drawn[0].x, 362 + (300 - font.textWidth(c.headingText)) / 2);
        EXPECT_EQ(font.drawn[0].y, 234 + 60);
        EXPECT_EQ(font.drawn[1].x, 362 + (300 - font.textWidth(c.speedText)) / 2);
        EXPECT_EQ(font.drawn[1].y, 234 + 80);
    }
}

TEST_F(BoatControlTest, UpdateFollowsTheRaceOnlyWhileNothingIsPending)
{
    race.own.heading = 123;
    race.own.speed = 4.5;
    control->update(0.0);
    EXPECT_DOUBLE_EQ(own.heading, 123);
    EXPECT_DOUBLE_EQ(own.speed, 4.5);

    own.pending = true;
    own.heading = 10;
    own.speed = 1;
    race.own.heading = 200;
    race.own.speed = 9;
    control->update(0.0);
    EXPECT_DOUBLE_EQ(own.heading, 10);
    EXPECT_DOUBLE_EQ(own.speed, 1);
}

TEST_F(BoatControlTest, SailClickMakesAPendingChangeWithThatSailsSpeed)
{
    struct Case {
        int buttonY;
        int sail;
        double speed;
    };
    // Heading 180 puts the wind dead astern: the jib makes 4.5, the spinnaker 10.
    const Case cases[] = { { 63 + 22, 2, 10 }, { 13 + 22, 1, 4.5 } };
    race.own.heading = 180;
    control->update(0.0);
    for (const Case& c : cases) {
        own.pending = false;
        clickPanel(7 + 25, c.buttonY);
        EXPECT_EQ(own.sail, c.sail);
        EXPECT_TRUE(own.pending);
        EXPECT_DOUBLE_EQ(own.speed, c.speed);
        EXPECT_DOUBLE_EQ(own.heading, 180);
    }
    description.sails.erase(2);
    clickPanel(7 + 25, 63 + 22);
    EXPECT_EQ(own.sail, 2);
    EXPECT_DOUBLE_EQ(own.speed, 0.0);
}

// Apply and cancel run their commands (which the heading submission tests check) and show
// only while a change is pending.
TEST_F(BoatControlTest, ApplyAndCancelShowWhileAChangeIsPending)
{
    EXPECT_NE(dynamic_cast<SubmitHeadingCommand*>(control->applyButton->command), nullptr);
    EXPECT_FALSE(control->applyButton->visible);
    EXPECT_FALSE(control->cancelButton->visible);
    clickPanel(7 + 25, 63 + 22);
    control->update(0.0);
    EXPECT_TRUE(control->applyButton->visible);
    EXPECT_TRUE(control->cancelButton->visible);

    clickPanel(383 + 25, 63 + 22);
    EXPECT_FALSE(own.pending);
    EXPECT_EQ(own.sail, 1);
    control->update(0.0);
    EXPECT_FALSE(control->applyButton->visible);
    EXPECT_FALSE(control->cancelButton->visible);
}

TEST_F(BoatControlTest, PanelIsCentredOnTheOwnBoatEveryUpdate)
{
    struct Case {
        double lat, lon;
        int x, y;
    };
    const Case cases[] = { { 0, 0, 292, 234 }, { 1, 2, 392, 184 }, { -3, -4, 92, 384 } };
    for (const Case& c : cases) {
        own.lat = c.lat;
        own.lon = c.lon;
        control->update(0.0);
        EXPECT_EQ(control->x, c.x);
        EXPECT_EQ(control->y, c.y);
    }
}

TEST_F(BoatControlTest, CourseProjectionIsDrawnUnderThePanelAboveATenthOfAKnot)
{
    race.own.heading = 90;
    // About 130 pixels in 12 hours on the equator.
    const double speed = 13.2;
    GeoPoint after12 = destinationPoint(0, 0, 90, speed * 12 * 1.852);
    GeoPoint after24 = destinationPoint(0, 0, 90, speed * 24 * 1.852);
    SDL_Point point12 = chart.latLonToScreen(after12.lat, after12.lon);
    SDL_Point point24 = chart.latLonToScreen(after24.lat, after24.lon);
    ASSERT_EQ(point12.x, 644);
    ASSERT_EQ(point24.x, 776);

    struct Case {
        double speed;
        bool projected;
    };
    const Case cases[] = { { 0.1, false }, { 0.0, false }, { speed, true } };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.speed);
        race.own.speed = c.speed;
        control->update(0.0);
        display.clear(black);
        control->draw(display.renderer, control->x, control->y);
        SDL_Color onLine = c.projected ? lineGrey : black;
        EXPECT_TRUE(same(display.pixelAt(560, 384), onLine));
        EXPECT_TRUE(same(display.pixelAt(740, 384), onLine));
        EXPECT_EQ(tinted(display.pixelAt(point12.x, 384), marker12Green), c.projected);
        EXPECT_EQ(tinted(display.pixelAt(point24.x, 384), marker24Red), c.projected);
        // The right bracket is drawn over the line.
        EXPECT_TRUE(same(display.pixelAt(700, 384), bracketBlue));
        EXPECT_TRUE(same(display.pixelAt(560, 390), black));
    }
}

}
