#include "boat/BoatDescription.h"
#include "boat/PolarParser.h"
#include "table/Exception.h"
#include "table/Table.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const char* smallPolarText = "winds = {6, 12}, angles = {45, 90}, values = {{4, 6}, {5, 8}}";

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
        {"angles = {45, 90}, values = {{4, 6}, {5, 8}}", "winds not found\ninvalid row size\ninvalid row size\n",
         {}, {45, 90}, {}},
        {"winds = {6, 12}, values = {{4, 6}}", "angles not found\nInvalid values size\n", {6, 12}, {}, {}},
        {AXES, "values not found\n", {6, 12}, {45, 90}, {}},
        {AXES "values = {{4, 6}}", "Invalid values size\n", {6, 12}, {45, 90}, {}},
        {AXES "values = {{4}, {5, 8}}", "invalid row size\n", {6, 12}, {45, 90}, {{5, 8}}},
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

TEST(ParseBoatDescription, ReadsOnePolarPerSailForBoatSpeedAndTheLaterSameNumberWins)
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
    EXPECT_DOUBLE_EQ(6.5, boatSpeed(boat, 1, 90, 0, 9));
    EXPECT_DOUBLE_EQ(9, boatSpeed(boat, 2, 90, 0, 9));
    EXPECT_EQ(0.0, boatSpeed(boat, 3, 90, 0, 9));
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

} // namespace
