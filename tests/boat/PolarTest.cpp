#include "boat/BoatDescription.h"
#include "boat/Polar.h"
#include "table/Exception.h"
#include "table/Table.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

namespace {

const double nan = std::numeric_limits<double>::quiet_NaN();
const char* smallPolarText = "winds = {6, 12}, angles = {45, 90}, values = {{4, 6}, {5, 8}}";

Polar smallPolar()
{
    return Polar{{6, 12}, {45, 90}, {{4, 6}, {5, 8}}};
}

// Every value distinct and the grid uneven, so that a swapped index or axis shows.
Polar unevenPolar()
{
    return Polar{{5, 10, 20}, {30, 60, 120}, {{1, 2, 4}, {3, 5, 9}, {6, 7, 8}}};
}

struct SpeedCase {
    Polar polar;
    double angle, wind, expected;
};

TEST(PolarSpeed, InterpolatesInsideAndHoldsTheEdges)
{
    const SpeedCase cases[] = {
        {smallPolar(), 67.5, 9, 5.75},   {smallPolar(), 90, 20, 8},       {smallPolar(), 30, 3, 4},
        {smallPolar(), 45, 12, 6},       {smallPolar(), 90, 6, 5},        {smallPolar(), 67.5, 12, 7},
        {smallPolar(), 315, 9, 5},       {smallPolar(), -90, 9, 6.5},     {smallPolar(), 200, 12, 8},
        {smallPolar(), -30, 3, 4},       {smallPolar(), nan, nan, 8},     {smallPolar(), 45, nan, 6},
        {unevenPolar(), 90, 15, 7.25},   {unevenPolar(), 45, 7.5, 2.75},  {unevenPolar(), 40, 20, 4 + 5.0 / 3},
        {unevenPolar(), 130, 2, 6},      {unevenPolar(), 60, 10, 5},      {unevenPolar(), 60, 30, 9},
    };
    for (const SpeedCase& c : cases)
        EXPECT_DOUBLE_EQ(c.expected, polarSpeed(c.polar, c.angle, c.wind)) << c.angle << " " << c.wind;
}

TEST(PolarSpeed, UnusablePolarsGiveZeroWithoutReadingOutsideTheArrays)
{
    const Polar polars[] = {
        Polar{},
        Polar{{6, 12}, {}, {}},
        Polar{{}, {45, 90}, {{}, {}}},
        Polar{{6, 12}, {45, 90}, {{4, 6}}},
        Polar{{6, 12}, {45, 90}, {{4, 6}, {5}}},
        Polar{{6, 12}, {45, 90}, {{4, 6}, {5, 8, 9}}},
        Polar{{6, 12}, {45}, {{4, 6}, {5, 8}}},
    };
    const double queries[][2] = {{67.5, 9}, {0, 0}, {180, 100}, {nan, nan}, {1e300, -1e300}};
    for (const Polar& polar : polars) {
        for (const auto& q : queries)
            EXPECT_EQ(0.0, polarSpeed(polar, q[0], q[1])) << polar.winds.size() << " winds, angle " << q[0];
    }
}

struct ParseCase {
    const char* text;
    const char* messages;
    std::vector<double> winds, angles;
    std::vector<std::vector<double>> values;
};

TEST(ParsePolar, ReadsPartsAndReportsWhatIsMissing)
{
#define AXES "winds = {6, 12}, angles = {45, 90}, "
    const ParseCase cases[] = {
        {smallPolarText, "", {6, 12}, {45, 90}, {{4, 6}, {5, 8}}},
        {"winds = {6.5, 12}, angles = {45.25}, values = {{4, 6.125}}", "", {6.5, 12}, {45.25}, {{4, 6.125}}},
        {"angles = {45, 90}, values = {{4, 6}, {5, 8}}", "winds not found\ninvalid row size\ninvalid row size\n",
         {}, {45, 90}, {}},
        {"winds = {6, 12}, values = {{4, 6}}", "angles not found\nInvalid values size\n", {6, 12}, {}, {}},
        {"", "winds not found\nangles not found\nvalues not found\n", {}, {}, {}},
        {"values = {{4, 6}}", "winds not found\nangles not found\nInvalid values size\n", {}, {}, {}},
        {AXES, "values not found\n", {6, 12}, {45, 90}, {}},
        {AXES "values = {{4, 6}}", "Invalid values size\n", {6, 12}, {45, 90}, {}},
        {AXES "values = {{4, 6}, {5, 8}, {1, 2}}", "Invalid values size\n", {6, 12}, {45, 90}, {}},
        {AXES "values = {{4}, {5, 8}}", "invalid row size\n", {6, 12}, {45, 90}, {{5, 8}}},
        {AXES "values = {{4, 6}, {5, 8, 9}}", "invalid row size\n", {6, 12}, {45, 90}, {{4, 6}}},
        {AXES "values = {a = {4, 6}, b = {5, 8}}", "values row not found\nvalues row not found\n", {6, 12},
         {45, 90}, {}},
    };
#undef AXES
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

std::string sail(int number, const char* polarText)
{
    return "{id = " + std::to_string(number) + ", polar = {" + polarText + "}}";
}

TEST(ParseBoatDescription, ReadsOnePolarPerSailAndTheLaterSameNumberWins)
{
    std::string text = "id = 7, name = 'Mini 650', sails = {" + sail(2, "winds = {10}, angles = {90}, values = {{3}}")
                       + ", " + sail(1, smallPolarText) + ", " + sail(2, "winds = {10}, angles = {90}, values = {{9}}")
                       + "}";
    BoatDescription boat = parseBoatDescription(text);
    EXPECT_EQ("7", boat.id);
    EXPECT_EQ("Mini 650", boat.name);
    ASSERT_EQ(2u, boat.sails.size());
    EXPECT_EQ((std::vector<std::vector<double>>{{4, 6}, {5, 8}}), boat.sails.at(1).values);
    EXPECT_EQ((std::vector<std::vector<double>>{{9}}), boat.sails.at(2).values);
}

TEST(ParseBoatDescription, SailsWithoutPolarsPredictNothing)
{
    struct Case {
        const char* text;
        std::vector<int32_t> sailNumbers;
    };
    const Case cases[] = {
        {"", {}},
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

TEST(ParseBoatDescription, MalformedTextOrWrongKindsThrow)
{
    const char* texts[] = {
        "id = {",
        "sails = 5",
        "sails = {5}",
        "sails = {{id = {1}}}",
        "sails = {{id = 1, polar = 3}}",
        "sails = {{id = 1, polar = {winds = 6}}}",
        "sails = {{id = 1, polar = {winds = {six}}}}",
        "sails = {{id = 1, polar = {winds = {6}, angles = {45}, values = {4}}}}",
    };
    for (const char* text : texts) {
        testing::internal::CaptureStdout();
        EXPECT_THROW(parseBoatDescription(text), Exception) << text;
        testing::internal::GetCapturedStdout();
    }
}

TEST(BoatSpeed, FoldsTheWindAngleAndPicksTheSail)
{
    BoatDescription boat;
    boat.sails[1] = smallPolar();
    boat.sails[2] = unevenPolar();
    struct Case {
        int32_t sail;
        double heading, windDir, windSpeed, expected;
    };
    const Case cases[] = {
        {1, 90, 0, 9, 6.5},    {1, 270, 0, 9, 6.5},     {1, 45, 0, 12, 6},      {1, 0, 360, 6, 4},
        {1, 350, 57.5, 9, 5.75}, {2, 180, 90, 15, 7.25}, {2, 10, 55, 7.5, 2.75}, {3, 0, 90, 10, 0},
        {0, 0, 90, 10, 0},
    };
    for (const Case& c : cases) {
        EXPECT_DOUBLE_EQ(c.expected, boatSpeed(boat, c.sail, c.heading, c.windDir, c.windSpeed))
            << "sail " << c.sail << " heading " << c.heading << " wind from " << c.windDir;
    }
}

} // namespace
