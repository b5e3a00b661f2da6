#include "boat/BoatDescription.h"
#include "boat/Polar.h"
#include "table/Exception.h"
#include "table/Table.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace {

// Winds (6, 12), angles (45, 90).
Polar smallPolar()
{
    return Polar{{6, 12}, {45, 90}, {{4, 6}, {5, 8}}};
}

// Every value distinct and the grid uneven, so that a swapped index or axis shows.
Polar unevenPolar()
{
    return Polar{{5, 10, 20}, {30, 60, 120}, {{1, 2, 4}, {3, 5, 9}, {6, 7, 8}}};
}

const char* smallPolarText = "winds = {6, 12}, angles = {45, 90}, values = {{4, 6}, {5, 8}}";

struct SpeedCase {
    double angle;
    double wind;
    double expected;
};

TEST(PolarSpeed, InterpolatesAndHoldsEdgesOfTheSmallPolar)
{
    const SpeedCase cases[] = {
        {67.5, 9, 5.75},
        {90, 20, 8},
        {30, 3, 4},
        {45, 6, 4},
        {45, 12, 6},
        {90, 6, 5},
        {90, 12, 8},
        {67.5, 6, 4.5},
        {67.5, 12, 7},
        {45, 9, 5},
        {0, 0, 4},
        {180, 100, 8},
        {315, 9, 5},      // folded to 45
        {-90, 9, 6.5},    // folded to 90
        {200, 12, 8},     // folded to 160, above the last angle
        {270, 6, 5},      // folded to 90
        {-30, 3, 4},      // folded to 30, below the first angle
    };
    for (const SpeedCase& c : cases)
        EXPECT_DOUBLE_EQ(c.expected, polarSpeed(smallPolar(), c.angle, c.wind)) << c.angle << " " << c.wind;
}

TEST(PolarSpeed, UsesRowsByAngleAndColumnsByWind)
{
    const SpeedCase cases[] = {
        {90, 15, 7.25},
        {45, 7.5, 2.75},
        {40, 20, 4 + 5.0 / 3},
        {130, 2, 6},
        {20, 25, 4},
        {60, 10, 5},
        {120, 5, 6},
        {60, 30, 9},
    };
    for (const SpeedCase& c : cases)
        EXPECT_DOUBLE_EQ(c.expected, polarSpeed(unevenPolar(), c.angle, c.wind)) << c.angle << " " << c.wind;
}

TEST(PolarSpeed, UnusablePolarsGiveZeroWithoutReadingOutsideTheArrays)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const std::vector<Polar> polars = {
        Polar{},
        Polar{{6, 12}, {}, {}},
        Polar{{}, {45, 90}, {}},
        Polar{{6, 12}, {45, 90}, {}},
        Polar{{6, 12}, {45, 90}, {{4, 6}}},
        Polar{{6, 12}, {45, 90}, {{4, 6}, {5}}},
        Polar{{6, 12}, {45, 90}, {{4, 6}, {5, 8, 9}}},
        Polar{{6, 12}, {45}, {{4, 6}, {5, 8}}},
        Polar{{}, {45, 90}, {{}, {}}},
    };
    const SpeedCase queries[] = {{67.5, 9, 0}, {0, 0, 0}, {180, 100, 0}, {nan, nan, 0}, {1e300, -1e300, 0}};
    for (size_t p = 0; p < polars.size(); ++p) {
        for (const SpeedCase& q : queries)
            EXPECT_EQ(0.0, polarSpeed(polars[p], q.angle, q.wind)) << "polar " << p << " angle " << q.angle;
    }
}

TEST(PolarSpeed, NotANumberLandsOnTheLastEdge)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(8.0, polarSpeed(smallPolar(), nan, nan));
    EXPECT_EQ(6.0, polarSpeed(smallPolar(), 45, nan));
}

struct ParseCase {
    const char* text;
    const char* messages;
    std::vector<double> winds;
    std::vector<double> angles;
    std::vector<std::vector<double>> values;
};

TEST(ParsePolar, ReadsPartsAndReportsWhatIsMissing)
{
    const ParseCase cases[] = {
        {smallPolarText, "", {6, 12}, {45, 90}, {{4, 6}, {5, 8}}},
        {"winds = {6.5, 12}, angles = {45.25}, values = {{4, 6.125}}", "", {6.5, 12}, {45.25}, {{4, 6.125}}},
        {"angles = {45, 90}, values = {{4, 6}, {5, 8}}", "winds not found\ninvalid row size\ninvalid row size\n",
         {}, {45, 90}, {}},
        {"winds = {6, 12}, values = {{4, 6}}", "angles not found\nInvalid values size\n", {6, 12}, {}, {}},
        {"winds = {6, 12}, angles = {45, 90}", "values not found\n", {6, 12}, {45, 90}, {}},
        {"", "winds not found\nangles not found\nvalues not found\n", {}, {}, {}},
        {"winds = {6, 12}, angles = {45, 90}, values = {{4, 6}}", "Invalid values size\n", {6, 12}, {45, 90}, {}},
        {"winds = {6, 12}, angles = {45, 90}, values = {{4, 6}, {5, 8}, {1, 2}}", "Invalid values size\n",
         {6, 12}, {45, 90}, {}},
        {"winds = {6, 12}, angles = {45, 90}, values = {{4}, {5, 8}}", "invalid row size\n", {6, 12}, {45, 90},
         {{5, 8}}},
        {"winds = {6, 12}, angles = {45, 90}, values = {{4, 6}, {5, 8, 9}}", "invalid row size\n", {6, 12},
         {45, 90}, {{4, 6}}},
        {"winds = {6, 12}, angles = {45, 90}, values = {a = {4, 6}, b = {5, 8}}",
         "values row not found\nvalues row not found\n", {6, 12}, {45, 90}, {}},
        // Keyed entries count towards the size but are read by position only.
        {"winds = {6, x = 3}, angles = {45}, values = {{4, 6}}", "", {6, 0}, {45}, {{4, 6}}},
    };
    for (const ParseCase& c : cases) {
        Table table = parseTable(c.text);
        testing::internal::CaptureStdout();
        Polar polar = parsePolar(table);
        EXPECT_EQ(c.messages, testing::internal::GetCapturedStdout()) << c.text;
        EXPECT_EQ(c.winds, polar.winds) << c.text;
        EXPECT_EQ(c.angles, polar.angles) << c.text;
        EXPECT_EQ(c.values, polar.values) << c.text;
    }
}

TEST(ParsePolar, PartsOfTheWrongKindThrow)
{
    const char* texts[] = {
        "winds = 6, angles = {45}, values = {{4}}",
        "winds = {6}, angles = 'none', values = {{4}}",
        "winds = {6}, angles = {45}, values = 4.5",
        "winds = {6}, angles = {45}, values = {4}",
        "winds = {{6}}, angles = {45}, values = {{4}}",
        "winds = {six}, angles = {45}, values = {{4}}",
        "winds = {6}, angles = {45}, values = {{{4}}}",
    };
    for (const char* text : texts) {
        Table table = parseTable(text);
        testing::internal::CaptureStdout();
        EXPECT_THROW(parsePolar(table), Exception) << text;
        testing::internal::GetCapturedStdout();
    }
}

std::string sail(int number, const char* polarText)
{
    return "{id = " + std::to_string(number) + ", polar = {" + polarText + "}}";
}

TEST(ParseBoatDescription, ReadsNameIdAndOnePolarPerSail)
{
    std::string text = "id = 7, name = 'Mini 650', sails = {" + sail(2, "winds = {10}, angles = {90}, values = {{9}}")
                       + ", " + sail(1, smallPolarText) + "}";
    BoatDescription boat = parseBoatDescription(text);
    EXPECT_EQ("7", boat.id);
    EXPECT_EQ("Mini 650", boat.name);
    ASSERT_EQ(2u, boat.sails.size());
    EXPECT_EQ((std::vector<double>{6, 12}), boat.sails.at(1).winds);
    EXPECT_EQ((std::vector<std::vector<double>>{{4, 6}, {5, 8}}), boat.sails.at(1).values);
    EXPECT_EQ((std::vector<double>{90}), boat.sails.at(2).angles);
}

TEST(ParseBoatDescription, LaterSailWithTheSameNumberWins)
{
    std::string text = "sails = {" + sail(1, "winds = {10}, angles = {90}, values = {{3}}") + ", "
                       + sail(1, "winds = {10}, angles = {90}, values = {{9}}") + "}";
    BoatDescription boat = parseBoatDescription(text);
    ASSERT_EQ(1u, boat.sails.size());
    EXPECT_EQ(9.0, boat.sails.at(1).values.at(0).at(0));
}

TEST(ParseBoatDescription, EmptyAndPartialDescriptions)
{
    struct Case {
        const char* text;
        std::vector<int32_t> sailNumbers;
    };
    const Case cases[] = {
        {"", {}},
        {"name = x", {}},
        {"sails = {}", {}},
        {"sails = {{id = 2}}", {2}},
        {"sails = {{polar = {}}}", {0}},
        {"sails = {{id = 1}, {id = 2, polar = {}}}", {1, 2}},
    };
    for (const Case& c : cases) {
        testing::internal::CaptureStdout();
        BoatDescription boat = parseBoatDescription(c.text);
        testing::internal::GetCapturedStdout();
        std::vector<int32_t> numbers;
        for (const auto& entry : boat.sails) {
            numbers.push_back(entry.first);
            EXPECT_EQ(0.0, boatSpeed(boat, entry.first, 0, 90, 10)) << c.text;
        }
        EXPECT_EQ(c.sailNumbers, numbers) << c.text;
    }
}

TEST(ParseBoatDescription, MalformedOrWrongKindThrows)
{
    const char* texts[] = {
        "id = {",
        "name = ",
        "sails = 5",
        "sails = {5}",
        "sails = {'jib'}",
        "sails = {{id = {1}}}",
        "sails = {{id = 1, polar = 3}}",
        "sails = {{id = jib}}",
    };
    for (const char* text : texts)
        EXPECT_THROW(parseBoatDescription(text), Exception) << text;
}

TEST(BoatSpeed, FoldsTheWindAngleAndPicksTheSail)
{
    BoatDescription boat;
    boat.sails[1] = smallPolar();
    boat.sails[2] = unevenPolar();
    struct Case {
        int32_t sail;
        double heading;
        double windDir;
        double windSpeed;
        double expected;
    };
    const Case cases[] = {
        {1, 90, 0, 9, 6.5},
        {1, 270, 0, 9, 6.5},
        {1, 0, 45, 12, 6},
        {1, 45, 0, 12, 6},
        {1, 0, 360, 6, 4},
        {1, 350, 57.5, 9, 5.75},
        {1, 57.5, 350, 9, 5.75},
        {2, 0, 90, 15, 7.25},
        {2, 180, 90, 15, 7.25},
        {2, 10, 55, 7.5, 2.75},
        {3, 0, 90, 10, 0},
        {0, 0, 90, 10, 0},
        {-1, 0, 90, 10, 0},
    };
    for (const Case& c : cases) {
        EXPECT_DOUBLE_EQ(c.expected, boatSpeed(boat, c.sail, c.heading, c.windDir, c.windSpeed))
            << "sail " << c.sail << " heading " << c.heading << " wind from " << c.windDir;
    }
}

} // namespace
