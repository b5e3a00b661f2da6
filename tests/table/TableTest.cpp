#include "table/Table.h"

#include "table/Exception.h"

#include <gtest/gtest.h>

#include <array>

namespace {

Table sampleTable()
{
    Table table;
    table.set("count", std::make_unique<IntValue>(42));
    table.set("speed", std::make_unique<DoubleValue>(-2.7));
    table.set("name", std::make_unique<StringValue>("Aster"));
    table.set("number", std::make_unique<StringValue>("17"));
    table.set("nested", std::make_unique<TableValue>(std::make_unique<Table>()));
    table.set("empty", nullptr);
    return table;
}

// What an accessor gave, as text, or the message it raised.
template <typename Read>
std::string outcome(Read read)
{
    try {
        std::ostringstream text;
        text << read();
        return text.str();
    } catch (const Exception& error) {
        return error.message();
    }
}

TEST(TableTest, AccessorsConvertPresentValuesAndDefaultAbsentOnes)
{
    // The key, then what getInt, getLong, getDouble, getString and getTable give.
    const std::array<const char*, 6> cases[] = { { "count", "42", "42", "42", "42", "Can't convert integer to table" }, { "speed", "-2", "-2", "-2.7", "-2.7", "Can't convert double to table" },
        { "number", "17", "17", "17", "17", "Can't convert string to table" },
        { "name", "Invalid integer 'Aster'", "Invalid long 'Aster'", "Invalid double 'Aster'", "Aster", "Can't convert string to table" },
        { "nested", "Can't convert table to int", "Can't convert table to long", "Can't convert table to double", "Can't convert table to string", "table" },
        { "empty", "0", "0", "0", "default", "none" }, { "missing", "0", "0", "0", "default", "none" } };
    Table table = sampleTable();
    for (const auto& c : cases)
        EXPECT_EQ((std::array<std::string, 5> { outcome([&] { return getInt(table, c[0]); }), outcome([&] { return getLong(table, c[0]); }), outcome([&] { return getDouble(table, c[0]); }),
                      outcome([&] { return getString(table, c[0], "default"); }), outcome([&] { return getTable(table, c[0]) ? "table" : "none"; }) }),
            (std::array<std::string, 5> { c[1], c[2], c[3], c[4], c[5] }))
            << c[0];
}

TEST(TableTest, CopiesAreDeepAndIndependent)
{
    Table source = sampleTable();
    source.nextIndex = 3;
    auto inner = std::make_unique<Table>();
    inner->set("name", std::make_unique<StringValue>("Aster"));
    inner->nextIndex = 5;
    source.set("boat", std::make_unique<TableValue>(std::move(inner)));
    Table copy(source);
    Table assigned;
    assigned.set("old", std::make_unique<IntValue>(1));
    assigned = source;
    source = Table();

    for (const Table* table : { &copy, &assigned }) {
        EXPECT_EQ(std::tuple(table->nextIndex, table->size(), getString(*table, "name", ""), find(*table, "empty")->second == nullptr), std::tuple(3, 7u, "Aster", true));
        const Table* boat = getTable(*table, "boat");
        ASSERT_NE(boat, nullptr);
        EXPECT_EQ(std::tuple(boat->nextIndex, getString(*boat, "name", "")), std::tuple(5, "Aster"));
    }
    EXPECT_NE(getTable(copy, "boat"), getTable(assigned, "boat"));
}

} // namespace
