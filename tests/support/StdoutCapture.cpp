#include "support/StdoutCapture.h"

#include <unistd.h>

#include <stdexcept>

StdoutCapture::StdoutCapture()
    : file(std::tmpfile())
{
    if (!file)
        throw std::runtime_error("cannot make a temporary file");
    std::fflush(stdout);
    saved = dup(1);
    if (saved < 0 || dup2(fileno(file), 1) < 0) {
        if (saved >= 0)
            close(saved);
        std::fclose(file);
        throw std::runtime_error("cannot redirect standard output");
    }
}

StdoutCapture::~StdoutCapture()
{
    std::fflush(stdout);
    dup2(saved, 1);
    close(saved);
    std::fclose(file);
}

std::string StdoutCapture::text() const
{
    std::fflush(stdout);
    std::string captured;
    char buffer[4096];
    ssize_t count;
    while ((count = pread(fileno(file), buffer, sizeof buffer, off_t(captured.size()))) > 0)
        captured.append(buffer, size_t(count));
    return captured;
}
