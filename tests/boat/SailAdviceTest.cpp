#include "boat/SailAdvice.h"

#include "boat/BoatDescription.h"
#include "boat/BoatRecord.h"
#include "boat/ControlNotes.h"
#include "support/RecordingFont.h"

#include <gtest/gtest.h>

namespace {

// In a wind from north the heading is the wind angle. Neither sail moves up to 30 degrees,
// only the spinnaker at 45; at 135 it is 2% faster at 5 knots of wind and a little less at
// 15. Winds beyond the table keep its edge speeds.
TEST(SailAdvice, TheOtherSailIsNamedWhenTwoPercentFasterAndNoSpeedIsTheNoGoZone)
{
    BoatDescription description;
    std::vector<double> winds { 5, 15 }, angles { 0, 30, 45, 90, 135, 180 };
    description.sails[1] = Polar { winds, angles, { { 0, 0 }, { 0, 0 }, { 0, 0 }, { 6, 8 }, { 50, 50 }, { 4, 5 } } };
    description.sails[2] = Polar { winds, angles, { { 0, 0 }, { 0, 0 }, { 1, 1 }, { 2, 3 }, { 51, 50.9 }, { 9, 11 } } };
    const std::tuple<int, double, double, const char*, bool> cases[] = { { 1, 90, 5, "", false },
        { 1, 180, 30, "Spinnaker faster: 11.0 kn", false }, { 2, 270, 0, "Jib faster: 6.0 kn", false },
        { 1, 135, 5, "Spinnaker faster: 51.0 kn", false }, { 1, 135, 15, "", false }, { 1, 20, 10, "", true },
        { 1, 45, 10, "Spinnaker faster: 1.0 kn", true }, { 2, 45, 10, "", false }, { 3, 20, 10, "", false } };
    for (auto [sail, heading, windSpeed, faster, noGo] : cases) {
        BoatRecord boat;
        std::tie(boat.boat, boat.sail, boat.heading, boat.windSpeed) = std::tuple(&description, sail, heading, windSpeed);
        SailAdvice advice = adviseSail(boat);
        EXPECT_EQ(std::pair(advice.faster, advice.noGo), std::pair(std::string(faster), noGo)) << sail << " " << heading;
    }
    BoatRecord without;
    without.sail = 1;
    EXPECT_EQ(std::pair(adviseSail(without).faster, adviseSail(without).noGo), std::pair(std::string(), false));
}

// The command's line, the faster sail and the no-go zone each take their row, centred; a new
// command line asks for a frame until it is drawn.
TEST(ControlNotes, EachNoteTakesItsRowCentredAndANewCommandLineAsksForAFrame)
{
    BoatDescription description;
    description.sails[1] = Polar { { 5, 15 }, { 0, 45 }, { { 0, 0 }, { 0, 0 } } };
    description.sails[2] = Polar { { 5, 15 }, { 0, 45 }, { { 0, 0 }, { 1, 1 } } };
    BoatRecord boat;
    std::tie(boat.boat, boat.sail, boat.heading, boat.windSpeed) = std::tuple(&description, 1, 45.0, 10.0);
    RaceEntry race;
    ControlNotes notes(0, 0, 400, &boat, &race);
    RecordingFont font;
    notes.font = &font;
    race.command.submitted(-1, 45.0, steadySeconds());
    EXPECT_TRUE(notes.isAnimating());
    notes.draw(nullptr, 100, 50);
    EXPECT_FALSE(notes.isAnimating());
    std::vector<std::tuple<int, int, std::string>> drawn;
    for (const RecordingFont::Drawn& text : font.drawn)
        drawn.emplace_back(text.x, text.y, text.text);
    EXPECT_EQ(drawn, (std::vector<std::tuple<int, int, std::string>> { { 185, 50, "Not sent: no connection" }, { 180, 70, "Spinnaker faster: 1.0 kn" }, { 250, 90, "No-go zone" } }));
}

}
