#include "boat/BoatInfo.h"
#include "boat/BoatRecord.h"
#include "gui/FontManager.h"
#include "net/TextureRegistry.h"
#include "support/HeadlessWindow.h"
#include "support/RecordingFont.h"
#include "support/TestData.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace {

BoatRecord boatWith(const std::string& nick, int position, double windDir, double windSpeed, double heading,
    double speed, int sail)
{
    BoatRecord boat;
    boat.nick = nick;
    boat.position = position;
    boat.windDir = windDir;
    boat.windSpeed = windSpeed;
    boat.heading = heading;
    boat.speed = speed;
    boat.sail = sail;
    return boat;
}

TEST(BoatInfoLines, FormatTheSevenValues)
{
    struct Case {
        BoatRecord boat;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        { boatWith("Ann", 0, 270.8, 12.26, 359.9, 7.26, 2),
            { "Name: Ann", "Place: 0", "TWA: 270", "TWS: 12.3", "Heading: 359", "Speed: 7.3", "Sail: Spinnaker" } },
        { boatWith("", 17, 0.2, 0, 0, 0.04, 1),
            { "Name: ", "Place: 17", "TWA: 0", "TWS: 0.0", "Heading: 0", "Speed: 0.0", "Sail: Jib" } },
        { boatWith("B\xc3\xb8rge", 3, 359.99, 30.06, 90.5, 15.94, 0),
            { "Name: B\xc3\xb8rge", "Place: 3", "TWA: 359", "TWS: 30.1", "Heading: 90", "Speed: 15.9",
                "Sail: Spinnaker" } },
    };
    for (const Case& c : cases)
        EXPECT_EQ(BoatInfo::lines(c.boat), c.lines);
}

// The name line is made in a 200-byte buffer: a longer nick is cut to the last whole
// character that fits with the terminator.
TEST(BoatInfoLines, LongNickIsCutAtACharacterBoundary)
{
    struct Case {
        std::string character;
        int repeat;
        size_t length;
    };
    const Case cases[] = {
        { "a", 300, 199 },
        { "\xc3\xa9", 150, 198 },
        { "\xe2\x82\xac", 70, 198 },
        { "\xf0\x9f\x8c\x8a", 60, 198 },
        { "a", 193, 199 },
    };
    for (const Case& c : cases) {
        std::string nick;
        for (int i = 0; i < c.repeat; ++i)
            nick += c.character;
        std::string line = BoatInfo::lines(boatWith(nick, 0, 0, 0, 0, 0, 1)).front();
        EXPECT_EQ(line.size(), c.length) << c.character;
        EXPECT_EQ(line.substr(0, 6), "Name: ");
        EXPECT_EQ((line.size() - 6) % c.character.size(), 0u) << c.character;
        EXPECT_EQ(line.substr(6), nick.substr(0, line.size() - 6));
    }
}

class BoatInfoDrawTest : public testing::Test {
protected:
    void SetUp() override { initTextures(display.renderer); }
    void TearDown() override { clearTextures(); }

    // Rows of the window, within the panel's 300 pixels, that hold some dark pixel.
    std::vector<int> darkRows(int from, int to)
    {
        std::vector<int> rows;
        for (int y = from; y < to; ++y) {
            for (int x = 10; x < 310; ++x) {
                if (display.pixelAt(x, y).r < 80) {
                    rows.push_back(y);
                    break;
                }
            }
        }
        return rows;
    }

    HeadlessWindow display { 400, 300 };
};

TEST_F(BoatInfoDrawTest, LinesAreTwentyPixelsApartFromTheTop)
{
    testing::internal::CaptureStdout();
    BoatRecord boat = boatWith("Ann", 2, 45, 10, 180, 5, 1);
    BoatInfo info(&boat);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "font not found!\n");
    EXPECT_EQ(info.x, 10);
    EXPECT_EQ(info.y, 0);

    display.clear({ 255, 255, 255, 255 });
    info.draw(display.renderer, 10, 0);
    EXPECT_TRUE(darkRows(0, 300).empty());

    RecordingFont font;
    info.font = &font;
    boat.heading = 181.5;
    info.draw(display.renderer, 10, 0);
    ASSERT_EQ(font.drawn.size(), 7u);
    for (size_t line = 0; line < 7; ++line) {
        EXPECT_EQ(font.drawn[line].x, 10);
        EXPECT_EQ(font.drawn[line].y, 10 + 20 * int(line));
    }
    // The record is read at every draw.
    EXPECT_EQ(font.drawn[4].text, "Heading: 181");
}

TEST_F(BoatInfoDrawTest, RealFontDrawsBlackTextInTheSevenRows)
{
    TestDataFolder data;
    data.copyFromSource("fonts/newscycle-bold.ttf");
    createFontManager();
    BoatRecord boat = boatWith("Ann", 2, 45, 10, 180, 5, 1);
    {
        BoatInfo info(&boat);
        ASSERT_NE(info.font, nullptr);
        display.clear({ 255, 255, 255, 255 });
        info.draw(display.renderer, 10, 0);
    }
    deleteFontManager();
    std::vector<int> rows = darkRows(0, 300);
    ASSERT_FALSE(rows.empty());
    EXPECT_GE(rows.front(), 10);
    EXPECT_LT(rows.back(), 130 + 25);
    // Every line shows: some dark pixel in each 20-pixel band.
    for (int line = 0; line < 7; ++line)
        EXPECT_FALSE(darkRows(10 + 20 * line, 30 + 20 * line).empty()) << line;
}

// A number from the server may be anything, infinity included; the whole-number lines
// clamp it to the int range.
TEST(BoatInfoLines, WildNumbersClampToTheIntRange)
{
    const double infinity = std::numeric_limits<double>::infinity();
    const struct {
        double value;
        const char* twa;
        const char* heading;
    } cases[] = {
        { infinity, "TWA: 2147483647", "Heading: 2147483647" },
        { -infinity, "TWA: -2147483648", "Heading: -2147483648" },
        { std::nan(""), "TWA: 0", "Heading: 0" },
        { -1e12, "TWA: -2147483648", "Heading: -2147483648" },
    };
    for (const auto& c : cases) {
        std::vector<std::string> lines = BoatInfo::lines(boatWith("Ann", 1, c.value, 0, c.value, 0, 1));
        EXPECT_EQ(lines[2], c.twa);
        EXPECT_EQ(lines[4], c.heading);
    }
}

}
