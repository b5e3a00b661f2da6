#include "table/Value.h"

#include "table/Exception.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>

namespace {

template <typename Read>
std::string messageOf(Read read)
{
    try {
        read();
    } catch (const Exception& error) {
        return error.message();
    }
    return "(no exception)";
}

// A text is a number when strtod or strtol reads all of it; integers beyond 32 bits take
// the nearest limit, as do doubles, which are truncated toward zero.
TEST(ValueTest, NumbersReadAsTheCLibraryReadsThemAndDoublesTruncateTowardZero)
{
    // The faster path for plain numbers must give the same bits as strtod and strtol,
    // also for the forms it leaves to them.
    std::vector<std::string> texts = { "42", " 7", "\t-13", "+5", "007", "2147483647", "99999999999", "-99999999999", "42abc", "", "7 ",
        "abc", "-", "+", "1.5", "0x10", std::string("1\0002", 3), " 1e3", "-.5", "+3.", ".", "1.5x", "+-5", "-+5", "+inf", "-nan", "1e400",
        "-1e400", "1e-400", "0x1p3", "9223372036854775808", "-9223372036854775809", "-0", "+.5", "4.9e-324", "1.7976931348623157e308" };
    std::mt19937_64 random(2026);
    std::uniform_real_distribution<double> wide(-1e6, 1e6);
    char text[64];
    for (int i = 0; i < 3000; ++i) {
        double value = wide(random);
        for (const char* format : { "%.6f", "%.17g", "%.3e", "%.0f" }) {
            std::snprintf(text, sizeof text, format, value);
            texts.push_back(text);
        }
        std::snprintf(text, sizeof text, "%lld", static_cast<long long>(random()) >> (random() % 64));
        texts.push_back(text);
    }
    for (const std::string& text : texts) {
        const char* end = text.c_str() + text.size();
        char* stop = nullptr;
        double expected = std::strtod(text.c_str(), &stop);
        if (!text.empty() && stop == end) {
            double read = StringValue(text).toDouble();
            EXPECT_EQ(std::memcmp(&read, &expected, sizeof read), 0) << text;
        } else {
            EXPECT_EQ(messageOf([&] { StringValue(text).toDouble(); }), "Invalid double '" + text + "'");
        }
        long whole = std::strtol(text.c_str(), &stop, 10);
        int32_t clamped = static_cast<int32_t>(std::clamp<long>(whole, INT32_MIN, INT32_MAX));
        if (!text.empty() && stop == end)
            EXPECT_EQ(std::pair(StringValue(text).toLong(), StringValue(text).toInt()), std::pair(clamped, clamped)) << text;
        else
            EXPECT_EQ(std::pair(messageOf([&] { StringValue(text).toLong(); }), messageOf([&] { StringValue(text).toInt(); })),
                std::pair("Invalid long '" + text + "'", "Invalid integer '" + text + "'"));
    }
    const std::pair<double, int32_t> cases[] = { { -2.7, -2 }, { 2.9, 2 }, { -0.5, 0 }, { 1e10, INT32_MAX }, { -1e10, INT32_MIN }, { 2147483647.5, INT32_MAX },
        { -2147483648.5, INT32_MIN }, { std::nan(""), 0 }, { std::numeric_limits<double>::infinity(), INT32_MAX } };
    for (auto [value, expected] : cases)
        EXPECT_EQ(std::pair(DoubleValue(value).toInt(), DoubleValue(value).toLong()), std::pair(expected, expected)) << value;
}

} // namespace
