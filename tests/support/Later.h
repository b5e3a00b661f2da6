#pragma once

#include <SDL.h>

#include <functional>

// Runs an action on SDL's timer thread after a delay: tests use it to push input into a
// modal loop that starts later (SDL_PushEvent is safe from any thread).
void later(Uint32 milliseconds, std::function<void()> action);
