#include "table/Value.h"

#include "table/Exception.h"
#include "table/Table.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <sstream>

namespace {

constexpr int32_t minInt = std::numeric_limits<int32_t>::min();
constexpr int32_t maxInt = std::numeric_limits<int32_t>::max();

// Reads the whole text when it is a plain in-range number, the common case of an answer's
// numbers: from_chars is several times faster than strtol and strtod. Whatever it takes,
// they read the same way. Everything else is left to them: a leading "+", leading blanks,
// numbers out of range.
template <typename Number>
bool readPlainNumber(const std::string& text, Number& value)
{
    const char* end = text.data() + text.size();
    auto [stop, error] = std::from_chars(text.data(), end, value);
    return error == std::errc() && stop == end;
}

// Reads the whole text as a base-10 integer by strtol rules; numbers beyond the 32-bit
// range take the nearest limit rather than failing.
int32_t parseWholeInteger(const std::string& text, const char* kind)
{
    long value = 0;
    if (!readPlainNumber(text, value)) {
        const char* begin = text.c_str();
        char* end = nullptr;
        value = std::strtol(begin, &end, 10);
        if (text.empty() || end != begin + text.size())
            throw Exception(std::string("Invalid ") + kind + " '" + text + "'");
    }
    if (value < minInt)
        return minInt;
    if (value > maxInt)
        return maxInt;
    return static_cast<int32_t>(value);
}

template <typename Number>
std::string numberText(Number value, const char* kind)
{
    std::ostringstream stream;
    stream << value;
    if (!stream)
        throw Exception(std::string("Can't convert ") + kind + " to string");
    return stream.str();
}

} // namespace

int32_t truncateToInt(double value)
{
    if (std::isnan(value))
        return 0;
    if (value <= static_cast<double>(minInt))
        return minInt;
    if (value >= static_cast<double>(maxInt))
        return maxInt;
    return static_cast<int32_t>(value);
}

int32_t parseInteger(const std::string& text)
{
    return parseWholeInteger(text, "integer");
}

int32_t parseLong(const std::string& text)
{
    return parseWholeInteger(text, "long");
}

double parseDouble(const std::string& text)
{
    double plain = 0.0;
    if (readPlainNumber(text, plain))
        return plain;
    const char* begin = text.c_str();
    char* end = nullptr;
    double value = std::strtod(begin, &end);
    if (text.empty() || end != begin + text.size())
        throw Exception("Invalid double '" + text + "'");
    return value;
}

IntValue::IntValue(int32_t value)
    : value(value)
{
}

const Table* IntValue::toTable() const { throw Exception("Can't convert integer to table"); }
ValueType IntValue::type() const { return IntType; }
int32_t IntValue::toInt() const { return value; }
int32_t IntValue::toLong() const { return value; }
double IntValue::toDouble() const { return value; }
std::string IntValue::toString() const { return numberText(value, "int"); }
std::unique_ptr<Value> IntValue::clone() const { return std::make_unique<IntValue>(value); }

DoubleValue::DoubleValue(double value)
    : value(value)
{
}

const Table* DoubleValue::toTable() const { throw Exception("Can't convert double to table"); }
ValueType DoubleValue::type() const { return DoubleType; }
int32_t DoubleValue::toInt() const { return truncateToInt(value); }
int32_t DoubleValue::toLong() const { return truncateToInt(value); }
double DoubleValue::toDouble() const { return value; }
std::string DoubleValue::toString() const { return numberText(value, "double"); }
std::unique_ptr<Value> DoubleValue::clone() const { return std::make_unique<DoubleValue>(value); }

StringValue::StringValue(std::string value)
    : value(std::move(value))
{
}

const Table* StringValue::toTable() const { throw Exception("Can't convert string to table"); }
ValueType StringValue::type() const { return StringType; }
int32_t StringValue::toInt() const { return parseInteger(value); }
int32_t StringValue::toLong() const { return parseLong(value); }
double StringValue::toDouble() const { return parseDouble(value); }
std::string StringValue::toString() const { return value; }
std::unique_ptr<Value> StringValue::clone() const { return std::make_unique<StringValue>(value); }

TableValue::TableValue(std::unique_ptr<Table> table)
    : table(std::move(table))
{
}

const Table* TableValue::toTable() const { return table.get(); }
ValueType TableValue::type() const { return TableType; }
int32_t TableValue::toInt() const { throw Exception("Can't convert table to int"); }
int32_t TableValue::toLong() const { throw Exception("Can't convert table to long"); }
double TableValue::toDouble() const { throw Exception("Can't convert table to double"); }
std::string TableValue::toString() const { throw Exception("Can't convert table to string"); }

std::unique_ptr<Value> TableValue::clone() const
{
    return std::make_unique<TableValue>(table ? std::make_unique<Table>(*table) : nullptr);
}
