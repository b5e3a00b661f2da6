#include "server/TableWriter.h"

#include <cmath>
#include <cstdio>

namespace server {

std::string formatDouble(double number, int decimals)
{
    if (!std::isfinite(number))
        return "0.0";
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, number);
    std::string text(buffer);
    // Trailing zeros carry nothing; keep one digit after the dot.
    size_t last = text.find_last_not_of('0');
    if (text[last] == '.')
        ++last;
    text.erase(last + 1);
    if (text == "-0.0")
        return "0.0";
    return text;
}

void TableWriter::separate()
{
    if (afterKey) {
        afterKey = false;
        return;
    }
    if (needComma)
        out += ", ";
}

TableWriter& TableWriter::key(const std::string& name)
{
    separate();
    out += name;
    out += " = ";
    afterKey = true;
    needComma = false;
    return *this;
}

TableWriter& TableWriter::open()
{
    separate();
    out += '{';
    needComma = false;
    return *this;
}

TableWriter& TableWriter::close()
{
    out += '}';
    needComma = true;
    return *this;
}

TableWriter& TableWriter::value(int64_t number)
{
    separate();
    out += std::to_string(number);
    needComma = true;
    return *this;
}

TableWriter& TableWriter::value(double number)
{
    separate();
    out += formatDouble(number, decimals);
    needComma = true;
    return *this;
}

TableWriter& TableWriter::value(const std::string& text)
{
    separate();
    out += '"';
    for (char c : text) {
        // The reader drops line feeds inside strings and rejects an escaped blank, so
        // control bytes become plain blanks.
        if (c == '"' || c == '\\')
            out += '\\';
        out += (static_cast<unsigned char>(c) < 32) ? ' ' : c;
    }
    out += '"';
    needComma = true;
    return *this;
}

} // namespace server
