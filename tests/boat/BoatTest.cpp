#include "app/Storage.h"
#include "boat/BoatControl.h"
#include "boat/BoatDescription.h"
#include "boat/BoatInfo.h"
#include "boat/BoatRecord.h"
#include "boat/ChartProjection.h"
#include "boat/HeadingRing.h"
#include "boat/PolarParser.h"
#include "gui/Button.h"
#include "gui/Screen.h"
#include "net/TextureRegistry.h"
#include "support/HeadlessWindow.h"
#include "support/RecordingFont.h"
#include "support/RecordingServer.h"
#include "support/RunningDownloader.h"
#include "support/StdoutCapture.h"
#include "support/TestData.h"
#include "table/Exception.h"
#include "table/Table.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

#define AXES "winds = {6, 12}, angles = {45, 90}, "

// A boat description has one polar per sail: the later of two numbers wins, and a sail
// without one makes no speed.
TEST(BoatDescription, PolarsAreReadPartByPartAndTheInformationLinesShowTheServersKeys)
{
    using Axis = std::vector<double>;
    const std::tuple<const char*, const char*, Axis, Axis, std::vector<Axis>> cases[] = { { AXES "values = {{4, 6}, {5, 8}}", "", { 6, 12 }, { 45, 90 }, { { 4, 6 }, { 5, 8 } } },
        { "angles = {45}, values = {{4, 6}}", "winds not found\ninvalid row size\n", {}, { 45 }, {} },
        { AXES "values = {a = {4, 6}, {5, 8}}", "values row not found\n", { 6, 12 }, { 45, 90 }, { { 5, 8 } } } };
    for (const auto& [text, printed, winds, angles, values] : cases) {
        StdoutCapture output;
        Polar polar = parsePolar(parseTable(text));
        EXPECT_EQ(output.text(), printed) << text;
        EXPECT_EQ(std::tie(polar.winds, polar.angles, polar.values), std::tie(winds, angles, values)) << text;
    }
    BoatDescription description = parseBoatDescription("id = 7, name = 'Mini 650', sails = {"
                                                       "{id = 2, polar = {winds = {10}, angles = {90}, values = {{3}}}},"
                                                       "{id = 1, polar = {" AXES "values = {{4, 6}, {5, 8}}}},"
                                                       "{id = 2, polar = {winds = {10}, angles = {90}, values = {{9}}}},"
                                                       "{id = 3}}");
    EXPECT_EQ(std::make_tuple(boatSpeed(description, 1, 90, 0, 9), boatSpeed(description, 2, 90, 0, 9), boatSpeed(description, 3, 90, 0, 9)), std::make_tuple(6.5, 9.0, 0.0));
    for (const char* text : { "id = {", "sails = {{id = {1}}}", "sails = {{polar = {" AXES "values = {4, 6}}}}" })
        EXPECT_THROW(parseBoatDescription(text), Exception) << text;
    // The information lines show what the server's keys say: whole numbers truncated, and
    // clamped to the int range when the server sends anything wilder, speeds to one decimal,
    // the nick cut to a 200-byte buffer without splitting a character.
    BoatRecord boat;
    readBoatState(parseTable("position = 3, lat = 10.5, lon = -20.25, grounded = 1, heading = 359.9, speed = 7.26, waypoint = 4, finished = 0"), boat);
    EXPECT_EQ(std::make_tuple(boat.lat, boat.lon, boat.grounded, boat.waypoint, boat.finished), std::make_tuple(10.5, -20.25, true, 4, false));
    for (int i = 0; i < 100; ++i)
        boat.nick += "\xe2\x82\xac";
    std::tie(boat.windDir, boat.windSpeed, boat.sail) = std::tuple(270.8, 12.26, 2);
    EXPECT_EQ(BoatInfo::lines(boat), (std::vector<std::string> { "Name: " + boat.nick.substr(0, 192), "Place: 3", "TWA: 270", "TWS: 12.3", "Heading: 359", "Speed: 7.3", "Sail: Spinnaker" }));
    for (auto [value, whole] : { std::make_pair(HUGE_VAL, "2147483647"), std::make_pair(-HUGE_VAL, "-2147483648"), std::make_pair(std::nan(""), "0") }) {
        boat.heading = boat.windDir = value;
        EXPECT_EQ(BoatInfo::lines(boat)[2] + " " + BoatInfo::lines(boat)[4], std::string("TWA: ") + whole + " Heading: " + whole);
    }
}

// 50 pixels a degree, latitude and longitude 0 at the window's centre.
struct FlatChart : ChartProjection {
    SDL_Point latLonToScreen(double lat, double lon) const override { return { 512 + int(std::lround(lon * 50)), 384 - int(std::lround(lat * 50)) }; }
};

// The own boat at 0, 0 in race 7 heads 270 in a wind from 0 at 10 knots; its 440 x 300 panel is
// at (292, 234), the ring's centre at (512, 384). Across the wind the jib makes 7 knots, dead
// downwind 4.5 and the spinnaker 10. Images: clear "off" sails, no 24 hour marker, magenta frames.
class BoatControlTest : public testing::Test {
protected:
    void SetUp() override
    {
        startDownloaderOnce();
        storage->writeString("raceServer", server.baseUrl());
        reloadServerUrls();
        server.answer(".*", Reply("<result>OK</result>"));
        initTextures(display.renderer);
        data.writeImage("images/compas.png", 300, 300, { 0, 0, 0, 0 });
        data.writeImage("images/bracket-left.png", 70, 300, { 0, 0, 255, 255 });
        data.writeImage("images/bracket-right.png", 70, 300, { 0, 0, 255, 255 });
        data.writeImage("images/s12.png", 6, 6, { 0, 255, 0, 255 });
        data.writeImage("images/btn-left-top.png", 8, 8, { 255, 0, 255, 255 });
        for (const char* sail : { "jib", "spinnaker" }) {
            data.writeImage(std::string("images/sails-") + sail + "-on.png", 50, 44, { 255, 255, 255, 255 });
            data.writeImage(std::string("images/sails-") + sail + "-off.png", 50, 44, { 0, 0, 0, 0 });
        }
        description.sails[1] = Polar { { 5, 15 }, { 0, 90, 180 }, { { 0, 0 }, { 6, 8 }, { 4, 5 } } };
        description.sails[2] = Polar { { 5, 15 }, { 0, 90, 180 }, { { 0, 0 }, { 2, 3 }, { 9, 11 } } };
        std::tie(race.id, race.own.heading, race.own.sail) = std::tuple(7, 270, 1);
        std::tie(own.boat, own.sail, own.windSpeed) = std::tuple(&description, 1, 10);
        screen = std::make_unique<Screen>(display.window);
        control = screen->addChild(std::make_unique<BoatControl>(&chart, &own, &race));
        control->update(0.0);
    }
    void TearDown() override
    {
        screen.reset();
        clearTextures();
    }

    bool press(int x, int y) { return screen->onMouseDown(SDL_BUTTON_LEFT, x, y); }
    void release(int x, int y) { screen->onMouseUp(SDL_BUTTON_LEFT, x, y); }
    // The 50 x 44 button at (x, y) in the panel: the sails at x 7, apply and cancel at 383.
    void clickButton(int x, int y)
    {
        press(control->x + x + 25, control->y + y + 22);
        release(control->x + x + 25, control->y + y + 22);
        control->update(0.0);
    }

    RecordingServer server;
    HeadlessWindow display;
    TestDataFolder data;
    BoatDescription description;
    RaceEntry race;
    BoatRecord own;
    FlatChart chart;
    std::unique_ptr<Screen> screen;
    BoatControl* control = nullptr;
};

// Presses strictly inside the ring's band start a drag that steers, outside the ring too,
// until the button goes up; the centre counts as straight up.
TEST_F(BoatControlTest, RingTurnsByTheSweptAngleWithTheSailsPredictedSpeed)
{
    const std::tuple<int, int, bool> presses[] = { { 105, 0, false }, { 0, -106, true }, { -144, 0, true }, { 0, 145, false }, { 0, 0, false },
        { 75, 75, true }, { 103, 103, false } };
    for (auto [dx, dy, drags] : presses) {
        own.pending = false;
        EXPECT_EQ(press(512 + dx, 384 - dy), drags) << dx << ", " << dy;
        release(512 + dx, 384 - dy);
        EXPECT_EQ(own.pending, drags) << dx << ", " << dy;
    }
    const std::tuple<int, int, double, double> moves[] = { { 512, 760, 0, 0 }, { 212, 384, 90, 7 }, { 512, 300, 180, 4.5 }, { 597, 299, 225, 5.75 }, { 512, 384, 180, 4.5 } };
    press(512 + 120, 384);
    for (auto [x, y, heading, speed] : moves) {
        EXPECT_TRUE(screen->onMouseMove(SDL_BUTTON_LMASK, x, y)) << "a turn of the ring asks for a frame";
        EXPECT_EQ(std::make_pair(own.heading, own.speed), std::make_pair(heading, speed)) << x << ", " << y;
    }
    EXPECT_TRUE(screen->onMouseUp(SDL_BUTTON_LEFT, 512, 384)) << "so does the release";
    EXPECT_FALSE(screen->onMouseMove(0, 572, 384));
    EXPECT_EQ(own.heading, 180);
}

// Apply sends the course to the race server and makes it the race's; cancel returns to it
// and sends nothing, as the next apply's request shows.
TEST_F(BoatControlTest, SailsMakeAPendingChangeThatApplySendsAndCancelUndoes)
{
    race.own.heading = 180;
    control->update(0.0);
    clickButton(7, 63);
    EXPECT_EQ(std::make_tuple(own.sail, own.speed, own.pending), std::make_tuple(2, 10.0, true));
    control->draw(display.renderer, control->x, control->y);
    EXPECT_EQ(std::make_tuple(display.channels(control->x + 32, control->y + 35), display.channels(control->x + 32, control->y + 85),
                  display.channels(control->x + 385, control->y + 15), display.channels(control->x + 385, control->y + 65)),
        std::make_tuple(1, 7, 1, 1));
    clickButton(7, 13);
    EXPECT_EQ(std::make_pair(own.sail, own.speed), std::make_pair(1, 4.5));
    own.heading = 1.0 / 3;
    clickButton(383, 13);
    ASSERT_TRUE(server.waitForRequests(1));
    EXPECT_FALSE(own.pending || control->applyButton->visible || control->cancelButton->visible);
    EXPECT_EQ(std::make_tuple(race.own.heading, race.own.sail, race.own.speed), std::make_tuple(1.0 / 3, 1, 4.5));
    clickButton(7, 63);
    own.heading = 200;
    clickButton(383, 63);
    EXPECT_FALSE(own.pending || control->applyButton->visible);
    EXPECT_EQ(std::make_tuple(own.heading, own.sail, own.speed), std::make_tuple(1.0 / 3, 1, 4.5));
    clickButton(7, 63);
    own.heading = 123.25;
    clickButton(383, 13);
    ASSERT_TRUE(server.waitForRequests(2));
    EXPECT_EQ(server.requests()[0].target + " " + server.requests()[1].target, "/boats?action=2&heading=0.333333&sail=1&raceId=7 /boats?action=2&heading=123.25&sail=2&raceId=7");
}

// At 13.2 knots due east the 12 and 24 hour markers lie about 130 and 260 pixels ahead on
// the course line, all under the panel's widgets; at a tenth of a knot nothing is drawn.
// The ring's two texts, read from the boat at each draw, are centred under each other in
// the ring at (362, 234), without the missing compass image; the information lines stand
// 20 pixels apart from (10, 10).
TEST_F(BoatControlTest, PanelIsCentredOnTheBoatOverItsCourseAheadAndItsTextsReadTheBoat)
{
    std::tie(own.lat, own.lon) = std::pair(1, 2);
    control->update(0.0);
    EXPECT_EQ(std::make_pair(control->x, control->y), std::make_pair(392, 184));
    own.lat = own.lon = 0;
    race.own.heading = 90;
    for (double speed : { 13.2, 0.1 }) {
        race.own.speed = speed;
        control->update(0.0);
        display.clear();
        control->draw(display.renderer, control->x, control->y);
        std::vector<int> line { display.channels(512, 384), display.channels(560, 384), display.channels(644, 384), display.channels(750, 384), display.channels(700, 384) };
        EXPECT_EQ(line, (speed > 1 ? std::vector<int> { 7, 7, 2, 7, 1 } : std::vector<int> { 0, 0, 0, 0, 1 }));
    }
    RecordingFont font;
    BoatInfo info(&own);
    auto* ring = dynamic_cast<HeadingRing*>(control->children.front().get());
    ring->texture.reset();
    info.font = ring->font = &font;
    std::tie(own.heading, own.speed) = std::pair(359.9, 7.99);
    control->draw(display.renderer, control->x, control->y);
    info.draw(display.renderer, info.x, info.y);
    ASSERT_EQ(font.drawn.size(), 9u);
    EXPECT_EQ(font.drawn[0].text + font.drawn[1].text + font.drawn[6].text, "HEADING:359SPEED:7Heading: 359");
    EXPECT_EQ(std::make_tuple(font.drawn[0].x, font.drawn[0].y, font.drawn[1].x, font.drawn[1].y), std::make_tuple(362 + (300 - 110) / 2, 234 + 60, 362 + (300 - 70) / 2, 234 + 80));
    for (size_t line = 2; line < 9; ++line)
        EXPECT_EQ(std::make_pair(font.drawn[line].x, font.drawn[line].y), std::make_pair(10, 20 * int(line) - 30));
}

}
