#pragma once

#include <chrono>
#include <functional>

// Checks the condition every few milliseconds until it holds; false when time ran out.
// Tests wait with it for work on other threads instead of sleeping a fixed time.
bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit = std::chrono::seconds(15));
