#include "server/TableWriter.h"

#include "table/Table.h"

#include <gtest/gtest.h>

#include <limits>

using server::TableWriter;

namespace {

// Strings keep every byte but line breaks and tabs, which become blanks; doubles come back
// as doubles with nine decimals, and what is not a number as 0.
TEST(TableWriterTest, StringsAndDoublesSurviveTheClientsParser)
{
    const std::pair<std::string, std::string> texts[] = { { "", "" }, { "say \"hello\"", "say \"hello\"" }, { "it's", "it's" },
        { "back\\slash\\", "back\\slash\\" }, { "two\nlines\r\tand tab", "two lines  and tab" }, { "Zürich – Kiel", "Zürich – Kiel" },
        { "a = 1, b = {2}; # not a remark /* nor this */", "a = 1, b = {2}; # not a remark /* nor this */" } };
    for (const auto& [written, read] : texts)
        EXPECT_EQ(getString(parseTable(TableWriter().field("text", written).text()), "text", "absent"), read) << written;
    const std::pair<double, double> numbers[] = { { -0.0, 0.0 }, { 90.0, 90.0 }, { -61.123456789, -61.123456789 }, { 1.0 / 3.0, 0.333333333 },
        { -1e-12, 0.0 }, { 123456789.5, 123456789.5 }, { std::numeric_limits<double>::quiet_NaN(), 0.0 }, { std::numeric_limits<double>::infinity(), 0.0 } };
    for (auto [written, read] : numbers) {
        Table table = parseTable(TableWriter().field("x", written).text());
        ASSERT_NE(table.find("x"), table.end()) << written;
        EXPECT_EQ(std::pair(table.find("x")->second->type(), getDouble(table, "x")), std::pair(DoubleType, read)) << written;
    }
}

} // namespace
