#include "table/Exception.h"
#include "table/Table.h"
#include "table/Value.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int32_t maxInt = std::numeric_limits<int32_t>::max();
constexpr int32_t minInt = std::numeric_limits<int32_t>::min();

std::string messageOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const Exception& error) {
        return error.message();
    }
    return "(no exception)";
}

TEST(ValueTest, StringToIntegerConversions)
{
    struct Case {
        const char* text;
        int32_t expected;
    };
    const Case cases[] = {
        {"42", 42}, {" 7", 7}, {"\t-13", -13}, {"+5", 5}, {"007", 7},
        {"99999999999", maxInt}, {"-99999999999", minInt}, {"2147483647", maxInt},
    };
    for (const auto& c : cases) {
        StringValue value(c.text);
        EXPECT_EQ(value.toInt(), c.expected) << c.text;
        EXPECT_EQ(value.toLong(), c.expected) << c.text;
    }
}

TEST(ValueTest, StringToIntegerFailuresNameTheText)
{
    const std::string texts[] = {"42abc", "", "7 ", "abc", "-", "1.5", "0x10", std::string("1\0" "2", 3)};
    for (const std::string& text : texts) {
        StringValue value(text);
        EXPECT_EQ(messageOf([&] { value.toInt(); }), "Invalid integer '" + text + "'");
        EXPECT_EQ(messageOf([&] { value.toLong(); }), "Invalid long '" + text + "'");
    }
}

TEST(ValueTest, StringToDoubleConversions)
{
    struct Case {
        const char* text;
        double expected;
    };
    const Case cases[] = {{"42", 42.0}, {"2.5", 2.5}, {" 1e3", 1000.0}, {"-.5", -0.5}, {"+3.", 3.0}};
    for (const auto& c : cases)
        EXPECT_EQ(StringValue(c.text).toDouble(), c.expected) << c.text;
    for (std::string text : {"", "1.5x", "2.5 ", "."})
        EXPECT_EQ(messageOf([&] { StringValue(text).toDouble(); }), "Invalid double '" + text + "'");
}

TEST(ValueTest, NumbersReadAsTheCLibraryReadsThem)
{
    // Plain numbers take a faster path than strtod and strtol; both must give the same
    // bits, also for the forms the faster path leaves to them.
    std::vector<std::string> texts = {"+-5", "-+5", "+inf", "-nan", "1e400", "-1e400", "1e-400", "0x1p3",
        "9223372036854775808", "-9223372036854775809", "-0", "+.5", "4.9e-324", "1.7976931348623157e308"};
    std::mt19937_64 random(2026);
    std::uniform_real_distribution<double> wide(-1e6, 1e6);
    char text[64];
    for (int i = 0; i < 3000; ++i) {
        double value = wide(random);
        for (const char* format : {"%.6f", "%.17g", "%.3e", "%.0f"}) {
            std::snprintf(text, sizeof text, format, value);
            texts.push_back(text);
        }
        std::snprintf(text, sizeof text, "%lld", static_cast<long long>(random()) >> (random() % 64));
        texts.push_back(text);
    }
    for (const std::string& text : texts) {
        char* end = nullptr;
        double expected = std::strtod(text.c_str(), &end);
        if (end == text.c_str() + text.size()) {
            double read = parseDouble(text);
            EXPECT_EQ(std::memcmp(&read, &expected, sizeof read), 0) << text;
        } else {
            EXPECT_EQ(messageOf([&] { parseDouble(text); }), "Invalid double '" + text + "'");
        }
        long whole = std::strtol(text.c_str(), &end, 10);
        if (end == text.c_str() + text.size()) {
            int32_t clamped = static_cast<int32_t>(std::clamp<long>(whole, minInt, maxInt));
            EXPECT_EQ(parseLong(text), clamped) << text;
        } else {
            EXPECT_EQ(messageOf([&] { parseLong(text); }), "Invalid long '" + text + "'");
        }
    }
}

TEST(ValueTest, DoubleTruncatesTowardZeroAndClampsToInt32)
{
    struct Case {
        double value;
        int32_t expected;
    };
    const Case cases[] = {
        {-2.7, -2}, {2.9, 2}, {-0.5, 0}, {1e10, maxInt}, {-1e10, minInt},
        {2147483647.5, maxInt}, {-2147483648.5, minInt}, {std::nan(""), 0},
        {std::numeric_limits<double>::infinity(), maxInt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DoubleValue(c.value).toInt(), c.expected) << c.value;
        EXPECT_EQ(DoubleValue(c.value).toLong(), c.expected) << c.value;
    }
}

TEST(ValueTest, NumbersPrintLikeADefaultStream)
{
    struct Case {
        double value;
        const char* text;
    };
    const Case cases[] = {
        {-2.7, "-2.7"}, {0.5, "0.5"}, {3.0, "3"}, {2.0 / 3.0, "0.666667"},
        {1e20, "1e+20"}, {123456789.0, "1.23457e+08"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DoubleValue(c.value).toString(), c.text);
    EXPECT_EQ(IntValue(-42).toString(), "-42");
    EXPECT_EQ(IntValue(minInt).toString(), "-2147483648");
    EXPECT_EQ(IntValue(42).toDouble(), 42.0);
}

TEST(ValueTest, ImpossibleConversionsRaiseExactMessages)
{
    IntValue integer(1);
    DoubleValue real(1.5);
    StringValue text("t");
    TableValue table(std::make_unique<Table>());
    struct Case {
        std::function<void()> action;
        const char* message;
    };
    const Case cases[] = {
        {[&] { integer.toTable(); }, "Can't convert integer to table"},
        {[&] { real.toTable(); }, "Can't convert double to table"},
        {[&] { text.toTable(); }, "Can't convert string to table"},
        {[&] { table.toInt(); }, "Can't convert table to int"},
        {[&] { table.toLong(); }, "Can't convert table to long"},
        {[&] { table.toDouble(); }, "Can't convert table to double"},
        {[&] { table.toString(); }, "Can't convert table to string"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(messageOf(c.action), c.message);
    EXPECT_EQ(integer.type(), IntType);
    EXPECT_EQ(real.type(), DoubleType);
    EXPECT_EQ(text.type(), StringType);
    EXPECT_EQ(table.type(), TableType);
}

TEST(ValueTest, CloneOfATableIsADeepCopy)
{
    auto inner = std::make_unique<Table>();
    inner->set("name", std::make_unique<StringValue>("Aster"));
    auto outer = std::make_unique<Table>();
    outer->set("boat", std::make_unique<TableValue>(std::move(inner)));
    outer->set("0", std::make_unique<DoubleValue>(1.5));
    outer->nextIndex = 5;
    auto source = std::make_unique<TableValue>(std::move(outer));

    std::unique_ptr<Value> copy = source->clone();
    const Table* sourceBoat = getTable(*source->toTable(), "boat");
    source.reset();

    const Table& copied = *copy->toTable();
    EXPECT_EQ(copied.nextIndex, 5);
    EXPECT_EQ(getDouble(copied, "0"), 1.5);
    const Table* boat = getTable(copied, "boat");
    ASSERT_NE(boat, nullptr);
    EXPECT_NE(boat, sourceBoat);
    EXPECT_EQ(getString(*boat, "name", ""), "Aster");
}

} // namespace
