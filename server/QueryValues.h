#pragma once

#include <optional>
#include <string>

namespace server {

// Strict readers of query values: the whole text must be the number, no blanks, no
// exponent tricks beyond what strtod reads, and it must be finite and in range.
std::optional<int> parseInteger(const std::string& text, long long low, long long high);
std::optional<long long> parseLong(const std::string& text, long long low, long long high);
std::optional<double> parseReal(const std::string& text);

// The value of one cookie in a Cookie header ("a=1; b=2"), empty when absent.
std::string cookieValue(const std::string& header, const std::string& name);

} // namespace server
