#pragma once

#include "table/BlockPool.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

class Table;

enum ValueType {
    IntType = 0,
    DoubleType = 1,
    StringType = 2,
    TableType = 3,
};

// One node of a parsed answer. Conversions that cannot be made raise Exception with the
// exact words the server-answer parsers print.
class Value {
public:
    virtual ~Value() = default;

    // An answer holds one value per entry, so values come from the BlockPool.
    static void* operator new(size_t size) { return BlockPool::allocate(size); }
    static void operator delete(void* block, size_t size) noexcept { BlockPool::release(block, size); }

    virtual const Table* toTable() const = 0;
    virtual ValueType type() const = 0;
    virtual int32_t toInt() const = 0;
    virtual int32_t toLong() const = 0;
    virtual double toDouble() const = 0;
    virtual std::string toString() const = 0;
    virtual std::unique_ptr<Value> clone() const = 0;
};

class IntValue : public Value {
public:
    explicit IntValue(int32_t value);
    const Table* toTable() const override;
    ValueType type() const override;
    int32_t toInt() const override;
    int32_t toLong() const override;
    double toDouble() const override;
    std::string toString() const override;
    std::unique_ptr<Value> clone() const override;

    int32_t value;
};

class DoubleValue : public Value {
public:
    explicit DoubleValue(double value);
    const Table* toTable() const override;
    ValueType type() const override;
    int32_t toInt() const override;
    int32_t toLong() const override;
    double toDouble() const override;
    std::string toString() const override;
    std::unique_ptr<Value> clone() const override;

    double value;
};

class StringValue : public Value {
public:
    explicit StringValue(std::string value);
    const Table* toTable() const override;
    ValueType type() const override;
    int32_t toInt() const override;
    int32_t toLong() const override;
    double toDouble() const override;
    std::string toString() const override;
    std::unique_ptr<Value> clone() const override;

    std::string value;
};

class TableValue : public Value {
public:
    explicit TableValue(std::unique_ptr<Table> table);
    const Table* toTable() const override;
    ValueType type() const override;
    int32_t toInt() const override;
    int32_t toLong() const override;
    double toDouble() const override;
    std::string toString() const override;
    std::unique_ptr<Value> clone() const override;

    std::unique_ptr<Table> table;
};

// The string conversions shared by StringValue and the parser's number tokens.
int32_t parseInteger(const std::string& text);
int32_t parseLong(const std::string& text);
double parseDouble(const std::string& text);
// Truncates toward zero; a number outside the 32-bit range takes the nearest limit and NaN
// gives 0. A number from the server may be anything, infinity included (a numeral too long
// for a double reads as infinity, as strtod gives it), so every such number that becomes
// an int goes through here rather than through a cast.
int32_t truncateToInt(double value);
