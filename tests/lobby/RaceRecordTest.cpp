#include "lobby/RaceRecord.h"
#include "table/Exception.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::string raceTable(int id, const std::string& name)
{
    return "{ id = " + std::to_string(id) + ", name = '" + name + "', sail = 1, lat = 1.5, lon = -2.25 }";
}

TEST(RaceListTest, RacesComeInKeyOrderWithEveryField)
{
    std::string text = "races = {";
    for (int i = 0; i <= 10; ++i)
        text += raceTable(i, "race " + std::to_string(i)) + ",";
    text += "}";
    RaceList races = parseRaceList(text);
    std::vector<int> ids;
    for (const RaceRecord& race : races)
        ids.push_back(race.id);
    EXPECT_EQ(ids, std::vector<int>({ 0, 1, 10, 2, 3, 4, 5, 6, 7, 8, 9 }));
    EXPECT_EQ(races[2].name, "race 10");
    EXPECT_DOUBLE_EQ(races[2].own.lon, -2.25);

    RaceList one = parseRaceList("races = { { id = 7, name = 'Cape', descr = 'Round the cape', image = "
                                 "'http://h/i.jpg', start = 1700000000, active = 1, sail = 2, position = 3, "
                                 "lat = 10.5, lon = 20.25, grounded = 1, heading = 87.5, speed = 6.5, waypoint = 4, "
                                 "finished = 0, windDir = 270, windSpeed = 12.5, nick = Ann } }");
    ASSERT_EQ(one.size(), 1u);
    const RaceRecord& race = one[0];
    EXPECT_EQ(race.descr, "Round the cape");
    EXPECT_EQ(race.image, "http://h/i.jpg");
    EXPECT_EQ(race.start, 1700000000);
    EXPECT_TRUE(race.active && race.own.grounded && !race.own.finished);
    EXPECT_EQ(race.own.sail, 2);
    EXPECT_EQ(race.own.position, 3);
    EXPECT_EQ(race.own.waypoint, 4);
    EXPECT_DOUBLE_EQ(race.own.lat, 10.5);
    EXPECT_DOUBLE_EQ(race.own.heading, 87.5);
    EXPECT_DOUBLE_EQ(race.own.speed, 6.5);
    EXPECT_DOUBLE_EQ(race.own.windSpeed, 12.5);
    EXPECT_DOUBLE_EQ(race.own.windDir, 270);
    EXPECT_EQ(race.own.nick, "Ann");
}

TEST(RaceListTest, MalformedListsKeepTheRacesBeforeTheFault)
{
    testing::internal::CaptureStdout();
    const struct {
        std::string text;
        size_t races;
    } cases[] = {
        { "", 0 },
        { "other = 1", 0 },
        { "races = { 5, 'text', " + raceTable(1, "a") + " }", 1 },
        { "races = { " + raceTable(1, "a") + ", { id = 'x' } }", 1 },
        { "races = { " + raceTable(1, "a") + ", " + raceTable(2, "b") + ", { id = 3", 0 },
    };
    for (const auto& c : cases)
        EXPECT_EQ(parseRaceList(c.text).size(), c.races) << c.text;
    std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_NE(printed.find("Error parsing table Invalid integer 'x'\n"), std::string::npos);
    EXPECT_NE(printed.find("Error parsing table Table started at (1:"), std::string::npos);
}

TEST(RouteTest, WaypointsComeInNumericOrderAndGapsDropTheLastEntries)
{
    std::string points;
    for (int i = 0; i <= 10; ++i)
        points += "{ lat = " + std::to_string(i) + ", lon = 1, hdg = 90, dst = 2.5, type = 2 }, ";
    std::vector<Waypoint> route;
    ASSERT_TRUE(parseRoute("waypoints = { " + points + "}", route));
    ASSERT_EQ(route.size(), 11u);
    for (int i = 0; i <= 10; ++i)
        EXPECT_DOUBLE_EQ(route[size_t(i)].lat, i);
    EXPECT_EQ(route[3].type, 2);
    EXPECT_DOUBLE_EQ(route[3].dst, 2.5);

    testing::internal::CaptureStdout();
    std::vector<Waypoint> gapped;
    // A named entry counts in the size but takes no number, so "2" is looked for in vain.
    ASSERT_TRUE(parseRoute("waypoints = { { lat = 1 }, note = 'x', { lat = 3 } }", gapped));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "missing waypoint table\n");
    ASSERT_EQ(gapped.size(), 2u);
    EXPECT_DOUBLE_EQ(gapped[1].lat, 3);

    std::vector<Waypoint> none;
    EXPECT_FALSE(parseRoute("route = {}", none));
}

TEST(AnswerTextTest, StartTimesInUtc)
{
    EXPECT_EQ(formatStartTime(0), "1970-01-01 00:00");
    EXPECT_EQ(formatStartTime(1700000000), "2023-11-14 22:13");
}

// An answer that fails half-way leaves the route as it was, so the retry does not add the
// whole route after a partial one; a good answer replaces it.
TEST(RouteTest, OnlyAWholeAnswerReplacesTheRoute)
{
    std::vector<Waypoint> route { Waypoint { 5, 6, 0, 0, 1 } };
    EXPECT_THROW(parseRoute("waypoints = { { lat = 1 }, { lat = {} } }", route), Exception);
    ASSERT_EQ(route.size(), 1u);
    EXPECT_DOUBLE_EQ(route[0].lat, 5);
    ASSERT_TRUE(parseRoute("waypoints = { { lat = 1 }, { lat = 2 } }", route));
    ASSERT_EQ(route.size(), 2u);
    EXPECT_DOUBLE_EQ(route[1].lat, 2);
}

}
