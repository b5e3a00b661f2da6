#include "server/QueryValues.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace server {

std::optional<long long> parseLong(const std::string& text, long long low, long long high)
{
    if (text.empty() || text.size() > 20)
        return std::nullopt;
    errno = 0;
    char* end = nullptr;
    long long value = std::strtoll(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || text[0] == ' ' || value < low || value > high)
        return std::nullopt;
    return value;
}

std::optional<int> parseInteger(const std::string& text, long long low, long long high)
{
    std::optional<long long> value = parseLong(text, low, high);
    if (!value)
        return std::nullopt;
    return static_cast<int>(*value);
}

std::optional<double> parseReal(const std::string& text)
{
    if (text.empty() || text.size() > 40 || std::isspace(static_cast<unsigned char>(text[0])))
        return std::nullopt;
    errno = 0;
    char* end = nullptr;
    double value = std::strtod(text.c_str(), &end);
    if (errno != 0 || *end != '\0' || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::string cookieValue(const std::string& header, const std::string& name)
{
    size_t pos = 0;
    while (pos < header.size()) {
        size_t end = header.find(';', pos);
        if (end == std::string::npos)
            end = header.size();
        size_t first = header.find_first_not_of(' ', pos);
        if (first < end) {
            size_t equals = header.find('=', first);
            if (equals < end && header.compare(first, equals - first, name) == 0)
                return header.substr(equals + 1, end - equals - 1);
        }
        pos = end + 1;
    }
    return "";
}

} // namespace server
