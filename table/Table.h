#pragma once

#include "table/BlockPool.h"
#include "table/Value.h"

#include <istream>
#include <map>
#include <memory>
#include <string>

// A keyed collection of owned values, iterated in byte-wise key order. Unkeyed elements
// get the decimal keys "0", "1", ... from nextIndex.
class Table {
public:
    // The map's nodes come from the BlockPool, one per entry of an answer.
    using Entries = std::map<std::string, std::unique_ptr<Value>, std::less<std::string>,
        PoolAllocator<std::pair<const std::string, std::unique_ptr<Value>>>>;

    Table() = default;
    Table(const Table& other);
    Table& operator=(const Table& other);
    Table(Table&&) = default;
    Table& operator=(Table&&) = default;

    // Stores under the key, replacing an earlier value.
    void set(const std::string& key, std::unique_ptr<Value> value);

    Entries::const_iterator find(const std::string& key) const { return entries.find(key); }
    Entries::const_iterator begin() const { return entries.begin(); }
    Entries::const_iterator end() const { return entries.end(); }
    size_t size() const { return entries.size(); }
    bool empty() const { return entries.empty(); }

    int32_t nextIndex = 0;

private:
    Entries entries;
};

// The accessors every answer parser reads fields through. Absent keys give the defaults;
// a present value of the wrong kind raises the conversion's Exception.
Table::Entries::const_iterator find(const Table& table, const std::string& key);
int32_t getInt(const Table& table, const std::string& key);
int32_t getLong(const Table& table, const std::string& key);
double getDouble(const Table& table, const std::string& key);
std::string getString(const Table& table, const std::string& key, const std::string& defaultValue);
const Table* getTable(const Table& table, const std::string& key);

// Reads the whole stream in the table text format; raises Exception on malformed text.
Table parseTable(std::istream& input);
// Convenience for the many callers that hold the answer as a string.
Table parseTable(const std::string& text);
