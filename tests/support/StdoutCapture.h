#pragma once

#include <cstdio>
#include <string>

// Sends standard output (file descriptor 1, whichever thread writes) to a temporary file
// for as long as the object lives; text() reads what was printed so far.
class StdoutCapture {
public:
    StdoutCapture();
    ~StdoutCapture();
    StdoutCapture(const StdoutCapture&) = delete;
    StdoutCapture& operator=(const StdoutCapture&) = delete;

    std::string text() const;

private:
    std::FILE* file = nullptr;
    int saved = -1;
};
