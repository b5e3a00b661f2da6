#include "table/Table.h"

#include "table/Parser.h"

#include <streambuf>

Table::Table(const Table& other)
    : nextIndex(other.nextIndex)
{
    for (const auto& [key, value] : other.entries)
        entries.emplace_hint(entries.end(), key, value ? value->clone() : nullptr);
}

Table& Table::operator=(const Table& other)
{
    if (this != &other) {
        Table copy(other);
        *this = std::move(copy);
    }
    return *this;
}

void Table::set(const std::string& key, std::unique_ptr<Value> value)
{
    // The parser stores long lists in key order: appending after the last key needs no
    // walk down the tree.
    if (entries.empty() || entries.rbegin()->first < key)
        entries.emplace_hint(entries.end(), key, std::move(value));
    else
        entries.insert_or_assign(key, std::move(value));
}

namespace {

// The stored value, or null when the key is absent or holds no value.
const Value* lookUp(const Table& table, const std::string& key)
{
    auto entry = table.find(key);
    return entry == table.end() ? nullptr : entry->second.get();
}

} // namespace

Table::Entries::const_iterator find(const Table& table, const std::string& key)
{
    return table.find(key);
}

int32_t getInt(const Table& table, const std::string& key)
{
    const Value* value = lookUp(table, key);
    return value ? value->toInt() : 0;
}

int32_t getLong(const Table& table, const std::string& key)
{
    const Value* value = lookUp(table, key);
    return value ? value->toLong() : 0;
}

double getDouble(const Table& table, const std::string& key)
{
    const Value* value = lookUp(table, key);
    return value ? value->toDouble() : 0.0;
}

std::string getString(const Table& table, const std::string& key, const std::string& defaultValue)
{
    const Value* value = lookUp(table, key);
    return value ? value->toString() : defaultValue;
}

const Table* getTable(const Table& table, const std::string& key)
{
    const Value* value = lookUp(table, key);
    return value ? value->toTable() : nullptr;
}

Table parseTable(std::istream& input)
{
    Table root;
    Parser parser(input);
    parser.parseBody(root, false, 0, 0);
    return root;
}

namespace {

// Reads a string in place: answers run to megabytes, and copying each into a string
// stream first would cost more than a fast parse.
class StringReader : public std::streambuf {
public:
    explicit StringReader(const std::string& text)
    {
        // The get area is only ever read, never written through.
        char* begin = const_cast<char*>(text.data());
        setg(begin, begin, begin + text.size());
    }
};

} // namespace

Table parseTable(const std::string& text)
{
    StringReader reader(text);
    std::istream input(&reader);
    return parseTable(input);
}
