#pragma once

#include <chrono>
#include <functional>
#include <thread>

// Checks the condition every few milliseconds until it holds; false when time ran out.
// Tests wait with it for work on other threads instead of sleeping a fixed time.
inline bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit = std::chrono::seconds(15))
{
    for (auto deadline = std::chrono::steady_clock::now() + limit; !condition(); std::this_thread::sleep_for(std::chrono::milliseconds(2)))
        if (std::chrono::steady_clock::now() > deadline)
            return false;
    return true;
}
