#pragma once

#include <string>

// The program's own exception: raised by the table format and its conversions with the
// exact message the player or the log should see, and caught by the answer parsers.
class Exception {
public:
    explicit Exception(std::string message)
        : text(std::move(message))
    {
    }
    virtual ~Exception() = default;

    const std::string& message() const { return text; }

private:
    std::string text;
};
