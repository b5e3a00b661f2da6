#include "table/Exception.h"
#include "table/Table.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace {

std::string messageOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const Exception& error) {
        return error.message();
    }
    return "(no exception)";
}

Table sampleTable()
{
    Table table;
    table.set("count", std::make_unique<IntValue>(42));
    table.set("speed", std::make_unique<DoubleValue>(-2.7));
    table.set("name", std::make_unique<StringValue>("Aster"));
    table.set("word", std::make_unique<StringValue>("abc"));
    table.set("number", std::make_unique<StringValue>("17"));
    table.set("nested", std::make_unique<TableValue>(std::make_unique<Table>()));
    table.set("empty", nullptr);
    return table;
}

TEST(TableTest, KeysIterateInByteOrder)
{
    Table table;
    for (int i = 11; i >= 0; --i)
        table.set(std::to_string(i), std::make_unique<IntValue>(i));
    table.set("b", std::make_unique<IntValue>(0));
    table.set("B", std::make_unique<IntValue>(0));
    table.set("\xc3\xa9", std::make_unique<IntValue>(0));
    std::vector<std::string> keys;
    for (const auto& entry : table)
        keys.push_back(entry.first);
    const std::vector<std::string> expected = {
        "0", "1", "10", "11", "2", "3", "4", "5", "6", "7", "8", "9", "B", "b", "\xc3\xa9"};
    EXPECT_EQ(keys, expected);
}

TEST(TableTest, SettingAnExistingKeyReplacesItsValue)
{
    Table table;
    table.set("a", std::make_unique<IntValue>(1));
    table.set("a", std::make_unique<StringValue>("two"));
    EXPECT_EQ(table.size(), 1u);
    EXPECT_EQ(getString(table, "a", ""), "two");
}

TEST(TableTest, AccessorsReadAndConvertPresentFields)
{
    Table table = sampleTable();
    EXPECT_EQ(getInt(table, "count"), 42);
    EXPECT_EQ(getLong(table, "count"), 42);
    EXPECT_EQ(getDouble(table, "count"), 42.0);
    EXPECT_EQ(getString(table, "count", "x"), "42");
    EXPECT_EQ(getInt(table, "speed"), -2);
    EXPECT_EQ(getString(table, "speed", ""), "-2.7");
    EXPECT_EQ(getInt(table, "number"), 17);
    EXPECT_EQ(getDouble(table, "number"), 17.0);
    EXPECT_EQ(getString(table, "name", ""), "Aster");
    EXPECT_EQ(getTable(table, "nested"), table.find("nested")->second->toTable());
    EXPECT_EQ(find(table, "name")->first, "name");
}

TEST(TableTest, AbsentOrEmptyFieldsGiveDefaults)
{
    Table table = sampleTable();
    for (const char* key : {"missing", "empty"}) {
        EXPECT_EQ(getInt(table, key), 0);
        EXPECT_EQ(getLong(table, key), 0);
        EXPECT_EQ(getDouble(table, key), 0.0);
        EXPECT_EQ(getString(table, key, "fallback"), "fallback");
        EXPECT_EQ(getTable(table, key), nullptr);
    }
    EXPECT_EQ(find(table, "missing"), table.end());
}

TEST(TableTest, WrongKindsRaiseTheConversionMessage)
{
    Table table = sampleTable();
    struct Case {
        std::function<void()> action;
        const char* message;
    };
    const Case cases[] = {
        {[&] { getInt(table, "nested"); }, "Can't convert table to int"},
        {[&] { getLong(table, "nested"); }, "Can't convert table to long"},
        {[&] { getDouble(table, "nested"); }, "Can't convert table to double"},
        {[&] { getString(table, "nested", ""); }, "Can't convert table to string"},
        {[&] { getInt(table, "word"); }, "Invalid integer 'abc'"},
        {[&] { getLong(table, "word"); }, "Invalid long 'abc'"},
        {[&] { getDouble(table, "word"); }, "Invalid double 'abc'"},
        {[&] { getTable(table, "count"); }, "Can't convert integer to table"},
        {[&] { getTable(table, "speed"); }, "Can't convert double to table"},
        {[&] { getTable(table, "name"); }, "Can't convert string to table"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(messageOf(c.action), c.message);
}

TEST(TableTest, CopiesAreIndependent)
{
    Table source = sampleTable();
    source.nextIndex = 3;
    Table copy(source);
    Table assigned;
    assigned.set("old", std::make_unique<IntValue>(1));
    assigned = source;
    source.set("name", std::make_unique<StringValue>("changed"));
    source = Table();

    for (const Table* table : {&copy, &assigned}) {
        EXPECT_EQ(table->nextIndex, 3);
        EXPECT_EQ(table->size(), 7u);
        EXPECT_EQ(getString(*table, "name", ""), "Aster");
        EXPECT_EQ(getTable(*table, "empty"), nullptr);
        EXPECT_NE(getTable(*table, "nested"), nullptr);
    }
    EXPECT_NE(getTable(copy, "nested"), getTable(assigned, "nested"));
}

} // namespace
