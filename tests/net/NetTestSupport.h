#pragma once

#include "net/Downloader.h"

#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

// Holds server handlers back until the test opens it (or ten seconds pass).
class Gate {
public:
    void open()
    {
        std::lock_guard<std::mutex> hold(mutex);
        opened = true;
        changed.notify_all();
    }
    void pass()
    {
        std::unique_lock<std::mutex> hold(mutex);
        changed.wait_for(hold, std::chrono::seconds(10), [this] { return opened; });
    }

private:
    std::mutex mutex;
    std::condition_variable changed;
    bool opened = false;
};

// Polls every few milliseconds until the condition holds; false when time ran out.
inline bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit = std::chrono::seconds(15))
{
    auto deadline = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

inline std::optional<Answer> waitForAnswer(Downloader& client, int id)
{
    Answer answer;
    if (!waitUntil([&] { return client.pollById(id, answer); }))
        return std::nullopt;
    return answer;
}

inline std::string body(const Answer& answer)
{
    return answer.bytes ? std::string(answer.bytes.get(), answer.length) : std::string();
}

// Sends standard output (file descriptor 1, whichever thread writes) to a temporary file
// for as long as the object lives.
class StdoutCapture {
public:
    StdoutCapture()
        : file(std::tmpfile())
    {
        std::fflush(stdout);
        saved = dup(1);
        dup2(fileno(file), 1);
    }
    ~StdoutCapture()
    {
        std::fflush(stdout);
        dup2(saved, 1);
        close(saved);
        std::fclose(file);
    }
    StdoutCapture(const StdoutCapture&) = delete;
    StdoutCapture& operator=(const StdoutCapture&) = delete;

    std::string text()
    {
        std::fflush(stdout);
        std::string captured;
        char buffer[4096];
        ssize_t count;
        while ((count = pread(fileno(file), buffer, sizeof buffer, off_t(captured.size()))) > 0)
            captured.append(buffer, size_t(count));
        return captured;
    }

private:
    std::FILE* file;
    int saved = -1;
};
