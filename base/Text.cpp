#include "base/Text.h"

namespace {

const char* const blanks = " \t\r\n";

}

std::string trim(const std::string& text)
{
    size_t first = text.find_first_not_of(blanks);
    if (first == std::string::npos)
        return text;
    size_t last = text.find_last_not_of(blanks);
    return text.substr(first, last - first + 1);
}

bool startsWith(const std::string& text, const std::string& prefix)
{
    return prefix.size() <= text.size() && text.compare(0, prefix.size(), prefix) == 0;
}

bool endsWith(const std::string& text, const std::string& suffix)
{
    return suffix.size() <= text.size() && text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

std::string toLower(std::string text)
{
    for (char& byte : text) {
        if (byte >= 'A' && byte <= 'Z')
            byte = char(byte - 'A' + 'a');
    }
    return text;
}
