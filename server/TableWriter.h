#pragma once

#include <cstdint>
#include <string>

namespace server {

// Writes the table text format the client parses: named entries "key = value", unnamed
// elements (numbered by the reader from 0), nested tables in braces. Entries are
// separated by commas; strings are double-quoted with quote and backslash escaped.
class TableWriter {
public:
    // Numbers are written with at most `decimals` digits after the dot.
    explicit TableWriter(int decimals = 9)
        : decimals(decimals)
    {
    }

    TableWriter& key(const std::string& name);
    TableWriter& open();
    TableWriter& close();

    TableWriter& value(int64_t number);
    TableWriter& value(int32_t number) { return value(static_cast<int64_t>(number)); }
    TableWriter& value(bool flag) { return value(static_cast<int64_t>(flag ? 1 : 0)); }
    TableWriter& value(double number);
    TableWriter& value(const std::string& text);
    TableWriter& value(const char* text) { return value(std::string(text)); }

    template <typename T>
    TableWriter& field(const std::string& name, const T& v)
    {
        key(name);
        return value(v);
    }

    const std::string& text() const { return out; }

private:
    void separate();

    std::string out;
    int decimals;
    bool needComma = false;
    bool afterKey = false;
};

// Formats a double as the reader's number form: optional sign, digits, a dot and at least
// one digit; no exponent; at most `decimals` digits after the dot. Non-finite values are
// written as 0.0.
std::string formatDouble(double number, int decimals = 9);

} // namespace server
