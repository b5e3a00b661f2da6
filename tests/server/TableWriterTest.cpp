#include "server/TableWriter.h"

#include "table/Exception.h"
#include "table/Table.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <tuple>

using server::TableWriter;

namespace {

struct TextCase {
    std::string written;
    std::string read;
};

TEST(TableWriterTest, StringsSurviveTheClientsParser)
{
    const TextCase cases[] = { { "", "" }, { "say \"hello\"", "say \"hello\"" }, { "it's", "it's" }, { "back\\slash\\", "back\\slash\\" },
        { "two\nlines\r\tand tab", "two lines  and tab" }, { "Zürich – Kiel", "Zürich – Kiel" },
        { "a = 1, b = {2}; # not a remark /* nor this */", "a = 1, b = {2}; # not a remark /* nor this */" } };
    for (const TextCase& c : cases) {
        SCOPED_TRACE(c.written);
        TableWriter out;
        out.field("text", c.written);
        Table table = parseTable(out.text());
        EXPECT_EQ(getString(table, "text", "absent"), c.read);
    }
}

struct NumberCase {
    double written;
    double read;
};

TEST(TableWriterTest, DoublesAreReadBackAsDoublesWithNineDecimals)
{
    const NumberCase cases[] = { { -0.0, 0.0 }, { 90.0, 90.0 }, { -61.123456789, -61.123456789 }, { 1.0 / 3.0, 0.333333333 },
        { -1e-12, 0.0 }, { 123456789.5, 123456789.5 }, { std::numeric_limits<double>::quiet_NaN(), 0.0 },
        { std::numeric_limits<double>::infinity(), 0.0 } };
    for (const NumberCase& c : cases) {
        SCOPED_TRACE(c.written);
        TableWriter out;
        out.field("x", c.written);
        Table table = parseTable(out.text());
        auto entry = table.find("x");
        ASSERT_NE(entry, table.end());
        EXPECT_EQ(entry->second->type(), DoubleType);
        EXPECT_DOUBLE_EQ(getDouble(table, "x"), c.read);
    }
}

TEST(TableWriterTest, NestedTablesAndElementsKeepTheirShapeAndOrder)
{
    TableWriter out;
    out.field("count", 3).field("flag", true).field("big", int64_t { 4000000000 } / 2);
    out.key("rows").open();
    for (int row = 0; row < 12; ++row) {
        out.open();
        for (int column = 0; column <= row % 3; ++column)
            out.value(row * 10.0 + column);
        out.close();
    }
    out.close();
    out.key("empty").open().close();

    Table table = parseTable(out.text());
    EXPECT_EQ(std::tuple(getInt(table, "count"), getInt(table, "flag"), getLong(table, "big")), std::tuple(3, 1, 2000000000));
    const Table* rows = getTable(table, "rows");
    ASSERT_NE(rows, nullptr);
    ASSERT_EQ(rows->size(), 12u);
    for (int row = 0; row < 12; ++row) {
        const Table* cells = getTable(*rows, std::to_string(row));
        ASSERT_NE(cells, nullptr);
        ASSERT_EQ(cells->size(), static_cast<size_t>(row % 3 + 1));
        for (int column = 0; column <= row % 3; ++column)
            EXPECT_EQ(getDouble(*cells, std::to_string(column)), row * 10.0 + column);
    }
    ASSERT_TRUE(getTable(table, "empty") && getTable(table, "empty")->empty());
}

} // namespace
